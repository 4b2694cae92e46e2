#include "ui/dlg_env.h"

#include <QLineEdit>
#include <algorithm>

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

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The font fills the edit's height less a pixel above and below, so no letter is cut.
QLineEdit* MakeEdit(int id, QWidget* parent, const QRect& place, bool read_only) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(place);
    edit->setFrame(false);
    edit->setReadOnly(read_only);
    edit->setFont(SkinFont(std::min(12, place.height() - 2)));
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
        ui_.ChooseFolder(folder_->text().toStdString(), kEnvChooseTitle);
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
            if (ask(kEnvTextRemote, kEnvCaptionRemote, MessageBoxButtons::kYesNo,
                    MessageBoxIcon::kQuestion) != kIdYes) {
                return;
            }
            break;
        case controller::FolderVerdict::kRefuse:
            ask(kEnvTextNotHardDisk, kEnvCaptionNotHardDisk, MessageBoxButtons::kOk,
                MessageBoxIcon::kInformation);
            return;
        case controller::FolderVerdict::kAccept:
            break;
    }
    if (controller::RecommendOtherDrive(controller::FreeGb(volumes_, text))) {
        ask(kEnvTextLowSpace, kEnvCaptionLowSpace, MessageBoxButtons::kOk,
            MessageBoxIcon::kInformation);
    }
    frame_.StoreEnvSettings(text, modes_.Checked());
    done(QDialog::Accepted);
}

}  // namespace mapvale::ui
