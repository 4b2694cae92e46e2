#include "controller/main_frame.h"

#include <algorithm>
#include <set>

#include "app/command_switch.h"
#include "app/constants.h"
#include "app/settings_io.h"
#include "app/startup.h"
#include "catalog/card_state.h"
#include "catalog/package_list.h"
#include "controller/controller_texts.h"
#include "controller/install_rules.h"
#include "controller/picroute_download.h"
#include "controller/theme_download.h"
#include "model/messages.h"
#include "platform/files.h"
#include "update/restart.h"

namespace mapvale::controller {

namespace {

// The card's capacity below which an ORLA V5.0 unit has no easy install (1.25 GB, in KB).
constexpr double kSmallCardGb = 1.25;
// Above this capacity (KB, 16 GB) a drive is taken for a hard disk: no format.
constexpr std::uint32_t kHardDiskCapacityKb = 0x1000000;

template <typename T>
T& Or(T* given, T& fallback) {
    return given != nullptr ? *given : fallback;
}

platform::InstanceService& DefaultInstances() {
    static platform::SocketInstanceService service;
    return service;
}

platform::Formatter& DefaultFormatter() {
    static platform::SystemFormatter formatter;
    return formatter;
}

}  // namespace

CMainFrame::CMainFrame(FrameUi& ui, platform::MessageTarget& window, FrameServices services)
    : ui_(ui),
      window_(window),
      services_(std::move(services)),
      profile_(*services_.profile),
      volumes_(Or(services_.volumes, platform::DefaultVolumes())),
      clock_(Or(services_.clock, platform::DefaultClock())),
      sleeper_(Or(services_.sleeper, platform::DefaultSleeper())),
      drive_watcher_(volumes_, Or(services_.worker_sleeper, platform::DefaultSleeper())),
      download_job_(catalog::DownloadJobServices{
          &Or(services_.worker_clock, platform::DefaultClock()),
          &Or(services_.worker_sleeper, platform::DefaultSleeper()),
          &Or(services_.launcher, platform::DefaultProcessLauncher()), &volumes_}),
      install_job_(volumes_, Or(services_.formatter, DefaultFormatter()),
                   Or(services_.worker_clock, platform::DefaultClock()),
                   Or(services_.worker_sleeper, platform::DefaultSleeper())) {
    if (services_.connectivity) {
        web_.SetConnectivityCheck(services_.connectivity);
    }
}

CMainFrame::~CMainFrame() {
    Destroy();
}

// --- Start-up ---

int CMainFrame::OnCreate() {
    app::AppSettings& settings = state_.settings;
    if (app::ReadCommandSwitch(settings, profile_, services_.arguments) == 0) {
        CloseProgram();
        return 0;
    }
    app::LoadSettings(settings, profile_, services_.folder_defaults);
    settings_loaded_ = true;
    // The program's own download folder exists from its first start (no installer makes it
    // here); a folder the user chose and that is gone stays gone, and the job says so.
    if (platform::NormalizeFolder(settings.data_folder) ==
        platform::NormalizeFolder(services_.folder_defaults.data_folder)) {
        platform::CreateFolderChain(settings.data_folder);
    }
    if (auto servers =
            ServerConfig::Load(settings.program_folder + std::string(app::kServersFile))) {
        state_.servers = std::move(*servers);
    }
    if (auto pages =
            PageAddresses::Load(settings.program_folder + std::string(app::kServersFile))) {
        state_.pages = std::move(*pages);
    }
    app::StartTrayAgent(settings, Or(services_.instances, DefaultInstances()),
                        Or(services_.launcher, platform::DefaultProcessLauncher()));
    if (!RunSelfUpdate()) {
        CloseProgram();
        return 0;
    }
    net::FetchServerVersions(state_.server_versions, web_, state_.servers);
    if (!LoadPackageList()) {
        Ask(app::kTextPackageListFailed, "", Buttons::kOk, Icon::kNone, Owner::kNone);
        CloseProgram();
        return 0;
    }
    LoadBanners();

    state_.sign_in_dialog_open = true;
    const bool signed_in = ui_.RunSignInDialog();
    state_.sign_in_dialog_open = false;
    if (!signed_in) {
        CloseProgram();
        return 0;
    }
    // Without drives yet, the selection can only be the one device of a single-device account
    // (or the one the sign-in screen chose).
    if (state_.selected_device == nullptr) {
        AutoSelect();
    }
    if (state_.selected_device != nullptr) {
        SelectDevicePackages(*state_.selected_device);
    }
    if (!settings.user_id.empty()) {
        profile_.WriteProfileInt(app::UserSection(settings.user_id), "TRAFFIC",
                                 settings.traffic_consent);
    }
    drive_watcher_.Start(window_, app::kCardMarkerFolder);
    ShowScreen(kScreenOptions);
    return 0;
}

bool CMainFrame::RunSelfUpdate() {
    const app::AppSettings& settings = state_.settings;
    update::UpdateSetup setup;
    setup.role = update::UpdateRole::kUpdater;
    setup.program_folder = settings.program_folder;
    setup.host = state_.servers.HostText(ServerConfig::kUpdate);
    setup.launcher = services_.launcher;
    setup.instances = services_.instances;
    setup.sleeper = services_.worker_sleeper;
    switch (ui_.RunSelfUpdateDialog(setup)) {
        case FrameUi::UpdateOutcome::kCancel:
            return false;
        case FrameUi::UpdateOutcome::kRestart:
            update::RestartUpdater(Or(services_.launcher, platform::DefaultProcessLauncher()),
                                   settings.program_folder, settings.first_argument,
                                   settings.second_argument);
            return false;
        case FrameUi::UpdateOutcome::kContinue:
            break;
    }
    return true;
}

bool CMainFrame::LoadPackageList() {
    const std::string path = state_.settings.program_folder + std::string(app::kPackageListFile);
    if (catalog::ReadPackageList(state_.package_records, state_.categories, path) == 0) {
        return false;
    }
    for (const PackageListRecord& record : state_.package_records) {
        if (record.code == '1' || record.code == '8') {
            state_.first_family.push_back(record);
        } else if (record.code == '2') {
            state_.second_family.push_back(record);
        }
    }
    state_.package_records.clear();
    return true;
}

void CMainFrame::CloseProgram() {
    window_.Post(kWmClose, 0, 0);
}

// --- Messages ---

void CMainFrame::HandleMessage(std::uint32_t message, platform::WParam w_param,
                               platform::LParam l_param) {
    if (destroyed_) {
        return;
    }
    DeviceEntry* device = JobDevice();
    switch (message) {
        case kWmClose:
            OnClose();
            return;
        case kWmTimer:
            OnTimer(static_cast<int>(w_param));
            return;
        case kMsgJobError:
            ReportJobError(w_param, l_param);
            return;
        case kMsgDriveChange:
            OnDriveChange(w_param, l_param);
            return;
        case kMsgDownloadFileProgress:
            state_.last_progress_kind = kMsgDownloadFileProgress;
            return;
        case kMsgDownloadProgress:
            OnDownloadProgress(w_param, l_param);
            return;
        case kMsgBackupProgress:
        case kMsgFormatProgress:
        case kMsgRestoreProgress:
            if (device != nullptr && l_param > 0) {
                device->install_percent = static_cast<std::uint16_t>(std::min<std::uint64_t>(
                    w_param * 100 / static_cast<std::uint64_t>(l_param), 100));
            }
            return;
        case kMsgCopyFileProgress:
            state_.last_progress_kind = kMsgCopyFileProgress;
            return;
        case kMsgCopyProgress:
            OnCopyProgress(w_param, l_param);
            return;
        case WM_DOWNLOAD_COMPLETE:
            OnDownloadComplete();
            return;
        case kMsgInstallFormatStage:
        case kMsgInstallRestoreStage:
        case kMsgInstallCopyStage:
            if (device != nullptr) {
                device->job_state = static_cast<std::int32_t>(message - kMsgInstallFormatStage + 2);
                device->install_percent = 0;
            }
            return;
        case kMsgInstallComplete:
            OnInstallComplete();
            return;
        case kMsgInstallFileChanged:
            if (w_param == 1) {
                state_.current_install_item = install_job_.current_file_name();
            }
            return;
        case kMsgDownloadFileChanged:
            if (w_param == 1) {
                state_.current_download_item = download_job_.current_file_name();
            }
            return;
        default:
            return;  // 0x708 and anything unknown
    }
}

void CMainFrame::OnClose() {
    const bool close_at_once = (!state_.wizard_screen && !state_.main_screen) ||
                               (state_.wizard_screen && state_.screen_number == kScreenFinished);
    if (!close_at_once &&
        Ask(kTextAskClose, kCaptionAskClose, Buttons::kYesNo, Icon::kQuestion,
            state_.wizard_screen ? Owner::kCurrentScreen : Owner::kMainScreen) != Answer::kYes) {
        return;
    }
    Destroy();
    closed_ = true;
}

void CMainFrame::SaveSettings() {
    if (settings_loaded_) {
        app::SaveSettings(state_.settings, profile_);
    }
}

void CMainFrame::Destroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    // A start that ended before the settings were read has nothing to write back: its empty
    // state would wipe the stored user, password and folders.
    SaveSettings();
    if (state_.wizard_screen) {
        ui_.DestroyWizardScreen(state_.screen_number);
        state_.wizard_screen = false;
    }
    if (state_.main_screen) {
        ui_.DestroyMainScreen();
        state_.main_screen = false;
    }
    ui_.KillTimer(1);
    ui_.KillTimer(2);
    install_job_.Cancel();
    download_job_.Cancel();
    drive_watcher_.Stop();
    state_.selected_device = nullptr;
    state_.selected_drive = 0;
}

