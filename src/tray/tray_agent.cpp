#include "tray/tray_agent.h"

#include <ctime>

#include "app/constants.h"
#include "app/program_folders.h"
#include "model/messages.h"
#include "platform/files.h"
#include "tray/card_lookup.h"
#include "tray/notice_check.h"
#include "tray/tray_constants.h"
#include "update/tray_self_update.h"

namespace mapvale::tray {

namespace {

std::string SharedSection(std::string_view section) {
    return std::string(kSharedKey) + "\\" + std::string(section);
}

}  // namespace

TSKN_CRozavIzivDlg::TSKN_CRozavIzivDlg(TrayUi& ui, platform::MessageTarget& window,
                                       TrayServices services, bool& restart_flag)
    : ui_(ui),
      window_(window),
      services_(std::move(services)),
      restart_flag_(restart_flag),
      profile_(*services_.settings, std::string(kProfileCompany), services_.profile_name),
      volumes_(services_.volumes != nullptr ? *services_.volumes : platform::DefaultVolumes()),
      launcher_(services_.launcher != nullptr ? *services_.launcher
                                              : platform::DefaultProcessLauncher()),
      instances_(InstancesOf(services_)),
      clock_(services_.clock != nullptr ? *services_.clock : platform::DefaultClock()),
      sleeper_(services_.sleeper != nullptr ? *services_.sleeper : platform::DefaultSleeper()),
      own_random_(
          services_.random != nullptr
              ? nullptr
              : std::make_unique<SeededRandomDraw>(static_cast<std::uint64_t>(std::time(nullptr)))),
      random_(services_.random != nullptr ? *services_.random : *own_random_),
      drive_watcher_(volumes_, services_.watcher_sleeper != nullptr ? *services_.watcher_sleeper
                                                                    : platform::DefaultSleeper()) {}

TSKN_CRozavIzivDlg::~TSKN_CRozavIzivDlg() {
    Destroy();
    answer_cache_.Clear();
}

void TSKN_CRozavIzivDlg::OnInitDialog() {
    // A missing value means the updater was never installed here; its default folder is still
    // where a build or a package puts it, which "." (the agent's working folder) is not.
    const auto install = services_.settings->GetString(platform::SettingsRoot::kUser,
                                                       SharedSection(kPathSection), kInstallValue);
    if (install && !install->empty()) {
        install_folder_ = platform::NormalizeFolder(*install);
    } else if (!services_.default_program_folder.empty()) {
        install_folder_ = platform::NormalizeFolder(services_.default_program_folder);
    } else {
        install_folder_ = app::DefaultProgramFolder();
    }
    if (auto servers = ServerConfig::Load(install_folder_ + std::string(app::kServersFile))) {
        servers_ = std::move(*servers);
    }
    quiet_period_start_ = clock_.TickCount();
    drive_watcher_.Start(window_, kWatchedFolders);
    updater_running_ = false;
    updater_launched_ = false;

    ui_.SetTimer(kTimerUpdaterAppeared, kUpdaterAppearedPeriodMs);
    ui_.SetTimer(kTimerUpdaterGone, kUpdaterGonePeriodMs);
    ui_.SetTimer(kTimerHour, kHourPeriodMs);
    ArmDailyWork();

    // The icon keeps its picture even when no tray host took it yet: the front end shows it
    // when a host appears (an agent started at logon may be quicker than the panel).
    icon_added_ = ui_.AddTrayIcon(kTrayTip);
    ui_.SetTrayIcon(kTrayIconResource);
}

void TSKN_CRozavIzivDlg::HandleMessage(std::uint32_t message, platform::WParam w_param,
                                       platform::LParam l_param) {
    if (closed_) {
        return;
    }
    switch (message) {
        case kMsgDriveChange:
            OnDriveReport(w_param);
            break;
        case kWmTimer:
            OnTimer(static_cast<int>(w_param));
            break;
        case kWmClose:
            Exit();
            break;
        case kWmCommand:
            OnCommand(static_cast<int>(w_param & 0xFFFF));
            break;
        case kMsgTrayNotify:
            OnIconNotification(static_cast<std::uint32_t>(w_param),
                               static_cast<std::uint32_t>(l_param));
            break;
        default:
            break;
    }
}

void TSKN_CRozavIzivDlg::StartUpdater(int mode) {
    if (closed_ || updater_running_ || UpdaterWindowExists()) {
        return;
    }
    platform::LaunchRequest request;
    request.program = install_folder_ + std::string(app::kUpdaterProgram);
    if (mode != kModePlain) {
        request.arguments = {std::string(app::kSwitchSystray)};
    }
    // A start that fails is not reported; the updater-gone timer clears the flag again.
    launcher_.Start(request);
    updater_running_ = true;
    SetWatcherPolling(false);
    updater_launched_ = true;
}

void TSKN_CRozavIzivDlg::OnCommand(int id) {
    if (id == kCommandStartUpdater) {
        StartUpdater(kModePlain);
    } else if (id == kCommandExit) {
        Exit();
    }
}

void TSKN_CRozavIzivDlg::OnIconNotification(std::uint32_t icon_id, std::uint32_t mouse_message) {
    if (icon_id == kTrayIconId && mouse_message == kWmLButtonDblClk) {
        StartUpdater(kModePlain);
    }
}

void TSKN_CRozavIzivDlg::Exit() {
    if (closed_) {
        return;
    }
    Destroy();
    closed_ = true;
    ui_.Quit();
}

void TSKN_CRozavIzivDlg::Destroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    for (const int id : {kTimerUpdaterAppeared, kTimerUpdaterGone, kTimerHour, kTimerDailyWork}) {
        ui_.KillTimer(id);
    }
    ui_.RemoveTrayIcon();
    drive_watcher_.Stop();
}

