#include "skin_gallery.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

#include "gallery_sheet.h"
#include "ui/skin/button_group.h"
#include "ui/skin/image_button.h"
#include "ui/skin/image_clock.h"
#include "ui/skin/image_combo.h"
#include "ui/skin/image_display.h"
#include "ui/skin/message_box.h"
#include "ui/skin/skin_dialog.h"
#include "ui/skin/skin_image.h"
#include "ui/skin/splash_window.h"
#include "ui/skin/static_color.h"
#include "ui/skin/user_info.h"
#include "ui/skin/x_message_box.h"

namespace mapvale::gallery {

namespace {

using ui::ButtonMode;
using ui::CImageButton;

enum class State { kNormal, kHover, kPressed, kOn, kDisabled, kDisabledOn };

QString StateName(State state) {
    switch (state) {
        case State::kNormal:
            return QStringLiteral("normal");
        case State::kHover:
            return QStringLiteral("hover");
        case State::kPressed:
            return QStringLiteral("pressed");
        case State::kOn:
            return QStringLiteral("on");
        case State::kDisabled:
            return QStringLiteral("disabled");
        case State::kDisabledOn:
            return QStringLiteral("disabled, on");
    }
    return {};
}

// A button of skin image `image` put into `state` the way the user would: the mouse over it,
// pressed on it, or switched on.
QImage ButtonShot(int image, int frames, ButtonMode mode, State state) {
    QWidget holder;
    auto* button = new CImageButton(1, &holder);
    button->SetImage(frames, image);
    button->SetMode(mode);
    holder.resize(button->size());
    if (state == State::kHover) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(button, &enter);
    } else if (state == State::kPressed) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button, &press);
    }
    if (state == State::kOn || state == State::kDisabledOn) {
        button->SetCheck(true);
    }
    if (state == State::kDisabled || state == State::kDisabledOn) {
        button->setEnabled(false);
    }
    return Shoot(*button);
}

void AddButtonRows(GallerySheet& sheet, std::initializer_list<int> images, ButtonMode mode,
                   std::initializer_list<State> states) {
    for (int image : images) {
        for (State state : states) {
            sheet.Add(QStringLiteral("%1 %2").arg(image).arg(StateName(state)),
                      ButtonShot(image, 4, mode, state));
        }
    }
}

QImage ClockShot(long long seconds, int background) {
    ui::CImageClock clock(nullptr);
    clock.SetBackground(background);
    clock.SetTime(seconds);
    return Shoot(clock);
}

QImage BackgroundShot(int image, int overlay = 0, QPoint overlay_at = {}) {
    ui::CSkinDialog window(nullptr, image);
    QImage shot = Shoot(window);
    if (overlay != 0) {
        // The photo window paints its veil over its own background the same way.
        QPainter painter(&shot);
        painter.drawPixmap(overlay_at, ui::SkinImage(overlay));
    }
    return shot;
}

// A box is laid out when it is shown; its picture is taken then, and it is closed again.
QImage ShownShot(QWidget& box) {
    box.show();
    const QImage shot = Shoot(box);
    box.hide();
    return shot;
}

struct BoxCase {
    QString name;
    QString text;
    QString caption;
    ui::MessageBoxButtons buttons;
    ui::MessageBoxIcon icon;
};

}  // namespace

int SkinGalleryPictureCount() {
    return 17;
}