// --- Screens ---

void CMainFrame::ShowScreen(int number) {
    const std::optional<int> place_over =
        state_.wizard_screen ? std::optional<int>(state_.screen_number) : std::nullopt;
    const bool created = number != 0 && ui_.CreateWizardScreen(number, place_over);
    if (state_.wizard_screen) {
        ui_.DestroyWizardScreen(state_.screen_number);
    }
    state_.wizard_screen = created;
    state_.screen_number = number;
}

void CMainFrame::ToggleMainScreen(bool to_main) {
    if (to_main) {
        ShowScreen(0);
        if (!state_.main_screen) {
            ui_.CreateMainScreen();
            state_.main_screen = true;
        }
        LoadBanners();
        return;
    }
    if (state_.main_screen) {
        ui_.DestroyMainScreen();
        state_.main_screen = false;
    }
    DeviceEntry* device = state_.selected_device;
    const CardInfo* card = state_.SelectedCard();
    int next = kScreenOptions;
    if (state_.job_running != 0) {
        next = kScreenProgress;
    } else if (state_.drives.empty()) {
        next = kScreenNoCard;
    } else if (card != nullptr && device != nullptr) {
        const bool plain_folder_disk =
            card->drive_kind == DriveKind::kHardDisk || card->capacity_kb > kHardDiskCapacityKb;
        if (plain_folder_disk) {
            device->format_option = 0;
        } else {
            device->format_option = 1;
            device->backup_option = 1;
        }
        device->install_type = ChooseInstallType();
        next = kScreenCountdown;
    } else if (device != nullptr) {
        device->format_option = 1;
        device->backup_option = 1;
    }
    ShowScreen(next);
}

