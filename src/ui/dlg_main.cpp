#include "ui/dlg_main.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "controller/main_frame.h"
#include "ui/dlg_env.h"
#include "ui/dlg_install.h"
#include "ui/dlg_picroute.h"
#include "ui/qt_frame_ui.h"
#include "ui/skin/frame_offset.h"
#include "ui/skin/image_button.h"
#include "ui/skin/skin_image.h"
#include "ui/skin/user_info.h"
#include "ui/web/movie_view.h"
#include "ui/web/status_movies.h"
#include "ui/web/web_panels.h"

namespace mapvale::ui {

namespace {

constexpr int kBackground = 560;
constexpr int kBackgroundBand = 44;  // the title band, stretched only sideways
constexpr int kIcon = 128;
constexpr int kRefreshMs = 300;
const QString kStatusMovie = QStringLiteral("Info/MainProcess.html");
const QRect kWelcomeRect(370, 17, 183, 24);
const QRect kStatusRect(8, 542, 785, 51);
const QRect kPagesRect(8, 78, 785, 460);

const QString kWelcomeText = QStringLiteral("%1님, 환영합니다.");
const QString kNotSignedIn = QStringLiteral("로그인하지 않았습니다.");
const QString kTitle = QStringLiteral("Orvin Dalmar Waymark+");

struct Button {
    int id;
    int image;
    int x;
    int y;
};
// Caption buttons and the buttons beside them keep their distance to the right edge.
constexpr Button kRightButtons[] = {
    {CDlgMain::kClose, 333, 767, 15},      {CDlgMain::kMinimise, 334, 719, 15},
    {CDlgMain::kMaximise, 389, 743, 15},   {CDlgMain::kSettings, 379, 649, 15},
    {CDlgMain::kChangeUser, 423, 585, 15}, {CDlgMain::kWizard, 424, 676, 46},
};
constexpr Button kTabs[] = {
    {CDlgMain::kInstallTab, 381, 8, 44},
    {CDlgMain::kMapTab, 378, 124, 44},
    {CDlgMain::kEtcTab, 380, 240, 44},
    {CDlgMain::kTarnoTab, 470, 356, 44},
};

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CDlgMain::CDlgMain(controller::CMainFrame& frame) : ScreenWindow(frame, kBackground) {
    setObjectName(QStringLiteral("CDlgMain"));
    resize(kWidth, kHeight);
    setMinimumSize(kWidth, kHeight);
    SetDragArea(kCaptionHeight);
    setWindowTitle(kTitle);
    setWindowIcon(QIcon(SkinImage(kIcon)));

    for (const Button& button : kRightButtons) {
        CImageButton* made = AddButton(button.id, button.image, 4, button.y, button.x);
        right_side_.append({made, made->pos()});
        if (button.id == kMaximise) {
            maximise_ = made;
        }
    }
    for (const Button& tab : kTabs) {
        tabs_.append(AddButton(tab.id, tab.image, 4, tab.y, tab.x));
    }

    welcome_ = new CUserInfo(kWelcome, this);
    welcome_->setGeometry(kWelcomeRect.translated(FrameOffset(this)));
    right_side_.append({welcome_, welcome_->pos()});

    pages_ = new QWidget(this);
    pages_->setObjectName(QString::number(kPages));
    pages_->setGeometry(kPagesRect);
    install_ = new CDlgInstall(frame, pages_);
    install_->setGeometry(pages_->rect());

    QString folder = Text(frame.state().settings.program_folder);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    status_ = new CMovieView(this, folder);
    status_->setObjectName(QString::number(kStatus));
    status_->setGeometry(kStatusRect.translated(FrameOffset(this)));
    status_->SetMovie(kStatusMovie);

    ShowPage(install_, tabs_.first());
    SetWelcome();
    connect(&status_timer_, &QTimer::timeout, this, &CDlgMain::RefreshStatus);
    status_timer_.start(kRefreshMs);
    RefreshStatus();
}

CDlgPicroute* CDlgMain::OpenPhotoDialog() {
    if (!photo_) {
        photo_ = new CDlgPicroute(frame(), frame().ui(), this);
    }
    photo_->show();
    photo_->raise();
    photo_->activateWindow();
    return photo_.data();
}

CDlgPicroute* CDlgMain::PhotoDialog() const {
    return photo_.data();
}

// --- Layout and window behaviour ---

QRect CDlgMain::StatusRect() const {
    const QSize grown = size() - QSize(kWidth, kHeight);
    return QRect(kStatusRect.x(), kStatusRect.y() + grown.height(),
                 kStatusRect.width() + grown.width(), kStatusRect.height());
}

QRect CDlgMain::PagesRect() const {
    const QSize grown = size() - QSize(kWidth, kHeight);
    return kPagesRect.adjusted(0, 0, grown.width(), grown.height());
}

void CDlgMain::resizeEvent(QResizeEvent* event) {
    ScreenWindow::resizeEvent(event);
    const int grown = width() - kWidth;
    for (const Moving& item : right_side_) {
        if (item.control) {
            item.control->move(item.place + QPoint(grown, 0));
        }
    }
    pages_->setGeometry(PagesRect());
    for (QWidget* page : pages_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        page->setGeometry(pages_->rect());
    }
    ResizeStatus(*status_, size(), StatusRect());
}

void CDlgMain::paintEvent(QPaintEvent*) {
    // The skin is drawn for 800 x 600: a larger window stretches the title band's plain part
    // sideways and the body both ways.
    QPainter painter(this);
    const QPixmap skin = SkinImage(kBackground);
    if (skin.isNull()) {
        painter.fillRect(rect(), QColor(236, 240, 245));
        return;
    }
    const int band = std::min(kBackgroundBand, skin.height());
    // The band's left half holds the title and stays as drawn; its plain right half stretches.
    const int title = skin.width() / 2;
    painter.drawPixmap(QRect(0, 0, title, band), skin, QRect(0, 0, title, band));
    painter.drawPixmap(QRect(title, 0, width() - title, band), skin,
                       QRect(title, 0, skin.width() - title, band));
    painter.drawPixmap(QRect(0, band, width(), height() - band), skin,
                       QRect(0, band, skin.width(), skin.height() - band));
}

void CDlgMain::ToggleMaximise() {
    if (!maximised_) {
        normal_rect_ = geometry();
        maximised_ = true;
        maximise_->SetImage(4, kRestoreImage);
        SetDragArea(0);
        const QScreen* shown_on = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
        if (shown_on != nullptr) {
            setGeometry(shown_on->availableGeometry().adjusted(-1, -1, 1, 1));
        }
        return;
    }
    maximised_ = false;
    maximise_->SetImage(4, kMaximiseImage);
    SetDragArea(kCaptionHeight);
    if (normal_rect_) {
        setGeometry(*normal_rect_);
        return;
    }
    QRect centred(QPoint(), QSize(kWidth, kHeight));
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        centred.moveCenter(primary->availableGeometry().center());
    }
    setGeometry(centred);
}

void CDlgMain::changeEvent(QEvent* event) {
    ScreenWindow::changeEvent(event);
    // Back from the task bar, a maximised screen covers the work area again.
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && maximised_) {
        if (const QScreen* shown_on = screen()) {
            setGeometry(shown_on->availableGeometry().adjusted(-1, -1, 1, 1));
        }
    }
}

