// The install page's and the settings dialog's operations: choices of the selected device, the
// card, the start button, the download folder and the user.

#include "catalog/file_selection.h"
#include "controller/check_marks.h"
#include "controller/controller_texts.h"
#include "controller/install_rules.h"
#include "controller/main_frame.h"
#include "controller/wizard_return.h"
#include "platform/files.h"

namespace mapvale::controller {

void CMainFrame::ReselectFiles() {
    DeviceEntry* device = state_.selected_device;
    if (device != nullptr) {
        catalog::SelectFiles(*device, PackageFolder());
    }
    ui_.RefreshLists();
}

int CMainFrame::SetInstallType(int type) {
    DeviceEntry* device = state_.selected_device;
    if (device == nullptr || state_.job_running != 0) {
        return 0;
    }
    if (state_.SelectedCard() != nullptr) {
        RebuildSelectedDrive();
        ReadCardVersionData(false);
    }
    device->install_type = type;
    ReselectFiles();
    return 1;
}

int CMainFrame::SetFormatOption(bool on) {
    DeviceEntry* device = state_.selected_device;
    if (device == nullptr || state_.job_running != 0) {
        return 0;
    }
    device->format_option = on ? 1 : 0;
    device->backup_option = device->format_option;
    // The card's versions count only while it is not erased first.
    ReadCardVersionData(false);
    ui_.RefreshOptions();
    ReselectFiles();
    return 1;
}

int CMainFrame::SetBackupOption(bool on) {
    DeviceEntry* device = state_.selected_device;
    if (device == nullptr || state_.job_running != 0) {
        return 0;
    }
    device->backup_option = on ? 1 : 0;
    ReselectFiles();
    return 1;
}

int CMainFrame::SetColour(int colour) {
    DeviceEntry* device = state_.selected_device;
    if (device == nullptr || state_.job_running != 0 || (colour != 1 && colour != 2)) {
        return 0;
    }
    device->colour = colour;
    ReselectFiles();
    return 1;
}

bool CMainFrame::ClickCheckMark(std::size_t index) {
    DeviceEntry* device = state_.selected_device;
    if (device == nullptr || state_.job_running != 0 ||
        !controller::ClickCheckMark(*device, index)) {
        return false;
    }
    // A custom install's selection is its statuses: the marks become them at once, so a later
    // reselection (another option, another card) keeps what the user chose.
    controller::ApplyCheckMarks(*device);
    ReselectFiles();
    return true;
}

void CMainFrame::ChooseCard(char letter) {
    if (state_.job_running != 0) {
        return;
    }
    SelectDrive(letter);
    DeviceEntry* device = state_.selected_device;
    if (device != nullptr && state_.SelectedCard() != nullptr) {
        RebuildSelectedDrive();
        ReadCardVersionData(false);
    }
    if (device != nullptr && device->install_type != kInstallNo1GbVariant &&
        device->install_type != kInstallCameraOnly) {
        device->install_type = ChooseInstallType();
    }
    ReselectFiles();
}

int CMainFrame::PressStart() {
    const StartingJob starting(starting_job_);
    if (!starting.first()) {
        return 0;
    }
    if (state_.job_running != 0) {
        return AskToStopJob() ? 2 : 0;
    }
    DeviceEntry* device = state_.selected_device;
    if (device != nullptr) {
        controller::ApplyCheckMarks(*device);
    }
    switch (CheckCardSpace()) {
        case 0:
            if (Ask(kTextLowCardSpace, kCaptionLowCardSpace, Buttons::kYesNo, Icon::kQuestion) !=
                Answer::kYes) {
                ui_.RefreshLists();
                return 0;
            }
            break;
        case 1:
            if (state_.SelectedCard() == nullptr &&
                Ask(kTextNoCardSelected, kCaptionNoCardSelected, Buttons::kYesNo,
                    Icon::kQuestion) != Answer::kYes) {
                return 0;
            }
            break;
        case -2:
            Ask(kTextCardTooSmall, "", Buttons::kOk, Icon::kNone);
            ui_.RefreshLists();
            return 0;
        case -1:
            Ask(kTextNoDeviceSelected, "", Buttons::kOk, Icon::kNone);
            ui_.RefreshLists();
            return 0;
        default:
            return 0;
    }
    const int started = RunStartJob();
    if (started != 1) {
        CancelJob();
        ui_.EnableStartButton();
        ui_.RefreshLists();
    }
    return started == 1 ? 1 : 0;
}

void CMainFrame::StoreEnvSettings(std::string_view folder, int notification_mode) {
    state_.settings.data_folder = platform::NormalizeFolder(folder);
    if (notification_mode >= 0 && notification_mode <= 2) {
        state_.settings.big = notification_mode;
    }
    SaveSettings();
    RebuildSelectedDrive();
    ui_.RefreshLists();
}

bool CMainFrame::ChangeUser(const std::function<bool()>& run_dialog) {
    app::AppSettings& settings = state_.settings;
    if (settings.save == 0) {
        settings.user_id.clear();
        settings.password.clear();
        settings.auto_sign_in = 0;
    }
    state_.sign_in_dialog_open = true;
    const bool signed_in = run_dialog();
    state_.sign_in_dialog_open = false;
    if (!signed_in) {
        return false;
    }
    state_.selected_device = nullptr;
    ui_.RefreshLists();
    ui_.ShowInstallPage();
    SaveSettings();
    return true;
}

bool CMainFrame::ReturnToWizard() {
    const std::string_view refusal =
        WizardReturnRefusal(state_.selected_device, state_.SelectedCard(), state_.job_running != 0);
    if (!refusal.empty()) {
        Ask(refusal, kWizardReturnCaption, Buttons::kOk, Icon::kInformation, Owner::kMainScreen);
        return false;
    }
    ToggleMainScreen(false);
    return true;
}

int CMainFrame::SignInAgain() {
    if (state_.job_running != 0) {
        return 0;
    }
    state_.selected_device = nullptr;
    ui_.RefreshLists();
    const app::AppSettings settings = state_.settings;
    const int signed_in = RunSignIn(settings.user_id, settings.company, settings.password);
    ui_.RefreshLists();
    if (signed_in != 1) {
        Ask(state_.sign_in_error, "", Buttons::kOk, Icon::kNone);
    }
    return signed_in;
}

}  // namespace mapvale::controller