// --- Selection ---

int CMainFrame::SelectDevicePackages(DeviceEntry& device) {
    switch (device.kind) {
        case 1:
            state_.current_records.insert(state_.current_records.end(), state_.first_family.begin(),
                                          state_.first_family.end());
            break;
        case 2:
            state_.current_records = state_.second_family;
            break;
        case 8:
            state_.current_records = state_.first_family;
            break;
        default:
            break;
    }
    return device.kind;
}

void CMainFrame::AutoSelect() {
    for (const auto& [letter, card] : state_.drives) {
        if (card.model_name.empty()) {
            continue;
        }
        for (DeviceEntry& device : state_.devices) {
            if (device.model_name == card.model_name) {
                state_.selected_device = &device;
                state_.selected_drive = letter;
                return;
            }
        }
    }
    if (state_.devices.size() == 1) {
        state_.selected_device = &state_.devices.front();
    }
    if (state_.drives.size() == 1) {
        state_.selected_drive = state_.drives.begin()->first;
    }
}

void CMainFrame::SelectDevice(DeviceEntry* device) {
    if (state_.job_running != 0) {
        return;
    }
    const auto found = std::find_if(state_.devices.begin(), state_.devices.end(),
                                    [&](const DeviceEntry& entry) { return &entry == device; });
    state_.selected_device = found != state_.devices.end() ? device : nullptr;
}

