#include "ui/dlg_login.h"

#include <QLineEdit>
#include <QPainter>

#include "controller/banners.h"
#include "controller/main_frame.h"
#include "platform/files.h"
#include "ui/qt_frame_ui.h"
#include "ui/skin/image_button.h"
#include "ui/skin/skin_fonts.h"
#include "ui/skin/static_color.h"
#include "ui/web/web.h"

namespace mapvale::ui {

namespace {

// Controls.
constexpr int kSignIn = 1;
constexpr int kCancel = 2;
constexpr int kSaveBox = 11;
constexpr int kAutoBox = 12;
constexpr int kOrlaHome = 13;
constexpr int kFindOv = 14;
constexpr int kFindDl = 15;
constexpr int kIdEdit = 1015;
constexpr int kPasswordEdit = 1016;
constexpr int kSignInButton = 1017;
constexpr int kStrip = 1044;
constexpr int kRememberedId = 1046;
constexpr int kBanner = 1051;
constexpr int kBrandOv = 1066;
constexpr int kBrandDl = 1067;
constexpr int kFindTab = 1068;
constexpr int kQuickOv = 1070;
constexpr int kQuickDl = 1071;
constexpr int kFindId = 1072;
constexpr int kFindPassword = 1073;

constexpr int kEditLimit = 64;

const QString kOv = QStringLiteral("OV");
const QString kDl = QStringLiteral("DL");

const QString kTitle = QStringLiteral("Orvin Dalmar Waymark+");
const QString kVersion = QStringLiteral("Version 1.1.0.0");
const QString kFailedCaption = QStringLiteral("로그인 실패");
const QString kEnterId = QStringLiteral("아이디를 입력해 주세요.");
const QString kEnterPassword = QStringLiteral("비밀번호를 입력해 주세요.");
const QString kEnterBoth = QStringLiteral("아이디와 비밀번호를 입력해 주세요.");
const QString kNoSuchId = QStringLiteral("회원가입 아이디 없음");
const QString kWrongIdOrPassword = QStringLiteral("아이디 또는 비밀번호 오류입니다.");
const QString kBusyText =
    QStringLiteral("서버에서 차종 정보를 수집하는 중입니다. 잠시 후 시도해 주세요");
const QString kBusyCaption = QStringLiteral("Orvin Dalmar Waymark+ 알림");
const QString kCloseText = QStringLiteral("프로그램이 종료됩니다.\n\n종료하시겠습니까?");
const QString kCloseCaption = QStringLiteral("종료 확인");
const QString kChooseFind = QStringLiteral("아이디/패스워드 찾기중 한가지를 선택해주세요");
const QString kFolderTextHead =
    QStringLiteral("현재 다운로드 폴더는 아래와 같이 지정되어 있습니다.\n\n");
const QString kFolderTextTail = QStringLiteral(
    "\n\n위의 경로를 그대로 사용하시겠습니까?\n추후 환경설정에서 변경하실 수 있습니다.\n");
const QString kFolderCaption = QStringLiteral("Orvin Dalmar WaymarkPlus 다운로드 경로 확인");

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* MakeEdit(int id, QWidget* parent, int x, int y) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(x, y, 146, 13);
    edit->setFrame(false);
    edit->setMaxLength(kEditLimit);
    edit->setFont(SkinFont(12));
    edit->setTextMargins(0, 0, 0, 0);
    edit->setStyleSheet(QStringLiteral("QLineEdit{background:#F7F7F7;border:none;padding:0}"));
    return edit;
}

}  // namespace