bool CDlgMain::InGrip(const QPoint& point) const {
    return !maximised_ && point.x() >= width() - kGripSize && point.y() >= height() - kGripSize &&
           rect().contains(point);
}

void CDlgMain::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InGrip(event->position().toPoint())) {
        resizing_ = true;
        resize_grip_ = QPoint(width(), height()) - event->globalPosition().toPoint();
        event->accept();
        return;
    }
    ScreenWindow::mousePressEvent(event);
}

void CDlgMain::mouseMoveEvent(QMouseEvent* event) {
    if (resizing_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint corner = event->globalPosition().toPoint() + resize_grip_;
        resize(std::max(corner.x(), kWidth), std::max(corner.y(), kHeight));
        event->accept();
        return;
    }
    ScreenWindow::mouseMoveEvent(event);
}

void CDlgMain::mouseReleaseEvent(QMouseEvent* event) {
    if (resizing_ && event->button() == Qt::LeftButton) {
        resizing_ = false;
        event->accept();
        return;
    }
    ScreenWindow::mouseReleaseEvent(event);
}

void CDlgMain::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && point.y() >= 0 && point.y() < kCaptionHeight) {
        ToggleMaximise();
        event->accept();
        return;
    }
    ScreenWindow::mouseDoubleClickEvent(event);
}

// --- Pages ---

QWidget* CDlgMain::ShownPage() const {
    for (QWidget* page : pages_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!page->isHidden()) {
            return page;
        }
    }
    return nullptr;
}

void CDlgMain::ShowPage(QWidget* page, CImageButton* tab) {
    for (QWidget* other : pages_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != page) {
            other->hide();
        }
    }
    page->setGeometry(pages_->rect());
    page->show();
    for (CImageButton* each : tabs_) {
        each->SetDrawnPressed(each == tab);
    }
}

