#include "ui/dlg_easy22.h"

#include <QFile>
#include <QLabel>

#include "controller/controller_texts.h"
#include "controller/downloaded_package.h"
#include "controller/install_rules.h"
#include "controller/main_frame.h"
#include "controller/wizard_lines.h"
#include "controller/wizard_texts.h"
#include "ui/skin/image_button.h"
#include "ui/skin/image_combo.h"
#include "ui/skin/message_box.h"
#include "ui/skin/product_image.h"
#include "ui/skin/x_message_box.h"

namespace mapvale::ui {

namespace {

constexpr int kBackground = 540;
constexpr int kCheckImage = 506;       // 5 frames of 16 x 16
constexpr int kStartImage = 377;       // 4 frames of 100 x 34
constexpr int kMoveScreenImage = 545;  // 4 frames of 96 x 24

bool IsPdaUnit(const DeviceEntry& device) {
    return device.kind == 2 && device.device_class == "P";
}

}  // namespace

CDlgEasy22::CDlgEasy22(controller::CMainFrame& frame)
    : WizardPage(frame, kBackground, "CDlgEasy22") {
    picture_ = new CProductImage(kPicture, this);
    picture_->setGeometry(32, 72, 200, 150);
    medium_ = AddLine(kMedium, QRect(32, 234, 200, 96));
    medium_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    medium_->setWordWrap(true);

    device_box_ = new CImageCombo(kDeviceBox, this);
    device_box_->setGeometry(272, 76, 400, 22);
    connect(device_box_, &QComboBox::activated, this, &CDlgEasy22::OnDeviceChosen);
    drive_box_ = new CImageCombo(kDriveBox, this);
    drive_box_->setGeometry(272, 112, 400, 22);
    connect(drive_box_, &QComboBox::activated, this, &CDlgEasy22::OnDriveChosen);

    format_ = AddButton(kFormat, kCheckImage, 5, 154, 272, ButtonMode::kCheck);
    AddLine(kFormatCaption, QRect(294, 151, 90, 20), 13)
        ->setText(WizardText(controller::kFormatCheckCaption));
    backup_ = AddButton(kBackup, kCheckImage, 5, 154, 400, ButtonMode::kCheck);
    AddLine(kBackupCaption, QRect(422, 151, 90, 20), 13)
        ->setText(WizardText(controller::kBackupCheckCaption));

    small_card_note_ = AddLine(kSmallCardNote, QRect(272, 186, 300, 90), 13);
    small_card_note_->setText(WizardText(controller::kTextNoSmallEasyInstall));
    move_screen_ = AddButton(kMoveScreen, kMoveScreenImage, 4, 252, 576);

    status_ = AddLine(kStatus, QRect(272, 354, 400, 16), 13);
    start_ = AddButton(kStart, kStartImage, 4, 410, 588);
    AddCaptionButtons(true);

    QFile table(ProgramFolder() + QString::fromLatin1(kMediaTable));
    if (table.open(QIODevice::ReadOnly)) {
        const QByteArray text = table.readAll();
        media_ = controller::ParseVehicleMedia(std::string_view(text.constData(), text.size()));
    }
    RefreshLists();
}

void CDlgEasy22::EnableStartButton() {
    start_->setEnabled(true);
}

void CDlgEasy22::RefreshLists() {
    controller::ControllerState& state = frame().state();
    device_box_->clear();
    device_rows_.clear();
    if (state.devices.empty()) {
        device_box_->addItem(WizardText(controller::kRegisterProduct));
        device_box_->setCurrentIndex(0);
    } else {
        int current = -1;
        for (DeviceEntry& device : state.devices) {
            if (&device == state.selected_device) {
                current = static_cast<int>(device_rows_.size());
            }
            device_rows_.push_back(&device);
            device_box_->addItem(
                WizardText(controller::WizardDeviceLabel(device, state.settings.company)));
        }
        device_box_->setCurrentIndex(current);
    }

    drive_box_->clear();
    drive_rows_.clear();
    for (const std::string& row : controller::WizardDriveRows(state.drives)) {
        drive_box_->addItem(WizardText(row));
    }
    for (const auto& [letter, card] : state.drives) {
        drive_rows_.push_back(letter);
    }
    drive_rows_.push_back(0);
    const auto selected = std::find(drive_rows_.begin(), drive_rows_.end(), state.selected_drive);
    drive_box_->setCurrentIndex(selected != drive_rows_.end()
                                    ? static_cast<int>(selected - drive_rows_.begin())
                                    : static_cast<int>(drive_rows_.size()) - 1);
    // The job keeps the card it was started for.
    drive_box_->setEnabled(state.job_running == 0);
    RefreshOptions();
}

std::optional<controller::Medium> CDlgEasy22::SelectedMedium() {
    const DeviceEntry* device = frame().state().selected_device;
    if (device == nullptr || device->kind != 8) {
        return std::nullopt;
    }
    return controller::FindMedium(media_, device->model_name);
}

void CDlgEasy22::RefreshOptions() {
    DeviceEntry* device = frame().state().selected_device;
    const std::optional<controller::Medium> medium = SelectedMedium();
    const bool card_options = !medium || controller::MediumAllowsCardOptions(*medium);
    if (device != nullptr && !card_options) {
        // These units take the package on the hard disk only.
        device->format_option = 0;
        device->backup_option = 0;
    }
    const bool format = device == nullptr || device->format_option == 1;
    const bool backup = format && (device == nullptr || device->backup_option == 1);
    format_->SetCheck(format);
    backup_->SetCheck(backup);
    const bool usable = !options_disabled_ && card_options && frame().state().job_running == 0;
    format_->setEnabled(usable);
    backup_->setEnabled(usable && format);
    medium_->setText(medium ? WizardText(controller::MediumMessage(*medium)) : QString());
    RedrawStatus();
    ShowPicture();
}

void CDlgEasy22::RedrawStatus() {
    controller::ControllerState& state = frame().state();
    DeviceEntry* device = state.selected_device;
    const int code = controller::WizardPackageCode(device, state.SelectedCard());
    if (device != nullptr && state.job_running == 0) {
        device->install_type = code;
    }
    status_->setText(
        WizardText(controller::OptionStatusLine(device, drive_box_->currentIndex() >= 0, code)));
    const bool note = device != nullptr && code == controller::kInstallNo1GbVariant;
    small_card_note_->setVisible(note);
    move_screen_->setVisible(note);
}

void CDlgEasy22::ShowPicture() {
    const DeviceEntry* device = frame().state().selected_device;
    const QString folder = ProgramFolder();
    QString file = folder + WizardText(device == nullptr ? controller::kNoSelectionPicture
                                                         : controller::kDefaultProductPicture);
    if (device != nullptr && !device->picture_path.empty()) {
        file = WizardText(device->picture_path);
    }
    if (!picture_->SetPicture(file)) {
        // A picture that does not load: the default one.
        file = folder + WizardText(controller::kDefaultProductPicture);
        picture_->SetPicture(file);
    }
    picture_file_ = file;
}

bool CDlgEasy22::TakeSkipQuestionFlag() {
    return std::exchange(skip_question_, false);
}

void CDlgEasy22::DisableWizardOptions() {
    options_disabled_ = true;
    RefreshOptions();
}

std::optional<std::pair<bool, bool>> CDlgEasy22::WizardFormatAndBackupChoice() {
    return std::make_pair(format_->GetCheck(), backup_->GetCheck());
}

void CDlgEasy22::Tell(std::string_view text) {
    frame().ui().MessageBox(text, controller::kWizardNoticeCaption, controller::Buttons::kOk,
                            controller::Icon::kInformation, controller::Owner::kCurrentScreen);
}

void CDlgEasy22::OnCommand(int id) {
    switch (id) {
        case kFormat:
            OnFormatClicked();
            break;
        case kBackup:
            OnBackupClicked();
            break;
        case kStart:
            OnStart();
            break;
        case kMoveScreen:
            frame().ToggleMainScreen(true);
            break;
        default:
            WizardPage::OnCommand(id);
            break;
    }
}

void CDlgEasy22::OnDeviceChosen(int row) {
    skip_question_ = false;
    if (frame().state().job_running != 0) {
        RefreshLists();
        return;
    }
    DeviceEntry* device =
        row >= 0 && row < static_cast<int>(device_rows_.size()) ? device_rows_[row] : nullptr;
    frame().SelectDevice(device);
    if (frame().state().selected_device == nullptr) {
        Tell(controller::kTextChooseVehicleFirst);
        RefreshLists();
        return;
    }
    if (IsPdaUnit(*device)) {
        Tell(controller::kTextPdaNoEasyInstall);
        frame().ToggleMainScreen(true);
        return;
    }
    frame().SelectDevicePackages(*device);
    RefreshLists();
}

void CDlgEasy22::OnDriveChosen(int row) {
    skip_question_ = false;
    const char letter =
        row >= 0 && row < static_cast<int>(drive_rows_.size()) ? drive_rows_[row] : 0;
    frame().SelectDrive(letter);
    RefreshOptions();
    controller::ControllerState& state = frame().state();
    const DeviceEntry* device = state.selected_device;
    if (device == nullptr || !controller::NewestPackageAlreadyThere(*device, state.SelectedCard(),
                                                                    state.settings.data_folder)) {
        return;
    }
    const int answer = AskAboutDownloadedPackage(this);
    if (answer == kIdNo) {
        frame().ui().OpenWithDesktop(state.settings.data_folder);
    }
    // Told that the newest package is there, the user is not asked about the hard disk again;
    // choosing to install again asks as usual.
    skip_question_ = answer != kIdYes;
    RefreshOptions();
}

void CDlgEasy22::OnFormatClicked() {
    const bool on = format_->GetCheck();
    DeviceEntry* device = frame().state().selected_device;
    if (device == nullptr) {
        format_->SetCheck(!on);  // nothing to change without a unit
        return;
    }
    if (on) {
        device->format_option = 1;
    } else if (frame().ui().MessageBox(
                   controller::kTextCancelFormat, controller::kCaptionCancelFormat,
                   controller::Buttons::kOkCancel, controller::Icon::kQuestion,
                   controller::Owner::kCurrentScreen) == controller::Answer::kOk) {
        device->format_option = 0;
        device->backup_option = 0;
    } else {
        device->format_option = 1;
    }
    RefreshOptions();
}

void CDlgEasy22::OnBackupClicked() {
    DeviceEntry* device = frame().state().selected_device;
    if (device == nullptr) {
        backup_->SetCheck(!backup_->GetCheck());
        return;
    }
    device->backup_option = backup_->GetCheck() ? 1 : 0;
    RefreshOptions();
}

void CDlgEasy22::OnStart() {
    if (frame().state().selected_device == nullptr) {
        Tell(controller::kTextChooseVehicleFirst);
        return;
    }
    start_->setEnabled(false);
    const QPointer<CDlgEasy22> alive(this);
    const int started = frame().StartJob();
    if (started == 1) {
        frame().ShowScreen(controller::kScreenProgress);
        return;
    }
    if (alive) {
        start_->setEnabled(true);
    }
}

}  // namespace mapvale::ui
