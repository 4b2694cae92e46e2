#include "mapvale-cli/cli_run.h"

#include <filesystem>
#include <memory>

#include "app/constants.h"
#include "app/program_folders.h"
#include "app/startup.h"
#include "card/drive_text.h"
#include "catalog/download_job.h"
#include "controller/controller_texts.h"
#include "controller/install_rules.h"
#include "controller/main_frame.h"
#include "controller/status_strip.h"
#include "mapvale-cli/card_report.h"
#include "mapvale-cli/cli_texts.h"
#include "mapvale-cli/console_launcher.h"
#include "mapvale-cli/console_ui.h"
#include "mapvale-cli/exit_codes.h"
#include "mapvale-cli/frame_loop.h"
#include "mapvale-cli/interrupt_flag.h"
#include "mapvale-cli/progress_printer.h"
#include "mapvale-cli/selection.h"
#include "mapvale-cli/settings_overlay.h"
#include "model/messages.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/message_queue.h"
#include "platform/profile.h"
#include "update/elevation.h"

namespace mapvale::cli {

namespace {

using controller::CMainFrame;
using controller::ControllerState;

constexpr std::chrono::milliseconds kJobPoll{100};

std::string AbsoluteFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    return platform::NormalizeFolder(error ? folder : absolute.string());
}

// Hands the controller every message that is waiting now, without blocking.
void HandleWaiting(CMainFrame& frame, FrameLoop& loop) {
    while (!frame.closed()) {
        const std::optional<platform::Message> message = loop.Next(std::chrono::milliseconds(0));
        if (!message) {
            return;
        }
        frame.HandleMessage(message->message, message->w_param, message->l_param);
    }
}

void ListDevices(Console& console, const ControllerState& state) {
    console.Print(kTextDevices);
    int number = 1;
    for (const DeviceEntry& device : state.devices) {
        console.Print("  " + std::to_string(number++) + ". " +
                      DeviceLabel(device, state.settings.company));
    }
}

void ListDrives(Console& console, const ControllerState& state) {
    console.Print(kTextDrives);
    for (const auto& [letter, card] : state.drives) {
        std::string line = "  " + card::DriveText(letter, card.capacity_kb) + "  " + card.root;
        if (!card.model_name.empty()) {
            line += "  (" + card.model_name + ")";
        }
        console.Print(line);
    }
    console.Print("  " + std::string(card::kHardDiskOnlyText));
}

// The card the job writes to: none for a download-only unit (a TARNO PDA).
const CardInfo* TargetCard(const ControllerState& state) {
    const DeviceEntry* device = state.selected_device;
    if (device != nullptr && device->kind == 2 && device->device_class == "P") {
        return nullptr;
    }
    return state.SelectedCard();
}

int ReportStatus(Console& console, const ControllerState& state) {
    if (state.drives.empty()) {
        console.Print(kTextNoCards);
        return kExitDone;
    }
    const std::int64_t now = platform::DefaultClock().Now();
    for (const auto& [letter, card] : state.drives) {
        for (const std::string& line :
             CardReport(card, DeviceForCard(state.devices, card), state.settings.company, now)) {
            console.Print(line);
        }
    }
    return kExitDone;
}

// Applies the command line's selection as the wizard's option screen would hold it. Returns an
// exit status when the job cannot start, nothing when it may.
std::optional<int> PrepareSelection(const CliOptions& options, CMainFrame& frame, ConsoleUi& ui,
                                    Console& console) {
    ControllerState& state = frame.state();
    if (state.devices.empty()) {
        console.Print(kTextNoDevices);
        return kExitNotCompleted;
    }
    // The card named on the command line comes first: when it is not there, no unit can be
    // matched to it either, and asking for a unit would point the user the wrong way.
    std::optional<char> named_card;
    if (!options.hard_disk && !options.card.empty()) {
        named_card = FindCard(state.drives, options.card);
        if (!named_card) {
            console.Print(std::string(kTextUnknownCard) + options.card);
            ListDrives(console, state);
            return kExitNotCompleted;
        }
    }
    DeviceEntry* device = state.selected_device;
    if (!options.device.empty()) {
        device = FindDevice(state.devices, options.device);
        if (device == nullptr) {
            console.Print(std::string(kTextUnknownDevice) + options.device);
            ListDevices(console, state);
            return kExitNotCompleted;
        }
    }
    if (device == nullptr) {
        console.Print(kTextChooseDevice);
        ListDevices(console, state);
        return kExitNotCompleted;
    }
    char drive = state.selected_drive;
    if (options.hard_disk) {
        drive = 0;
    } else if (named_card) {
        drive = *named_card;
    } else if (drive == 0) {
        console.Print(state.drives.empty() ? kTextInsertCard : kTextChooseCard);
        ListDrives(console, state);
        return kExitNotCompleted;
    }

    frame.SelectDevice(device);
    frame.SelectDrive(drive);
    frame.SelectDevicePackages(*device);
    console.Print(std::string(kTextFittingDevice) + DeviceLabel(*device, state.settings.company));
    if (device->kind == 2 && device->device_class == "P") {
        console.Print(kTextPdaNoEasyInstall);
        return kExitNotCompleted;
    }

    const CardInfo* card = TargetCard(state);
    const FormatChoice defaults = card != nullptr ? DefaultFormatChoice(*card) : FormatChoice{};
    const bool format = card != nullptr && options.format.value_or(defaults.format);
    const bool backup = format && options.backup.value_or(true);
    device->format_option = format ? 1 : 0;
    device->backup_option = backup ? 1 : 0;
    device->install_type = frame.ChooseInstallType();
    ui.SetWizardChoice(format, backup);

    if (card == nullptr) {
        console.Print(std::string(kTextHardDiskOnly) + ": " + state.settings.data_folder +
                      device->model_name + "/");
        return std::nullopt;
    }
    if (device->install_type == controller::kInstallNone || frame.CheckCardSpace() == -2) {
        console.Print(kTextCardTooSmall);
        return kExitNotCompleted;
    }
    if (controller::CardHasNewest(*device, *card) &&
        ui.Ask(controller::kTextReinstall, controller::kCaptionReinstall,
               controller::Buttons::kYesNo) != controller::Answer::kYes) {
        console.Print(
            controller::ComputeStatusStrip(device, card, platform::DefaultClock().Now()).text);
        return kExitNothingToDo;
    }
    console.Print(SummaryLine(device, card));
    return std::nullopt;
}

// A Ctrl-C while a job runs. Once the card is being erased or the backup closed, stopping would
// leave the card half-made: the user is told so in the windowed program's words and the job
// goes on (nothing; a later Ctrl-C is asked again). Otherwise the job is stopped, and the exit
// status says what really happened: a job that completed while it was being stopped has
// completed.
std::optional<int> StopJob(CMainFrame& frame, FrameLoop& loop, Console& console, bool to_card) {
    // What the workers already reported comes first, so the stage is the current one.
    while (const std::optional<platform::Message> message =
               loop.Next(std::chrono::milliseconds(0))) {
        frame.HandleMessage(message->message, message->w_param, message->l_param);
    }
    const ControllerState& state = frame.state();
    if (state.wizard_screen && state.screen_number == controller::kScreenFinished) {
        console.Print(to_card ? kTextJobDone : kTextDownloadDone);
        return kExitDone;
    }
    const DeviceEntry* device = state.selected_device;
    if (to_card && device != nullptr && (device->job_state == 2 || device->job_state == 3)) {
        console.Print(std::string(controller::kCaptionCannotStop) + ": " +
                      std::string(controller::kTextCannotStop));
        InterruptFlag::Clear();
        InterruptFlag::InstallHandlers();
        return std::nullopt;
    }
    frame.CancelJob();
    bool completed = false;
    while (const std::optional<platform::Message> message =
               loop.Next(std::chrono::milliseconds(0))) {
        completed = completed || (to_card ? message->message == kMsgInstallComplete
                                          : message->message == WM_DOWNLOAD_COMPLETE);
    }
    if (completed) {
        console.Print(to_card ? kTextJobDone : kTextDownloadDone);
        return kExitDone;
    }
    console.Print(kTextInterrupted);
    return kExitInterrupted;
}

// Follows a started job until it ends; the exit status.
int FollowJob(CMainFrame& frame, FrameLoop& loop, Console& console) {
    const ControllerState& state = frame.state();
    const bool to_card = TargetCard(state) != nullptr && state.selected_device != nullptr &&
                         controller::InstallsOnCard(*state.selected_device);
    ProgressPrinter printer(console);
    for (;;) {
        if (InterruptFlag::Requested()) {
            if (const std::optional<int> ended = StopJob(frame, loop, console, to_card)) {
                printer.Finish();
                return *ended;
            }
        }
        // Offered after every message, so no stage goes unseen.
        printer.Show(controller::ComputeStatusStrip(state.selected_device, TargetCard(state),
                                                    platform::DefaultClock().Now()),
                     FrameLoop::NowMs());
        if (const std::optional<platform::Message> message = loop.Next(kJobPoll)) {
            frame.HandleMessage(message->message, message->w_param, message->l_param);
            // The window's text gives only the code; the console names a full disk too.
            if (message->message == kMsgJobError && message->w_param == catalog::kDownloadFailed &&
                catalog::DiskWasFull(message->l_param)) {
                console.Print(kTextDiskFull);
            }
        }
        if (frame.closed()) {
            printer.Finish();
            console.Print(kTextEndedEarly);
            return kExitNotCompleted;
        }
        if (!state.wizard_screen || state.screen_number != controller::kScreenProgress) {
            printer.Finish();
            if (state.wizard_screen && state.screen_number == controller::kScreenFinished) {
                console.Print(to_card ? kTextJobDone : kTextDownloadDone);
                return kExitDone;
            }
            // Back on the option screen after the job's error, which was shown as it came.
            if (!state.wizard_screen || state.screen_number != controller::kScreenOptions) {
                console.Print(kTextEndedEarly);
            }
            return kExitNotCompleted;
        }
    }
}

int RunJob(const CliOptions& options, CMainFrame& frame, FrameLoop& loop, ConsoleUi& ui,
           Console& console) {
    if (const std::optional<int> refused = PrepareSelection(options, frame, ui, console)) {
        return *refused;
    }
    if (InterruptFlag::Requested()) {
        console.Print(kTextInterrupted);
        return kExitInterrupted;
    }
    // The job refuses a download folder that does not exist; the console makes it, as a
    // folder given on the command line is meant to be used.
    const std::string& data_folder = frame.state().settings.data_folder;
    if (!platform::FolderExists(data_folder) && !platform::CreateFolderChain(data_folder)) {
        console.Print(std::string(kTextDataFolderFailed) + data_folder);
        return kExitNotCompleted;
    }
    const int started = frame.StartJob();
    if (InterruptFlag::Requested()) {
        frame.CancelJob();
        console.Print(kTextInterrupted);
        return kExitInterrupted;
    }
    if (started != 1) {
        console.Print(started == 0 ? kTextNothingToDo : kTextJobNotStarted);
        return started == 0 ? kExitNothingToDo : kExitNotCompleted;
    }
    frame.ShowScreen(controller::kScreenProgress);
    console.Print(kTextJobStarting);
    return FollowJob(frame, loop, console);
}

}  // namespace

