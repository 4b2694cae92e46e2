#include "ui/dlg_env.h"

#include <QLineEdit>

#include "controller/data_folder_rules.h"
#include "controller/main_frame.h"
#include "platform/files.h"
#include "ui/qt_frame_ui.h"
#include "ui/skin/image_button.h"
#include "ui/skin/message_box.h"
#include "ui/skin/skin_fonts.h"

namespace mapvale::ui {

namespace {

constexpr int kOk = 1;
constexpr int kClose = 2;

// Buttons: the browse button shows the list's drop-down mark, OK a check and close a cross.
constexpr int kBrowseImage = 452;
constexpr int kOkImage = 507;
constexpr int kCloseImage = 505;
constexpr int kModeImage = 506;

constexpr std::string_view kChooseTitle = "디렉토리를 선택하세요.";
constexpr std::string_view kTextRemote =
    "선택하신 폴더는 이동식 디스크 타입의 경로입니다.\n문제가 발생 할 수있습니다.\n계속할까요?";
constexpr std::string_view kCaptionRemote = "드라이브 설정 경고";
constexpr std::string_view kTextNotHardDisk =
    "하드디스크 타입이 아닌 드라이브로 설정할 수 없습니다!";
constexpr std::string_view kCaptionNotHardDisk = "폴더 설정 오류";
constexpr std::string_view kTextLowSpace =
    "선택하신 폴더의 드라이브 용량이 부족할 수 있습니다.\n\n8 GBytes 이상의 여유용량을 확보해 "
    "주시거나\n\n다른 드라이브의 폴더를 선택하실것을 권장합니다.";
constexpr std::string_view kCaptionLowSpace = "폴더 설정 권장";

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* MakeEdit(int id, QWidget* parent, const QRect& place, bool read_only) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(place);
    edit->setFrame(false);
    edit->setReadOnly(read_only);
    edit->setFont(SkinFont(12));
    edit->setTextMargins(0, 0, 0, 0);
    edit->setStyleSheet(QStringLiteral("QLineEdit{background:#F7F7F7;border:none;padding:0}"));
    return edit;
}

}  // namespace

CDlgEnv::CDlgEnv(controller::CMainFrame& frame, controller::FrameUi& ui, platform::Volumes& volumes,
                 QWidget* owner)
    : CSkinDialog(owner, kBackground), frame_(frame), ui_(ui), volumes_(volumes) {
    setObjectName(QStringLiteral("399"));
    setWindowTitle(QtFrameUi::kProgramTitle);
    setModal(true);
    SetDragArea(40);

    folder_ = MakeEdit(kFolderEdit, this, QRect(45, 154, 310, 14), false);
    free_space_ = MakeEdit(kFreeSpaceText, this, QRect(193, 131, 86, 12), true);
    AddButton(kBrowse, kBrowseImage, 4, 366, 146);
    AddButton(kClose, kCloseImage, 4, 368, 202);
    AddButton(kOk, kOkImage, 4, 368, 258);
    const int places[] = {79, 203, 299};
    for (int mode = 0; mode < 3; ++mode) {
        CImageButton* choice =
            AddButton(kFirstModeChoice + mode, kModeImage, 5, places[mode], 97, ButtonMode::kRadio);
        modes_.Add(choice);
        choice->hide();
    }

    const app::AppSettings& settings = frame_.state().settings;
    folder_->setText(QString::fromStdString(controller::ShownDataFolder(settings.data_folder)));
    // A stored mode beyond the three choices marks none, and OK then keeps it.
    modes_.Check(settings.big >= 0 && settings.big <= 2 ? settings.big : -1);
    ShowFreeSpace(folder_->text());
}

QString CDlgEnv::FolderText() const {
    return folder_->text();
}

QString CDlgEnv::FreeSpaceText() const {
    return free_space_->text();
}

void CDlgEnv::showEvent(QShowEvent* event) {
    CSkinDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - rect().center());
    }
}

void CDlgEnv::ShowFreeSpace(const QString& folder) {
    free_space_->setText(QString::fromStdString(
        controller::FreeSpaceText(controller::FreeGb(volumes_, folder.toStdString()))));
}

void CDlgEnv::OnCommand(int id) {
    switch (id) {
        case kBrowse:
            Browse();
            break;
        case kOk:
            Accept();
            break;
        case kClose:
            done(QDialog::Rejected);
            break;
        default:
            break;
    }
}

void CDlgEnv::Browse() {
    const std::optional<std::string> chosen =
        ui_.ChooseFolder(folder_->text().toStdString(), kChooseTitle);
    if (!chosen) {
        return;
    }
    folder_->setText(QString::fromStdString(*chosen).replace(QLatin1Char('\\'), QLatin1Char('/')));
    ShowFreeSpace(folder_->text());
}

void CDlgEnv::Accept() {
    const std::string text = folder_->text().toStdString();
    std::optional<platform::Volume> volume;
    if (!text.empty() && text.front() == '/') {
        volume = volumes_.ForPath(platform::NormalizeFolder(text));
    }
    const auto ask = [this](std::string_view message, std::string_view caption,
                            MessageBoxButtons buttons, MessageBoxIcon icon) {
        return ShowMessageBox(this, FromUtf8(message), FromUtf8(caption), buttons, icon,
                              QtFrameUi::kProgramTitle);
    };
    switch (controller::CheckDataFolder(text, volume)) {
        case controller::FolderVerdict::kAskRemote:
            if (ask(kTextRemote, kCaptionRemote, MessageBoxButtons::kYesNo,
                    MessageBoxIcon::kQuestion) != kIdYes) {
                return;
            }
            break;
        case controller::FolderVerdict::kRefuse:
            ask(kTextNotHardDisk, kCaptionNotHardDisk, MessageBoxButtons::kOk,
                MessageBoxIcon::kInformation);
            return;
        case controller::FolderVerdict::kAccept:
            break;
    }
    if (controller::RecommendOtherDrive(controller::FreeGb(volumes_, text))) {
        ask(kTextLowSpace, kCaptionLowSpace, MessageBoxButtons::kOk, MessageBoxIcon::kInformation);
    }
    frame_.StoreEnvSettings(text, modes_.Checked());
    done(QDialog::Accepted);
}

}  // namespace mapvale::ui