void CMainFrame::SelectDrive(char letter) {
    if (state_.job_running != 0) {
        return;
    }
    state_.selected_drive = state_.drives.count(letter) != 0 ? letter : 0;
}

bool CMainFrame::AnalyseDrive(char letter, CardInfo& card) {
    // The card is read as a unit of the selected device's kind; without a selection each kind
    // of the account is tried until the card names one of its devices, so the card is
    // recognised before anything is selected.
    std::vector<std::uint8_t> masks;
    if (state_.selected_device != nullptr) {
        masks.push_back(static_cast<std::uint8_t>(state_.selected_device->kind));
    }
    for (const DeviceEntry& device : state_.devices) {
        const auto mask = static_cast<std::uint8_t>(device.kind);
        if (std::find(masks.begin(), masks.end(), mask) == masks.end()) {
            masks.push_back(mask);
        }
    }
    if (masks.empty()) {
        masks.push_back(static_cast<std::uint8_t>(DeviceKind::kVehicle));
    }
    std::optional<CardInfo> first;
    for (const std::uint8_t mask : masks) {
        CardInfo read;
        if (drive_watcher_.AnalyseCard(letter, mask, read) == 0) {
            return false;
        }
        const bool names_a_device =
            !read.model_name.empty() &&
            std::any_of(state_.devices.begin(), state_.devices.end(), [&](const DeviceEntry& d) {
                return d.model_name == read.model_name && (d.kind & mask) == d.kind;
            });
        if (names_a_device) {
            card = std::move(read);
            return true;
        }
        if (!first) {
            first = std::move(read);
        }
    }
    card = std::move(*first);
    return true;
}

void CMainFrame::OnDriveChange(platform::WParam w_param, platform::LParam l_param) {
    const char letter = static_cast<char>(w_param & 0xFFFF);
    if ((w_param >> 16) == 1) {
        CardInfo card;
        if (AnalyseDrive(letter, card)) {
            state_.drives[letter] = std::move(card);
        }
        if (state_.main_screen) {
            ui_.ShowInstallPage();
            ui_.RefreshLists();
        }
    } else {
        if (state_.selected_drive == letter) {
            state_.selected_drive = 0;
            if (state_.wizard_screen && state_.screen_number == kScreenCountdown) {
                state_.selected_device = nullptr;
            }
        }
        state_.drives.erase(letter);
    }
    if (l_param == 0) {
        ReevaluateSelection();
        if (state_.main_screen) {
            LoadBanners();
        }
    }
}