CDlgLogin::CDlgLogin(controller::CMainFrame& frame, Mode mode, QWidget* parent)
    : CSkinDialog(parent, kBackground), frame_(frame), mode_(mode), alive_(this) {
    setObjectName(QStringLiteral("CDlgLogin"));
    setWindowTitle(kTitle);
    SetDragArea(kDragBody);

    id_edit_ = MakeEdit(kIdEdit, this, 190, 133);
    password_edit_ = MakeEdit(kPasswordEdit, this, 190, 167);
    password_edit_->setEchoMode(QLineEdit::Password);
    connect(id_edit_, &QLineEdit::textChanged, this, [this] { UpdateRememberedIdButton(); });

    brand_ov_ = AddButton(kBrandOv, 501, 4, 60, 160);
    brand_dl_ = AddButton(kBrandDl, 502, 4, 60, 252);
    find_tab_ = AddButton(kFindTab, 503, 4, 60, 344);
    AddButton(kSignInButton, 504, 4, 131, 345);
    AddButton(kCancel, 505, 4, 11, 466);
    save_box_ = AddButton(kSaveBox, 506, 5, 196, 190, ButtonMode::kCheck);
    auto_box_ = AddButton(kAutoBox, 506, 5, 196, 270, ButtonMode::kCheck);
    remembered_id_ = AddButton(kRememberedId, 507, 4, 189, 345);
    AddButton(kQuickOv, 508, 4, 224, 190);
    AddButton(kQuickDl, 509, 4, 224, 248);

    find_id_ = AddButton(kFindId, 510, 4, 120, 190, ButtonMode::kRadio);
    find_password_ = AddButton(kFindPassword, 511, 4, 120, 266, ButtonMode::kRadio);
    find_choices_.Add(find_id_);
    find_choices_.Add(find_password_);
    find_id_->SetGroupCheck(CImageButton::kSelf);
    AddButton(kFindOv, 512, 4, 160, 190);
    AddButton(kFindDl, 513, 4, 160, 266);
    AddButton(kOrlaHome, 514, 4, 200, 190);

    strip_ = new CStaticColor(kStrip, this);
    strip_->setGeometry(158, 260, 259, 15);

    banner_ = new CWeb(this);
    banner_->setObjectName(QString::number(kBanner));
    banner_->setGeometry(14, 56, 136, 270);
    const std::string content = frame_.state().servers.HostText(ServerConfig::kContent);
    if (!content.empty()) {
        banner_->Navigate(
            FromUtf8("http://" + content + std::string(controller::kDefaultBannerPage)));
    }

    auto_timer_.setSingleShot(true);
    auto_timer_.setInterval(kAutoDelayMs);
    connect(&auto_timer_, &QTimer::timeout, this, [this] { Command(kSignIn); });
    reenable_timer_.setSingleShot(true);
    reenable_timer_.setInterval(kAutoDelayMs);
    connect(&reenable_timer_, &QTimer::timeout, this, [this] {
        if (!busy_) {
            SetControlsEnabled(true);
        }
    });

    ShowFindPanel(false);
    FillFromStored();

    const app::AppSettings& settings = frame_.state().settings;
    if (!AgreementMode() && settings.auto_sign_in == 1 && !settings.user_id.empty() &&
        !settings.password.empty()) {
        SetControlsEnabled(false);
        if (mode_ == Mode::kStartUp) {
            auto_timer_.start();
        } else {
            reenable_timer_.start();
        }
    }
}

CDlgLogin::~CDlgLogin() = default;

bool CDlgLogin::AgreementMode() const {
    return frame_.state().settings.consent_from_command_line != 0;
}

void CDlgLogin::FillFromStored() {
    const app::AppSettings& settings = frame_.state().settings;
    if (!AgreementMode() && settings.save == 1) {
        id_edit_->setText(FromUtf8(settings.user_id));
        password_edit_->setText(FromUtf8(settings.password));
        brand_ = settings.company == "DL" ? kDl : kOv;
        save_box_->SetCheck(true);
        auto_box_->SetCheck(settings.auto_sign_in == 1);
    } else {
        id_edit_->clear();
        password_edit_->clear();
        brand_ = kOv;
        save_box_->SetCheck(false);
        auto_box_->SetCheck(false);
    }
    brand_ov_->SetDrawnPressed(brand_ == kOv);
    brand_dl_->SetDrawnPressed(brand_ == kDl);
    UpdateRememberedIdButton();
}

void CDlgLogin::SelectBrand(const QString& brand) {
    brand_ = brand;
    const app::AppSettings& settings = frame_.state().settings;
    const QString stored = settings.company == "DL" ? kDl : kOv;
    if (brand == stored && settings.save == 1) {
        id_edit_->setText(FromUtf8(settings.user_id));
        password_edit_->setText(FromUtf8(settings.password));
        save_box_->SetCheck(true);
        auto_box_->SetCheck(settings.auto_sign_in == 1);
    } else {
        id_edit_->clear();
        password_edit_->clear();
        save_box_->SetCheck(false);
        auto_box_->SetCheck(false);
    }
    brand_ov_->SetDrawnPressed(brand_ == kOv);
    brand_dl_->SetDrawnPressed(brand_ == kDl);
    ShowFindPanel(false);
    id_edit_->setFocus();
}