void TSKN_CRozavIzivDlg::OnTimer(int id) {
    switch (id) {
        case kTimerUpdaterAppeared:
            if (!updater_running_ && UpdaterWindowExists()) {
                updater_running_ = true;
                SetWatcherPolling(false);
                updater_launched_ = true;
            }
            break;
        case kTimerUpdaterGone:
            if (updater_running_ && !UpdaterWindowExists()) {
                updater_running_ = false;
                SetWatcherPolling(true);
                quiet_period_start_ = clock_.TickCount();
            }
            break;
        case kTimerHour:
            if (++hour_counter_ >= kHoursPerDay) {
                hour_counter_ = 0;
                ArmDailyWork();
            }
            break;
        case kTimerDailyWork:
            RunDailyWork();
            break;
        default:
            break;
    }
}

void TSKN_CRozavIzivDlg::OnDriveReport(platform::WParam w_param) {
    if (restart_flag_) {
        restart_flag_ = false;
        return;
    }
    if (updater_launched_ && clock_.TickCount() - quiet_period_start_ < kQuietPeriodMs) {
        return;
    }
    if (UpdaterWindowExists()) {
        return;
    }
    arrival_ = ((w_param >> 16) & 0xFFFF) == (kDriveArrived >> 16);
    if (!arrival_) {
        return;
    }
    CardInfo card;
    if (LookUpCard(volumes_, static_cast<char>(w_param & 0xFFFF), card)) {
        CheckCard(card);
    }
}

void TSKN_CRozavIzivDlg::ArmDailyWork() {
    ui_.SetTimer(kTimerDailyWork, static_cast<int>(NextDailyDelayMs(random_)));
}

void TSKN_CRozavIzivDlg::RunDailyWork() {
    RunNoticeCheck();
    self_update_result_ = RunSelfUpdateCheck();
    ui_.KillTimer(kTimerDailyWork);
    if (self_update_result_ == 1) {
        Exit();
    }
}

void TSKN_CRozavIzivDlg::RunNoticeCheck() {
    const std::string host = servers_.HostText(ServerConfig::kUpdate);
    if (host.empty()) {
        return;
    }
    net::CWebPOST& web = Web();
    web.ClearParameters();
    net::WebResponse response;
    if (web.SendRequest(host, kNoticeCodePath, response, 80, "GET", false) != 1) {
        return;
    }
    const auto code = ReadNoticeCode(response.Text());
    if (!code) {
        return;
    }
    const int stored = profile_.GetProfileInt(kNoticeSection, kNoticeValue, 0);
    const NoticeDecision decision = DecideNotice(*code, stored);
    if (decision.show_notice) {
        ui_.ShowNoticeWindow("http://" + host + std::string(kNoticePagePath), kNoticeTitle);
    }
    if (decision.code_to_store) {
        profile_.WriteProfileInt(kNoticeSection, kNoticeValue, *decision.code_to_store);
    }
}

int TSKN_CRozavIzivDlg::RunSelfUpdateCheck() {
    // A system-wide installation is the package manager's to update: without the rights to write
    // the program folder the agent would download every day and restart for nothing.
    std::unique_ptr<update::ElevationService> own_elevation;
    update::ElevationService* elevation = services_.elevation;
    if (elevation == nullptr) {
        own_elevation = std::make_unique<update::PkexecElevation>(launcher_);
        elevation = own_elevation.get();
    }
    if (!elevation->MayWrite({install_folder_, install_folder_ + "Info/"})) {
        return 0;
    }
    update::UpdateSetup setup;
    setup.role = update::UpdateRole::kTrayAgent;
    setup.program_folder = install_folder_;
    setup.host = servers_.HostText(ServerConfig::kUpdate);
    if (setup.host.empty()) {
        return 0;
    }
    setup.launcher = &launcher_;
    setup.instances = &instances_;
    setup.sleeper = &sleeper_;
    return update::RunTraySelfUpdate(std::move(setup));
}

bool TSKN_CRozavIzivDlg::UpdaterWindowExists() {
    return instances_.Exists(std::string(app::kFrameClassName));
}

void TSKN_CRozavIzivDlg::SetWatcherPolling(bool enabled) {
    drive_watcher_.SetEnabled(enabled);
}

int TSKN_CRozavIzivDlg::NotificationMode() {
    const auto value = services_.settings->GetDword(
        platform::SettingsRoot::kUser, SharedSection(kUserSection), kNotificationValue);
    return value ? static_cast<int>(*value) : 0;
}

net::CWebPOST& TSKN_CRozavIzivDlg::Web() {
    if (!web_) {
        web_ = std::make_unique<net::CWebPOST>();
        if (services_.connectivity) {
            web_->SetConnectivityCheck(services_.connectivity);
        }
    }
    return *web_;
}

}  // namespace mapvale::tray
