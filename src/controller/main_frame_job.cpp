// The job side of the controller: the questions before a job, its start, its progress, its end
// by completion, error or cancel.

#include <chrono>
#include <filesystem>

#include "app/constants.h"
#include "app/log_file.h"
#include "card/drive_text.h"
#include "catalog/card_state.h"
#include "catalog/download_space.h"
#include "catalog/file_selection.h"
#include "catalog/pc_state.h"
#include "controller/controller_texts.h"
#include "controller/install_rules.h"
#include "controller/main_frame.h"
#include "model/messages.h"
#include "platform/files.h"

namespace mapvale::controller {

namespace {

using namespace std::chrono_literals;

constexpr int kStartButtonBitmap = 377;
constexpr int kStopButtonBitmap = 429;
constexpr double kLargeBackupGb = 2.0;

std::string ReplaceFirst(std::string_view text, std::string_view marker, std::string_view value) {
    std::string out(text);
    if (const auto at = out.find(marker); at != std::string::npos) {
        out.replace(at, marker.size(), value);
    }
    return out;
}

// A PDA unit: the package goes to the PC only, never onto a card.
bool IsPda(const DeviceEntry& device) {
    return device.device_class == "P";
}

// Start times, remaining times, speeds and percentages back to "nothing measured yet".
void ResetJobFigures(DeviceEntry& device) {
    device.download_start_time = 0;
    device.copy_start_time = 0;
    device.remaining_download_seconds = 0;
    device.remaining_copy_seconds = 0;
    device.download_speed = 0;
    device.copy_speed = 0;
    device.download_percent = 0;
    device.install_percent = 0;
}

// The newest "Backup_*" folder of a package folder: the greatest remainder after "Backup_",
// compared as text; empty when there is none.
std::string NewestBackupFolder(const std::string& package_folder) {
    std::error_code error;
    std::string best_name;
    std::string best_rest;
    for (const auto& entry : std::filesystem::directory_iterator(package_folder, error)) {
        if (!entry.is_directory(error)) {
            continue;
        }
        const std::string name = entry.path().filename().string();
        const auto at = name.find("Backup_");
        if (at == std::string::npos) {
            continue;
        }
        std::string rest = name;
        rest.erase(at, 7);
        if (best_name.empty() || rest > best_rest) {
            best_name = name;
            best_rest = rest;
        }
    }
    return best_name;
}

}  // namespace

bool CMainFrame::HasTarget() const {
    const DeviceEntry* device = state_.selected_device;
    if (state_.SelectedCard() == nullptr) {
        return false;
    }
    return device == nullptr || !(device->kind == 2 && IsPda(*device));
}

DeviceEntry* CMainFrame::JobDevice() const {
    return state_.job_running != 0 && job_device_ != nullptr ? job_device_ : state_.selected_device;
}

const CardInfo* CMainFrame::JobCard() const {
    if (state_.job_running == 0) {
        return HasTarget() ? state_.SelectedCard() : nullptr;
    }
    const auto found = state_.drives.find(job_drive_);
    return job_drive_ != 0 && found != state_.drives.end() ? &found->second : nullptr;
}

void CMainFrame::ReenableWizardStart() {
    ui_.EnableStartButton();
}

void CMainFrame::RefreshMainList() {
    ui_.RefreshLists();
}

void CMainFrame::RebuildSelectedDrive() {
    const char letter = state_.selected_drive;
    if (letter == 0) {
        return;
    }
    CardInfo card;
    if (AnalyseDrive(letter, card)) {
        state_.drives[letter] = std::move(card);
    }
}

void CMainFrame::ReadCardVersionData(bool clear_format_for_read) {
    DeviceEntry& device = *state_.selected_device;
    catalog::ReadPcState(device, PackageFolder());
    const std::int32_t format_option = device.format_option;
    if (clear_format_for_read) {
        device.format_option = 0;
    }
    catalog::ReadCardState(device, state_.SelectedCard());
    device.format_option = format_option;
}

bool CMainFrame::OnlyCameraDataDiffers() const {
    // The card carries this package's map already and only the safe-driving data is newer.
    const DeviceEntry& device = *state_.selected_device;
    const CardInfo* card = state_.SelectedCard();
    return card != nullptr && card->model_name == device.model_name &&
           card->recorded_version == device.server_map_version &&
           card->recorded_number != device.server_second_version;
}

std::optional<std::uint64_t> CMainFrame::DataFolderFreeBytes() {
    for (int attempt = 0; attempt <= catalog::kFreeSpaceRetries; ++attempt) {
        if (attempt > 0) {
            sleeper_.Sleep(catalog::kFreeSpaceRetryWait);
        }
        if (auto bytes = catalog::FreeBytesFor(volumes_, state_.settings.data_folder)) {
            return bytes;
        }
    }
    return std::nullopt;
}

void CMainFrame::SetUpJobs() {
    DeviceEntry* device = state_.selected_device;
    catalog::DownloadJobSetup setup;
    setup.owner = &window_;
    setup.download_folder = PackageFolder();
    setup.program_folder = state_.settings.program_folder;
    setup.device = device;
    setup.servers = state_.servers;
    setup.file_done = &install_job_.file_ready();
    download_job_.SetUp(setup);
    const CardInfo* card = HasTarget() ? state_.SelectedCard() : nullptr;
    install_job_.Setup(window_, state_.settings.data_folder, device, card,
                       card != nullptr ? card->folder_mask : 0);
}

void CMainFrame::PrepareTraffic(const CardInfo& card) {
    const DeviceEntry& device = *state_.selected_device;
    const char* unit_folder = device.kind == 1   ? "Swiftpath_OrLa"
                              : device.kind == 2 ? "Tarno"
                                                 : "Swiftpath";
    const std::string package_folder = PackageFolder();
    const std::string backup_root = platform::NormalizeFolder(
        package_folder + NewestBackupFolder(package_folder) + "/" + unit_folder);
    traffic_ = net::TrafficUploadState{};
    // The unit keeps its probe files and its key in its product folder, not at the card root.
    net::PrepareTrafficUpload(traffic_, card.product_folder, backup_root,
                              static_cast<std::uint16_t>(device.kind));
    const auto log = net::MakeTrafficLog(state_.settings.data_folder, clock_);
    net::RunTrafficUpload(traffic_, state_.servers, log.get(),
                          services_.worker_sleeper != nullptr ? *services_.worker_sleeper
                                                              : platform::DefaultSleeper());
}

CMainFrame::StartingJob::StartingJob(bool& flag) : flag_(flag), first_(!flag) {
    flag_ = true;
}

CMainFrame::StartingJob::~StartingJob() {
    if (first_) {
        flag_ = false;
    }
}

int CMainFrame::StartJob() {
    // The questions let the front end handle input meanwhile: a second press, or the wizard's
    // countdown, must not run a second start beside this one.
    const StartingJob starting(starting_job_);
    return starting.first() ? RunStartJob() : 0;
}

int CMainFrame::RunStartJob() {
    DeviceEntry* device = state_.selected_device;
    // Every question may let the front end handle messages meanwhile, and a card pulled then
    // leaves the drive map: the job goes on only with the drive the user was asked about.
    // A card plugged in while the user is asked about the hard disk is no confirmed target
    // either: the selection must be the one asked about, with or without a card.
    const char asked_drive = state_.selected_drive;
    const auto drive_still_there = [&] { return state_.selected_drive == asked_drive; };

    // Target confirmation (the wizard's screens other than the countdown).
    if (device != nullptr && !IsPda(*device) && state_.wizard_screen &&
        state_.screen_number != kScreenCountdown) {
        if (const CardInfo* card = state_.SelectedCard()) {
            const std::string text = ReplaceFirst(kTextConfirmDrive, "%s",
                                                  card::DriveText(card->letter, card->capacity_kb));
            if (Ask(text, kCaptionConfirmDrive, Buttons::kYesNo, Icon::kQuestion, Owner::kNone) !=
                Answer::kYes) {
                ReenableWizardStart();
                return 2;
            }
        } else {
            if (ui_.TakeSkipQuestionFlag()) {
                ReenableWizardStart();
                return 2;
            }
            if (Ask(kTextConfirmHardDisk, kCaptionConfirmHardDisk, Buttons::kYesNo, Icon::kQuestion,
                    Owner::kNone) != Answer::kYes) {
                ReenableWizardStart();
                return 2;
            }
        }
    }
    if (!drive_still_there() || state_.selected_device != device) {
        return 2;
    }

    // No drive changes while the job is prepared. A job that starts keeps the watcher paused
    // until CancelJob; every other way out of here resumes it at once, since nothing else would
    // (CancelJob does nothing without a running job) and no card would be noticed again.
    struct WatcherPause {
        card::DriveWatcher& watcher;
        bool keep = false;
        ~WatcherPause() {
            if (!keep) {
                watcher.SetEnabled(true);
            }
        }
    } pause{drive_watcher_};
    drive_watcher_.SetEnabled(false);

    if (device == nullptr || state_.job_running != 0) {
        pause.keep = state_.job_running != 0;  // the running job's pause
        return 0;
    }
    const bool has_target = HasTarget();
    if (has_target && state_.settings.traffic_consent == 1 && device->kind == 1) {
        PrepareTraffic(*state_.SelectedCard());
    }
    if (device->registered == 0) {
        Ask(device->registration_text, "", Buttons::kOk, Icon::kNone);
        return 2;
    }
    if (!device->notify_url.empty()) {
        // The package's notice page decides through its scripts (AnswerNotice) or the dialog's
        // own answer.
        state_.notice_dialog_open = true;
        state_.notice_answer = 0;
        const int answer = ui_.RunNoticeDialog(device->notify_url);
        state_.notice_dialog_open = false;
        if ((answer != 0 ? answer : state_.notice_answer) != 1) {
            return 2;
        }
        if (!drive_still_there()) {
            return 2;
        }
    }

    // Version on the card.
    bool resume = false;
    if (has_target && state_.main_screen) {
        ReadCardVersionData(false);
        const CardInfo* card = state_.SelectedCard();
        const bool same_version = card != nullptr && card->model_name == device->model_name &&
                                  card->recorded_version == device->server_map_version &&
                                  card->recorded_number == device->server_second_version;
        if (same_version) {
            if (device->install_type == kInstallCameraOnly || device->format_option == 0) {
                resume = true;
            } else if (card->completion_mark == 1) {
                if (Ask(kTextReinstall, kCaptionReinstall, Buttons::kYesNo, Icon::kQuestion) !=
                    Answer::kYes) {
                    RefreshMainList();
                    return 0;
                }
            } else {
                const Answer answer =
                    Ask(kTextResume, kCaptionReinstall, Buttons::kYesNoCancel, Icon::kQuestion);
                if (answer == Answer::kCancel) {
                    RefreshMainList();
                    return 0;
                }
                resume = answer == Answer::kYes;
            }
            if (!drive_still_there()) {
                return 2;
            }
        }
    }

    JobOptions options = OptionsFor(*device, has_target, resume);
    device->job_user_id = state_.settings.user_id;
    ReadCardVersionData(resume);

    // Only the safe-driving data is new: offer to skip the format.
    if (device->format_option == 1 && state_.selected_drive != 0 && OnlyCameraDataDiffers()) {
        if (Ask(kTextCameraOnly, kCaptionCameraOnly, Buttons::kYesNo, Icon::kInformation) ==
            Answer::kYes) {
            device->format_option = 0;
            device->backup_option = 0;
            options = JobOptions{};
            ui_.RefreshOptions();
            ReadCardVersionData(false);
        }
        if (!drive_still_there()) {
            return 2;
        }
    }
    RebuildSelectedDrive();

    const std::uint64_t free_bytes = DataFolderFreeBytes().value_or(0);
    std::string data_folder = state_.settings.data_folder;
    while (data_folder.size() > 1 && (data_folder.back() == '/' || data_folder.back() == '\\')) {
        data_folder.pop_back();
    }
    if (!platform::FolderExists(data_folder)) {
        Ask(std::string(kTextBadDataFolder) + data_folder + "]", "", Buttons::kOk, Icon::kNone);
        RefreshMainList();
        return 2;
    }
    catalog::ReadPcState(*device, PackageFolder());
    catalog::SelectFiles(*device, PackageFolder());
    // The selection has just told how much room the package takes: a card without it is
    // refused before anything is fetched or the card is touched.
    if (HasTarget() && CheckCardSpace() == -2) {
        Ask(JobErrorMessage(kErrorCardTooSmall, 0), "", Buttons::kOk, Icon::kNone);
        RefreshMainList();
        ReenableWizardStart();
        return 2;
    }
    const std::uint64_t package_bytes =
        device->download_size > 0 ? static_cast<std::uint64_t>(device->download_size) : 0;
    const PcSpace space = CheckPcSpace(
        free_bytes, BackupKb(options.backup_kind, HasTarget() ? state_.SelectedCard() : nullptr),
        RequiredPcKb(*device, package_bytes));
    if (!space.enough) {
        Ask(space.report, kNoticeCaption, Buttons::kOk, Icon::kNone);
        RefreshMainList();
        ReenableWizardStart();
        ui_.DisableWizardOptions();
        return 2;
    }

    SetUpJobs();
    const double backup_gb =
        static_cast<double>(install_job_.BackupSizeKb(options.backup_kind)) / 1024.0 / 1024.0;
    if (device->backup_option == 1 && backup_gb >= kLargeBackupGb) {
        if (Ask(kTextLargeBackup, kCaptionLargeBackup, Buttons::kYesNo, Icon::kInformation) ==
            Answer::kYes) {
            device->format_option = 1;
            device->backup_option = 0;
            options = JobOptions{1, 0, 0};
            ui_.RefreshOptions();
        }
        if (!drive_still_there()) {
            return 2;
        }
        SetUpJobs();
    } else if (const auto choice = ui_.WizardFormatAndBackupChoice()) {
        const auto [format, backup] = *choice;
        if (format) {
            device->format_option = 1;
            options.install_mode = 1;
            device->backup_option = backup ? 1 : 0;
            options.backup_kind = backup ? 1 : 0;
            options.restore_kind = backup ? 1 : 0;
        } else {
            device->format_option = 0;
            device->backup_option = 0;
            options = JobOptions{};
        }
        ui_.RefreshOptions();
        SetUpJobs();
    }

    // Every question is answered: the job is under way from here, for this device and card.
    if (!drive_still_there() || state_.selected_device != device) {
        return 2;
    }
    pause.keep = true;
    job_device_ = device;
    job_drive_ = HasTarget() ? state_.selected_drive : 0;
    job_folder_ = PackageFolder();
    state_.job_running = 1;
    device->busy = 1;
    device->job_state = 1;
    ResetJobFigures(*device);
    state_.progress = ProgressTracker{};
    install_started_ = false;
    install_expected_ = job_drive_ != 0 && InstallsOnCard(*device);
    if (state_.main_screen) {
        ui_.SetStartButtonBitmap(kStopButtonBitmap);
        ui_.RepaintProgress();
        ui_.RefreshLists();
    }

    if (download_job_.Start() == 1) {
        if (device->kind == 8) {
            install_started_ =
                install_job_.Start(options.install_mode, options.backup_kind, options.restore_kind,
                                   "Swiftpath_OrLa/", "BackUp/") == 1;
        } else if (device->kind == 2) {
            install_started_ = install_job_.Start(options.install_mode, options.backup_kind,
                                                  options.restore_kind, "Tarno/", "UserData/") == 1;
        }
    }
    return 1;
}

int CMainFrame::CancelJob() {
    ReenableWizardStart();
    DeviceEntry* device = JobDevice();
    if (device == nullptr || state_.job_running == 0) {
        return 0;
    }
    const std::string package_folder = PackageFolder();
    // The card is touched no more from this moment: a stop asked for while the backup runs must
    // never be followed by the format a second later.
    install_job_.RequestCancel();
    sleeper_.Sleep(1s);
    download_job_.Cancel();
    sleeper_.Sleep(1s);
    install_job_.Cancel();
    sleeper_.Sleep(1s);
    drive_watcher_.SetEnabled(true);

    state_.job_running = 0;
    install_started_ = false;
    install_expected_ = false;
    device->busy = 0;
    device->job_state = 0;
    ResetJobFigures(*device);
    if (state_.main_screen) {
        ui_.SetStartButtonBitmap(kStartButtonBitmap);
        ui_.RepaintProgress();
    }
    ui_.RefreshLists();

    catalog::ReadPcState(*device, package_folder);
    job_device_ = nullptr;
    job_drive_ = 0;
    job_folder_.clear();
    if (device == state_.selected_device && state_.selected_drive != 0 && device->busy == 0) {
        catalog::ReadCardState(*device, state_.SelectedCard());
    }
    RebuildSelectedDrive();
    return 1;
}

bool CMainFrame::AskToStopJob() {
    DeviceEntry* device = JobDevice();
    if (state_.job_running == 0 || device == nullptr) {
        return false;
    }
    const bool with_card = job_drive_ != 0;
    if (with_card && device->job_state >= 1 && device->job_state <= 3) {
        Ask(kTextCannotStop, kCaptionCannotStop, Buttons::kOk, Icon::kInformation);
        return false;
    }
    if (Ask(with_card ? kTextAskStopInstall : kTextAskStopDownload, kCaptionAskStop,
            Buttons::kYesNo, Icon::kQuestion) != Answer::kYes) {
        return false;
    }
    return CancelJob() == 1;
}

void CMainFrame::OnDownloadProgress(platform::WParam kb_so_far, platform::LParam kb_total) {
    DeviceEntry* device = JobDevice();
    if (device == nullptr) {
        return;
    }
    const CardInfo* card = JobCard();
    const bool folder_matches = card != nullptr && card->model_name == device->model_name;
    const bool has_target = state_.job_running != 0 ? job_drive_ != 0 : HasTarget();
    controller::OnDownloadProgress(*device, state_.progress, has_target, folder_matches, kb_so_far,
                                   kb_total, clock_.Now());
    // The progress area shows the state after every message; only the values change once a
    // second.
    if (state_.main_screen) {
        ui_.RepaintProgress();
    }
}

void CMainFrame::OnCopyProgress(platform::WParam kb_done, platform::LParam kb_total) {
    DeviceEntry* device = JobDevice();
    if (device == nullptr) {
        return;
    }
    controller::OnCopyProgress(*device, state_.progress, kb_done, kb_total, clock_.Now());
    if (state_.main_screen) {
        ui_.RepaintProgress();
    }
}

void CMainFrame::OnDownloadComplete() {
    DeviceEntry* device = JobDevice();
    if (device == nullptr || state_.job_running == 0) {
        return;
    }
    // Download-only kinds end with the download, though a card is selected: no install would
    // ever send its end. An install that could not start has posted its error, which ends the
    // job when it comes; the download's end is no completion then.
    if (install_expected_) {
        if (install_started_) {
            device->download_percent = 100;
            device->remaining_download_seconds = -1;
        }
        return;
    }
    CompleteJob();
}

void CMainFrame::OnInstallComplete() {
    if (state_.job_running != 0 && install_expected_) {
        CompleteJob();
    }
}

void CMainFrame::CompleteJob() {
    DeviceEntry* device = JobDevice();
    if (device == nullptr) {
        return;
    }
    // Units whose job is a download only (ORLA units, PDAs) end as a download, card or not.
    const bool installed = job_drive_ != 0 && install_expected_;
    const std::string download_folder = PackageFolder();
    state_.last_job_on_card = installed;
    device->job_state = 0;
    device->install_percent = 100;
    device->remaining_copy_seconds = 0;
    CancelJob();

    if (state_.wizard_screen && state_.screen_number == kScreenProgress) {
        ShowScreen(kScreenFinished);
        if (!installed) {
            ui_.OpenWithDesktop(download_folder);
        }
        return;
    }
    if (!state_.main_screen) {
        return;
    }
    if (!(device->kind == 2 && IsPda(*device))) {
        if (installed) {
            Ask(kTextInstallDone, kCaptionInstallDone, Buttons::kOk, Icon::kInformation,
                Owner::kMainScreen);
        } else {
            Ask(kTextDownloadDone, kCaptionDownloadDone, Buttons::kOk, Icon::kInformation,
                Owner::kMainScreen);
        }
    } else if (device->install_type == kInstallCameraOnly) {
        Ask(kTextCameraDownloadDone, kCaptionDownloadDone, Buttons::kOk, Icon::kInformation,
            Owner::kMainScreen);
        ui_.OpenWithDesktop(
            platform::NormalizePath(download_folder + std::string(kCameraDataFolder)));
    } else {
        Ask(kTextPdaDownloadDone, kCaptionDownloadDone, Buttons::kOk, Icon::kInformation,
            Owner::kMainScreen);
        ui_.StartProgram(platform::NormalizePath(download_folder + std::string(kPdaInstaller)));
    }
}

void CMainFrame::ReportJobError(platform::WParam code, platform::LParam detail) {
    CancelJob();
    const std::string text = JobErrorMessage(code, detail);
    if (state_.wizard_screen && state_.screen_number == kScreenProgress) {
        Ask(text, "", Buttons::kOk, Icon::kNone, Owner::kWizardScreen);
        ShowScreen(kScreenOptions);
        return;
    }
    Ask(text, "", Buttons::kOk, Icon::kNone, Owner::kMainScreen);
}

}  // namespace mapvale::controller
