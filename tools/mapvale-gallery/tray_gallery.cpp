#include "tray_gallery.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>

#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "mapvale-servers/world.h"
#include "tray/popup_text.h"
#include "tray/qt/c_tray_icon.h"
#include "tray/qt/notice/c_ani_window.h"
#include "tray/qt/qt_tray_ui.h"
#include "tray/qt/ver_chk_window.h"
#include "tray/tray_constants.h"

namespace mapvale::gallery {

namespace {

// The popup as the screen shows it: outside its rounded outline is transparent.
QImage PopupShot(tray::VerChkWindow& popup) {
    const QImage window = Shoot(popup);
    QImage shot(window.size(), QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    QPainter painter(&shot);
    if (!popup.mask().isEmpty()) {
        painter.setClipRegion(popup.mask());
    }
    painter.drawImage(0, 0, window);
    return shot;
}

// The icon in a panel at the bottom of the screen: the panel's right end.
QImage TrayShot(tray::QtTrayUi& ui) {
    QProcess host;
    host.setProgram(QStringLiteral("trayer"));
    host.setArguments({QStringLiteral("--edge"), QStringLiteral("bottom"),
                       QStringLiteral("--align"), QStringLiteral("right"),
                       QStringLiteral("--widthtype"), QStringLiteral("request"),
                       QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--tint"),
                       QStringLiteral("0x33465c"), QStringLiteral("--transparent"),
                       QStringLiteral("true"), QStringLiteral("--alpha"), QStringLiteral("0")});
    host.start();
    if (!host.waitForStarted()) {
        std::fprintf(stderr, "tray: trayer is missing (scripts/install-deps.sh)\n");
        return {};
    }
    ui.AddTrayIcon(tray::kTrayTip);
    ui.SetTrayIcon(tray::kTrayIconResource);
    QImage shot;
    if (WaitUntil([&] { return !ui.tray_icon().icon().geometry().isEmpty(); }, 20000)) {
        Settle(800);
        const QRect icon = ui.tray_icon().icon().geometry();
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area(icon.right() - 160, icon.top() - 8, 176, icon.height() + 16);
        shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    } else {
        std::fprintf(stderr, "tray: the icon was not embedded\n");
    }
    ui.RemoveTrayIcon();
    host.terminate();
    host.waitForFinished(5000);
    return shot;
}

QImage MenuShot(tray::QtTrayUi& ui) {
    QMenu* menu = ui.tray_icon().menu();
    menu->popup(QPoint(200, 200));
    Settle(300);
    // The version submenu open beside it, as the user sees it when pointing at it.
    QMenu* version = menu->actions()[1]->menu();
    menu->setActiveAction(menu->actions()[1]);
    version->popup(menu->geometry().topRight() +
                   QPoint(0, menu->actionGeometry(menu->actions()[1]).y()));
    Settle(300);
    const QRect both = menu->geometry().united(version->geometry());
    QImage shot(both.size(), QImage::Format_RGB32);
    shot.fill(QColor(236, 238, 242));
    QPainter painter(&shot);
    painter.drawImage(menu->geometry().topLeft() - both.topLeft(), Shoot(*menu));
    painter.drawImage(version->geometry().topLeft() - both.topLeft(), Shoot(*version));
    painter.end();
    version->hide();
    menu->hide();
    return shot;
}

QImage NoticeShot() {
    QTemporaryDir folder;
    std::string error;
    servers::WorldOptions options;
    options.folder = folder.filePath(QStringLiteral("world")).toStdString();
    if (!folder.isValid() || !servers::MakeWorld(options, error)) {
        std::fprintf(stderr, "tray: no demo world: %s\n", error.c_str());
        return {};
    }
    const servers::WorldLayout world(options.folder);
    tray::NoticeRequest request;
    request.url = QUrl::fromLocalFile(QString::fromStdString(world.Content() +
                                                             "/avn/Waymark/splash/index_plus.html"))
                      .toString();
    request.title = Text(tray::kNoticeTitle);
    std::unique_ptr<tray::CAniWindow> window(tray::MakeNoticeWindow(request));
    WaitUntil([&] { return window->isVisible(); }, 20000);
    // A file page gets no functions; the size is the one the served page asks for.
    window->OnWindowSize(420, 260);
    Settle(1500);
    return Shoot(*window);
}

}  // namespace

int TrayGalleryPictureCount() {
    return 4;
}

QStringList WriteTrayGallery(const QString& folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    tray::QtTrayUi ui({});
    ui.SetPopupSlideDurations(0, 0);

    GallerySheet icon(1);
    icon.Add(QStringLiteral("tray icon (panel at the bottom right)"), TrayShot(ui));
    out.Save(icon, QStringLiteral("tray-icon.png"));

    GallerySheet menu(1);
    menu.Add(QStringLiteral("menu (right click), version submenu open"), MenuShot(ui));
    out.Save(menu, QStringLiteral("tray-menu.png"));

    GallerySheet popups(2);
    for (const int type : {tray::kPopupNeedsUpdate, tray::kPopupLatest, tray::kPopupServerTrouble,
                           tray::kPopupMaintenance}) {
        ui.ShowPopup(type, tray::PopupText(type), 1);
        tray::VerChkWindow& popup = *ui.popup();
        WaitUntil([&] { return popup.isVisible() && !popup.Sliding(); }, 5000);
        Settle(200);
        popups.Add(QStringLiteral("version popup, type %1").arg(type), PopupShot(popup));
    }
    ui.popup()->hide();
    out.Save(popups, QStringLiteral("version-popups.png"));

    GallerySheet notice(1);
    notice.Add(QStringLiteral("notice window (the demo world's notice page)"), NoticeShot());
    out.Save(notice, QStringLiteral("notice-window.png"));
    return out.written();
}

}  // namespace mapvale::gallery