void CDlgLogin::ShowFindPanel(bool on) {
    find_panel_ = on;
    for (QWidget* login : std::initializer_list<QWidget*>{id_edit_, password_edit_, save_box_,
                                                          auto_box_, remembered_id_}) {
        login->setVisible(!on);
    }
    for (int id : {kQuickOv, kQuickDl}) {
        if (auto* button = findChild<CImageButton*>(QString::number(id))) {
            button->setVisible(!on);
        }
    }
    for (int id : {kFindId, kFindPassword, kFindOv, kFindDl, kOrlaHome}) {
        if (auto* button = findChild<CImageButton*>(QString::number(id))) {
            button->setVisible(on);
        }
    }
    find_tab_->SetDrawnPressed(on);
    SetBackground(on ? kFindBackground : kBackground, false);
}

void CDlgLogin::SetControlsEnabled(bool on) {
    for (CImageButton* button : findChildren<CImageButton*>()) {
        // Cancel stays: it answers while a sign-in runs with its notice.
        button->setEnabled(on || button->Id() == kCancel);
    }
    id_edit_->setEnabled(on);
    password_edit_->setEnabled(on);
    if (on) {
        UpdateRememberedIdButton();
    }
}

void CDlgLogin::UpdateRememberedIdButton() {
    const std::string& stored = frame_.state().settings.user_id;
    const bool same = !stored.empty() && id_edit_->text() == FromUtf8(stored);
    remembered_id_->setEnabled(same && id_edit_->isEnabled());
}

void CDlgLogin::CopyChoicesToFrame() {
    app::AppSettings& settings = frame_.state().settings;
    settings.save = save_box_->GetCheck() ? 1 : 0;
    settings.auto_sign_in = auto_box_->GetCheck() ? 1 : 0;
    settings.company = brand_.toStdString();
}

void CDlgLogin::OnCheckBox(int id) {
    if (id == kSaveBox && !save_box_->GetCheck()) {
        auto_box_->SetCheck(false);
    } else if (id == kAutoBox && auto_box_->GetCheck()) {
        save_box_->SetCheck(true);
    }
    CopyChoicesToFrame();
}

int CDlgLogin::Box(const QString& text, const QString& caption, MessageBoxButtons buttons,
                   MessageBoxIcon icon) {
    return ShowMessageBox(this, text, caption, buttons, icon, QtFrameUi::kProgramTitle);
}

void CDlgLogin::OnCommand(int id) {
    if (busy_ && id != kCancel) {
        return;  // a sign-in runs: nothing else starts until it is back
    }
    switch (id) {
        case kSignIn:
        case kSignInButton:
            SignIn(false);
            break;
        case kCancel:
            OnCancel();
            break;
        case kSaveBox:
        case kAutoBox:
            OnCheckBox(id);
            break;
        case kBrandOv:
            SelectBrand(kOv);
            break;
        case kBrandDl:
            SelectBrand(kDl);
            break;
        case kFindTab:
            ShowFindPanel(true);
            break;
        case kQuickOv:
        case kQuickDl:
            brand_ = id == kQuickOv ? kOv : kDl;
            brand_ov_->SetDrawnPressed(brand_ == kOv);
            brand_dl_->SetDrawnPressed(brand_ == kDl);
            id_edit_->clear();
            password_edit_->clear();
            save_box_->SetCheck(false);
            auto_box_->SetCheck(false);
            SignIn(true);
            break;
        case kFindOv:
            OpenFindPage(kOv);
            break;
        case kFindDl:
            OpenFindPage(kDl);
            break;
        case kOrlaHome:
            OpenPage(std::string(PageAddresses::kOrlaHome));
            break;
        default:
            break;
    }
}