void CDlgMain::ShowWebPanel(CWebPanel* panel, CImageButton* tab) {
    if (!panel->isHidden()) {
        return;  // its page stays as the user left it
    }
    for (QWidget* other : pages_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != panel) {
            other->hide();
        }
    }
    panel->setGeometry(pages_->rect());
    panel->Activate();
    for (CImageButton* each : tabs_) {
        each->SetDrawnPressed(each == tab);
    }
}

CDlgMap* CDlgMain::MapPage() {
    if (map_ == nullptr) {
        const controller::ControllerState& state = frame().state();
        map_ = new CDlgMap(pages_, state.servers, state.account_kind);
        map_->hide();
        // The map page's own script calls reach this browser.
        if (auto* qt_ui = dynamic_cast<QtFrameUi*>(&frame().ui())) {
            qt_ui->SetMapPanel(map_->browser());
        }
    }
    return map_;
}

void CDlgMain::ShowInstallPage() {
    ShowPage(install_, tabs_.first());
}

// --- Commands ---

void CDlgMain::OnCommand(int id) {
    const controller::ControllerState& state = frame().state();
    switch (id) {
        case kMinimise:
            showMinimized();
            break;
        case kMaximise:
            ToggleMaximise();
            break;
        case kInstallTab:
            frame().RebuildSelectedDrive();
            ShowPage(install_, tabs_[0]);
            install_->RefreshLists();
            break;
        case kMapTab:
            frame().RebuildSelectedDrive();
            ShowWebPanel(MapPage(), tabs_[1]);
            break;
        case kEtcTab:
            frame().RebuildSelectedDrive();
            if (etc_ == nullptr) {
                etc_ = new CDlgEtc(pages_, state.servers, state.settings.user_id);
                etc_->hide();
            }
            ShowWebPanel(etc_, tabs_[2]);
            break;
        case kTarnoTab:
            frame().RebuildSelectedDrive();
            if (tarno_ == nullptr) {
                tarno_ = new CDlgEtcTarno(pages_, state.servers, state.settings.user_id);
                tarno_->hide();
            }
            ShowWebPanel(tarno_, tabs_[3]);
            break;
        case kSettings:
            OpenSettings();
            break;
        case kChangeUser:
            ChangeUser();
            break;
        case kWizard:
            frame().ReturnToWizard();
            break;
        default:
            // Enter (1) is not handled: it must not close the screen.
            ScreenWindow::OnCommand(id);
            break;
    }
}

void CDlgMain::ChangeUser() {
    auto* qt_ui = dynamic_cast<QtFrameUi*>(&frame().ui());
    if (qt_ui == nullptr) {
        return;
    }
    if (frame().ChangeUser([qt_ui] { return qt_ui->RunChangeUserDialog(); })) {
        SetWelcome();
    }
}

void CDlgMain::OpenSettings() {
    CDlgEnv dialog(frame(), frame().ui(), frame().volumes(), this);
    dialog.exec();
    install_->RefreshLists();
}

void CDlgMain::SetWelcome() {
    const std::string& name = frame().state().account_text;
    welcome_->SetText(name.empty() ? kNotSignedIn : kWelcomeText.arg(Text(name)));
}

// --- What the controller asks ---

void CDlgMain::RefreshStatus() {
    const controller::ControllerState& state = frame().state();
    if (state.sign_in_dialog_open) {
        return;
    }
    controller::StatusStrip strip = controller::ComputeStatusStrip(
        state.selected_device, state.SelectedCard(), frame().clock().Now());
    // The list follows the job as the strip does; both only repaint what changed.
    install_->RefreshContent();
    if (strip_ == strip) {
        return;
    }
    ShowStatus(*status_, Text(strip.text), strip.percent, Text(strip.speed), Text(strip.remaining));
    strip_ = std::move(strip);
}

void CDlgMain::EnableStartButton() {
    install_->EnableStartButton();
}

void CDlgMain::RefreshLists() {
    install_->RefreshLists();
}

void CDlgMain::RefreshOptions() {
    install_->RefreshOptions();
}

void CDlgMain::RepaintProgress() {
    RefreshStatus();
}

void CDlgMain::SetStartButtonBitmap(int resource) {
    install_->SetStartButtonBitmap(resource);
}

void CDlgMain::NavigateBanner(const std::string& url) {
    install_->NavigateBanner(url);
}

}  // namespace mapvale::ui