void CMainFrame::ReevaluateSelection() {
    DeviceEntry* old_device = state_.selected_device;
    if (old_device != nullptr && old_device->busy != 0) {
        return;
    }
    const char old_drive = state_.selected_drive;
    AutoSelect();
    DeviceEntry* device = state_.selected_device;
    if (device != nullptr && device != old_device) {
        SelectDevicePackages(*device);
        device->install_type = ChooseInstallType();
    }
    if (device != nullptr && state_.selected_drive != old_drive && device->busy == 0) {
        catalog::ReadCardState(*device, state_.SelectedCard());
    }
    if (state_.main_screen) {
        ui_.RefreshLists();
        return;
    }
    const bool have_both = state_.selected_device != nullptr && state_.selected_drive != 0;
    if (state_.wizard_screen && state_.screen_number == kScreenCountdown) {
        if (state_.drives.empty()) {
            state_.selected_device = nullptr;
            ShowScreen(kScreenNoCard);
        } else if (!have_both) {
            state_.selected_device = nullptr;
            ShowScreen(kScreenOptions);
        }
        return;
    }
    if (state_.wizard_screen && state_.screen_number == kScreenNoCard) {
        if (have_both) {
            const CardInfo* card = state_.SelectedCard();
            const double capacity_gb =
                card != nullptr ? static_cast<double>(card->capacity_kb) / (1024.0 * 1024.0) : 0;
            if (state_.selected_device->sub_kind == 2 && capacity_gb < kSmallCardGb) {
                Ask(kTextNoSmallEasyInstall, kCaptionMoveScreen, Buttons::kOk, Icon::kInformation);
                ToggleMainScreen(true);
            } else {
                ShowScreen(kScreenCountdown);
            }
        } else if (!state_.drives.empty()) {
            ShowScreen(kScreenOptions);
        }
        return;
    }
    if (state_.wizard_screen && state_.screen_number == kScreenFinished &&
        state_.selected_drive == 0) {
        CloseProgram();
        return;
    }
    if (state_.wizard_screen && state_.screen_number == kScreenOptions) {
        ui_.RefreshLists();
    }
}

// --- Timers and helpers ---

Answer CMainFrame::Ask(std::string_view text, std::string_view caption, Buttons buttons, Icon icon,
                       Owner owner) {
    return ui_.MessageBox(text, caption, buttons, icon, owner);
}

std::string CMainFrame::ContentUrl(std::string_view path) const {
    return "http://" + state_.servers.HostText(ServerConfig::kContent) + std::string(path);
}

std::string CMainFrame::PackageFolder() const {
    // A running job keeps the folder it was started with, whatever the settings say meanwhile.
    if (state_.job_running != 0 && !job_folder_.empty()) {
        return job_folder_;
    }
    const DeviceEntry* device = JobDevice();
    return state_.settings.data_folder + (device != nullptr ? device->model_name : "") + "/";
}

int CMainFrame::ChooseInstallType() {
    return controller::ChooseInstallType(state_.selected_device, state_.SelectedCard());
}

int CMainFrame::CheckCardSpace() {
    return controller::CheckCardSpace(state_.selected_device, state_.SelectedCard(),
                                      state_.job_running != 0, state_.main_screen);
}

int CMainFrame::ChooseDataFolder() {
    std::string initial = state_.settings.data_folder;
    while (true) {
        const std::optional<std::string> chosen = ui_.ChooseFolder(initial, kTitleChooseFolder);
        if (!chosen) {
            return 0;
        }
        std::string folder = platform::NormalizePath(*chosen);
        const std::string device_folder =
            state_.selected_device != nullptr ? state_.selected_device->model_name : "";
        if (!device_folder.empty() &&
            platform::FolderExists(platform::JoinPath(folder, device_folder))) {
            Ask(kTextNewestAlreadyThere, kNoticeCaption, Buttons::kOk, Icon::kInformation);
            initial = folder;
            continue;
        }
        if (const auto volume = volumes_.ForPath(folder)) {
            const platform::VolumeKind kind = volume->kind;
            if (kind == platform::VolumeKind::kRemote || kind == platform::VolumeKind::kCdRom ||
                kind == platform::VolumeKind::kRamDisk) {
                Ask(kTextNoExternalDataFolder, kNoticeCaption, Buttons::kOk, Icon::kInformation);
                return 0;
            }
        }
        state_.settings.data_folder = platform::NormalizeFolder(folder);
        return 1;
    }
}

int CMainFrame::AnswerNotice(int answer) {
    if (state_.notice_dialog_open) {
        state_.notice_answer = answer;
    }
    return 1;
}

int CMainFrame::DownloadTheme(const std::vector<ScriptValue>& arguments) {
    return ThemeDownload(state_, ui_).Run(arguments);
}

int CMainFrame::DownloadPicroute(const std::vector<ScriptValue>& arguments) {
    return PicrouteDownload(state_, ui_).Run(arguments);
}

int CMainFrame::SavePhoto(const PhotoForm& form, const extras::GeoPhoto& photo) {
    return PhotoSave(state_, ui_).Run(form, photo);
}

}  // namespace mapvale::controller