void CDlgLogin::SignIn(bool requested) {
    auto_timer_.stop();
    const QString id = id_edit_->text();
    const QString password = password_edit_->text();
    if (!requested && (id.isEmpty() || password.isEmpty())) {
        app::AppSettings& settings = frame_.state().settings;
        settings.user_id = id.toStdString();
        settings.password = password.toStdString();
        CopyChoicesToFrame();
        frame_.SaveSettings();
        if (id.isEmpty() && !password.isEmpty()) {
            Box(kEnterId, kFailedCaption, MessageBoxButtons::kOk, MessageBoxIcon::kNone);
        } else if (!id.isEmpty()) {
            Box(kEnterPassword, kFailedCaption, MessageBoxButtons::kOk, MessageBoxIcon::kNone);
        } else if (!find_panel_) {
            Box(kEnterBoth, kFailedCaption, MessageBoxButtons::kOk, MessageBoxIcon::kNone);
        }
        return;
    }
    busy_ = true;
    ++sign_ins_started_;
    SetControlsEnabled(false);
    const int result =
        frame_.RunSignIn(id.toStdString(), brand_.toStdString(), password.toStdString());
    if (!alive_) {
        return;
    }
    busy_ = false;
    if (result == 1) {
        app::AppSettings& settings = frame_.state().settings;
        settings.user_id = id.toStdString();
        settings.password = password.toStdString();
        CopyChoicesToFrame();
        SignedIn();
        return;
    }
    SetControlsEnabled(true);
    QString message = FromUtf8(frame_.state().sign_in_error);
    if (message == kNoSuchId) {
        message = kWrongIdOrPassword;
        save_box_->SetCheck(false);
        auto_box_->SetCheck(false);
        CopyChoicesToFrame();
    }
    Box(message, kFailedCaption, MessageBoxButtons::kOk, MessageBoxIcon::kWarning);
}

void CDlgLogin::SignedIn() {
    if (AgreementMode()) {
        // The installer's first run: the account is not remembered, only the folder is asked.
        app::AppSettings& settings = frame_.state().settings;
        settings.user_id.clear();
        settings.password.clear();
        settings.company = "OV";
        settings.save = 0;
        settings.auto_sign_in = 0;
        ConfirmDataFolder();
        if (!alive_) {
            return;
        }
    }
    frame_.SaveSettings();
    done(QDialog::Accepted);
}

void CDlgLogin::ConfirmDataFolder() {
    app::AppSettings& settings = frame_.state().settings;
    const int answer = Box(kFolderTextHead + FromUtf8(settings.data_folder) + kFolderTextTail,
                           kFolderCaption, MessageBoxButtons::kYesNo, MessageBoxIcon::kQuestion);
    if (answer == kIdYes) {
        platform::CreateFolderChain(settings.data_folder);
    } else if (alive_) {
        frame_.ChooseDataFolder();
    }
    if (!settings.data_folder.empty() && settings.data_folder.back() != '/') {
        settings.data_folder += '/';
    }
}

void CDlgLogin::OnCancel() {
    if (busy_) {
        Box(kBusyText, kBusyCaption, MessageBoxButtons::kOk, MessageBoxIcon::kNone);
        return;
    }
    if (Box(kCloseText, kCloseCaption, MessageBoxButtons::kYesNo, MessageBoxIcon::kQuestion) ==
            kIdYes &&
        alive_ && !busy_) {
        done(QDialog::Rejected);
    }
}

void CDlgLogin::OpenFindPage(const QString& brand) {
    const int choice = find_id_->GetCheck()         ? kFindId
                       : find_password_->GetCheck() ? kFindPassword
                                                    : 0;
    if (brand != brand_ || choice == 0) {
        Box(kChooseFind, QString(), MessageBoxButtons::kOk, MessageBoxIcon::kInformation);
        return;
    }
    const bool ov = brand == kOv;
    const std::string_view key =
        choice == kFindId ? (ov ? PageAddresses::kFindIdOv : PageAddresses::kFindIdDl)
                          : (ov ? PageAddresses::kFindPasswordOv : PageAddresses::kFindPasswordDl);
    OpenPage(std::string(key));
}

void CDlgLogin::OpenPage(const std::string& key) {
    const std::string address = frame_.state().pages.Find(key);
    if (!address.empty() && open_) {
        open_(address);
    }
}

void CDlgLogin::paintEvent(QPaintEvent* event) {
    CSkinDialog::paintEvent(event);
    QPainter painter(this);
    QFont font = SkinFont(14, 600);
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawText(QPoint(160, 18 + painter.fontMetrics().ascent()), kVersion);
}

}  // namespace mapvale::ui