int RunCli(const CliOptions& options, Console& console) {
    const bool status_only = options.command == Command::kStatus;
    const std::filesystem::path settings_folder =
        options.settings_folder.empty() ? platform::DefaultSettingsFolder()
                                        : std::filesystem::path(options.settings_folder);
    platform::FileSettingsStore file_store(settings_folder);
    OverlaySettingsStore store(file_store, status_only ? OverlaySettingsStore::Writes::kInMemory
                                                       : OverlaySettingsStore::Writes::kThrough);
    platform::Profile profile(store, std::string(app::kCompanyKey), std::string(app::kProfileName));
    const std::string path_key = profile.SectionKey(app::kSectionPath);
    if (!options.program_folder.empty()) {
        store.Override(platform::SettingsRoot::kUser, path_key, "INSTALL",
                       AbsoluteFolder(options.program_folder));
    }
    if (!options.data_folder.empty()) {
        store.Override(platform::SettingsRoot::kUser, path_key, "DATA",
                       AbsoluteFolder(options.data_folder));
    }

    platform::MessageQueue queue;
    platform::SocketInstanceService instances;
    // One job at a time: the windowed updater and other console jobs publish the same name.
    std::unique_ptr<platform::InstanceEndpoint> endpoint;
    if (!status_only) {
        if (!app::WaitForPreviousInstance(instances, platform::DefaultSleeper())) {
            console.Print(kTextAnotherInstance);
            return kExitStartup;
        }
        endpoint = instances.Publish(std::string(app::kFrameClassName),
                                     [&queue] { queue.Post(kWmClose, 0, 0); });
        if (!endpoint) {
            console.Print(kTextAnotherInstance);
            return kExitStartup;
        }
    }

    ConsoleLauncher launcher(platform::DefaultProcessLauncher());
    update::PkexecElevation elevation(launcher);
    FrameLoop loop(queue);
    ConsoleUiSettings ui_settings;
    ui_settings.status_only = status_only;
    ui_settings.skip_self_update = options.skip_self_update;
    ui_settings.user = options.user;
    ui_settings.password = options.password;
    ui_settings.brand = options.brand;
    ui_settings.save_sign_in = options.save_sign_in;
    ConsoleUi ui(console, loop, options.answers, ui_settings, elevation);

    controller::FrameServices services;
    services.profile = &profile;
    services.folder_defaults = app::DefaultFolders();
    services.launcher = &launcher;
    services.instances = &instances;
    CMainFrame frame(ui, queue, std::move(services));
    ui.Attach(frame);

    frame.OnCreate();
    HandleWaiting(frame, loop);
    const ControllerState& state = frame.state();
    if (InterruptFlag::Requested()) {
        console.Print(kTextInterrupted);
        return kExitInterrupted;
    }
    if (frame.closed() || !state.wizard_screen ||
        state.screen_number != controller::kScreenOptions) {
        console.Print(kTextStartupFailed);
        return kExitStartup;
    }
    if (status_only) {
        return ReportStatus(console, state);
    }
    return RunJob(options, frame, loop, ui, console);
}

}  // namespace mapvale::cli