QStringList WriteSkinGallery(const QString& folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    auto save = [&out](const GallerySheet& sheet, const QString& name) { out.Save(sheet, name); };
    const auto push_states = {State::kNormal, State::kHover, State::kPressed, State::kDisabled};

    GallerySheet caption_buttons(4);
    AddButtonRows(caption_buttons, {333, 334, 389, 439}, ButtonMode::kPush, push_states);
    save(caption_buttons, QStringLiteral("caption-buttons.png"));

    GallerySheet tabs(4);
    AddButtonRows(tabs, {381, 378, 380, 470}, ButtonMode::kRadio,
                  {State::kNormal, State::kHover, State::kOn, State::kDisabled});
    save(tabs, QStringLiteral("tabs.png"));

    GallerySheet main_buttons(4);
    AddButtonRows(main_buttons, {379, 423, 424, 377, 429}, ButtonMode::kPush, push_states);
    save(main_buttons, QStringLiteral("main-buttons.png"));

    GallerySheet tray_buttons(4);
    AddButtonRows(tray_buttons, {151, 157, 158}, ButtonMode::kPush, push_states);
    save(tray_buttons, QStringLiteral("tray-buttons.png"));

    GallerySheet check_buttons(3);
    AddButtonRows(
        check_buttons, {381}, ButtonMode::kCheck,
        {State::kNormal, State::kOn, State::kHover, State::kDisabled, State::kDisabledOn});
    {
        // A selected sign-in tab draws pressed whatever the mouse does.
        QWidget holder;
        auto* tab = new CImageButton(1066, &holder);
        tab->SetImage(4, 381);
        tab->SetDrawnPressed(true);
        check_buttons.Add(QStringLiteral("1066 tab flag set"), Shoot(*tab));
    }
    save(check_buttons, QStringLiteral("check-buttons.png"));

    GallerySheet clocks(3);
    for (long long seconds : {0LL, 59LL, 600LL, 3599LL, 5999LL, 6000LL}) {
        clocks.Add(QStringLiteral("%1 s").arg(seconds), ClockShot(seconds, 414));
    }
    for (int background : {415, 416, 426, 427, 428}) {
        clocks.Add(QStringLiteral("background %1").arg(background), ClockShot(95, background));
    }
    save(clocks, QStringLiteral("clock.png"));

    {
        GallerySheet combos(2);
        QWidget holder;
        holder.resize(260, 40);
        auto* combo = new ui::CImageCombo(1004, &holder);
        combo->setGeometry(0, 0, 240, 22);
        combo->addItems(
            {QStringLiteral("[Orvin] 차량 내비게이션"), QStringLiteral("[Tarno] 단말기")});
        combos.Add(QStringLiteral("normal"), Shoot(*combo));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(combo, &enter);
        combos.Add(QStringLiteral("hover"), Shoot(*combo));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(combo, &leave);
        combo->setEnabled(false);
        combos.Add(QStringLiteral("disabled"), Shoot(*combo));
        save(combos, QStringLiteral("combo.png"));
    }

    {
        GallerySheet controls(2);
        ui::CUserInfo welcome(1009, nullptr);
        welcome.resize(183, 24);
        welcome.SetText(QStringLiteral("홍길동님, 환영합니다."));
        controls.AddWidget(QStringLiteral("welcome line"), welcome);
        welcome.SetText(QStringLiteral("로그인하지 않았습니다."));
        controls.AddWidget(QStringLiteral("welcome line, signed out"), welcome);
        ui::CStaticColor label(1044, nullptr);
        label.resize(259, 15);
        label.setText(QStringLiteral("<b>서버 메시지</b> 그대로"));
        controls.AddWidget(QStringLiteral("white label, plain text"), label);
        ui::CImageDisplay display(1005, nullptr);
        display.resize(72, 72);
        display.SetPixmap(
            ui::SkinImage(128).scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        controls.AddWidget(QStringLiteral("picture on white"), display);
        save(controls, QStringLiteral("controls.png"));
    }

    {
        GallerySheet splash(1);
        ui::CSplashWnd window;
        splash.AddWidget(QStringLiteral("splash 478"), window);
        save(splash, QStringLiteral("splash.png"));
    }

    {
        GallerySheet backgrounds(2);
        for (int image : {397, 474, 407, 450, 462}) {
            backgrounds.Add(QStringLiteral("background %1").arg(image), BackgroundShot(image));
        }
        backgrounds.Add(QStringLiteral("background 440"), BackgroundShot(440));
        backgrounds.Add(QStringLiteral("440 with 441 at 317,150"),
                        BackgroundShot(440, 441, QPoint(317, 150)));
        save(backgrounds, QStringLiteral("backgrounds.png"));
    }

    {
        GallerySheet icons(2);
        for (int image : {128, 154}) {
            icons.Add(QStringLiteral("icon %1").arg(image), ui::SkinImage(image).toImage());
        }
        save(icons, QStringLiteral("icons.png"));
    }

    using B = ui::MessageBoxButtons;
    using I = ui::MessageBoxIcon;
    const BoxCase boxes[] = {
        {QStringLiteral("message-box-ok-information"),
         QStringLiteral("\n메모리카드를 삽입/선택 해주세요.\n"), QStringLiteral("알림"), B::kOk,
         I::kInformation},
        {QStringLiteral("message-box-yesno-question"),
         QStringLiteral("프로그램이 종료됩니다.\n\n종료하시겠습니까?"), QStringLiteral("종료 확인"),
         B::kYesNo, I::kQuestion},
        {QStringLiteral("message-box-ok-warning"),
         QStringLiteral("아이디 또는 비밀번호 오류입니다."), QStringLiteral("로그인 실패"), B::kOk,
         I::kWarning},
        {QStringLiteral("message-box-okcancel-error"),
         QStringLiteral("<b>서버</b>에서 받은 글은 그대로 보입니다."), QString(), B::kOkCancel,
         I::kError},
        {QStringLiteral("message-box-yesnocancel-none"),
         QStringLiteral("현재 다운로드 폴더는 아래와 같이 지정되어 있습니다.\n\n/home/user/Data/"),
         QStringLiteral("Orvin Dalmar WaymarkPlus 다운로드 경로 확인"), B::kYesNoCancel, I::kNone},
    };
    for (const BoxCase& box : boxes) {
        std::unique_ptr<QMessageBox> widget = ui::BuildMessageBox(
            nullptr, box.text, box.caption, box.buttons, box.icon, QStringLiteral("TSKN_Waymark+"));
        GallerySheet sheet(1);
        sheet.Add(widget->windowTitle(), ShownShot(*widget));
        save(sheet, box.name + QStringLiteral(".png"));
    }
    {
        std::unique_ptr<ui::XMessageBox> box = ui::BuildDownloadedPackageBox(nullptr);
        GallerySheet sheet(1);
        sheet.Add(box->windowTitle(), ShownShot(*box));
        save(sheet, QStringLiteral("xmessagebox.png"));
    }
    return out.written();
}

}  // namespace mapvale::gallery
