#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "card/drive_watcher.h"
#include "catalog/version_header.h"
#include "model/card_info.h"
#include "model/server_config.h"
#include "net/web_post.h"
#include "platform/message_target.h"
#include "platform/profile.h"
#include "tray/answer_cache.h"
#include "tray/tray_services.h"
#include "tray/tray_ui.h"

namespace mapvale::tray {

// The agent's never-shown main window: it watches for the updater and for cards, checks a
// plugged-in card's map against the server, shows the notice of the update server, updates
// itself once a day and starts the updater. The front end (TrayUi) shows what it decides.
//
// The drive watcher posts to `window`, the front end's queue; the front end's loop hands each
// message to HandleMessage on the user-interface thread, which runs everything here: the
// constructor, OnInitDialog, HandleMessage, the operations and the destructor. The network
// requests block that thread while they run, as the agent always has.
//
// Life: construct, OnInitDialog, then messages until closed() (an exit, a WM_CLOSE); the
// destructor (Destroy) removes the icon and stops the watcher.
class TSKN_CRozavIzivDlg {
public:
    // `ui`, `window`, `restart_flag` (the application's) and everything in `services` must
    // outlive the window.
    TSKN_CRozavIzivDlg(TrayUi& ui, platform::MessageTarget& window, TrayServices services,
                       bool& restart_flag);
    ~TSKN_CRozavIzivDlg();
    TSKN_CRozavIzivDlg(const TSKN_CRozavIzivDlg&) = delete;
    TSKN_CRozavIzivDlg& operator=(const TSKN_CRozavIzivDlg&) = delete;

    // Reads the program folder, starts the drive watcher (which reports the cards present at
    // once), arms the timers and adds the tray icon.
    void OnInitDialog();

    // 0x601 drive reports, WM_TIMER (wParam = id), WM_CLOSE, WM_COMMAND (wParam = command) and
    // the icon's notification 0x040A (wParam = icon id, lParam = mouse message). Others are
    // ignored.
    void HandleMessage(std::uint32_t message, platform::WParam w_param, platform::LParam l_param);

    // The one way the agent starts the updater: mode 2 without argument, any other mode with
    // "-SYSTRAY"; nothing while the updater runs. The popup's OK button passes its type, the
    // notice page's "__WindowExec" kModeSystray.
    void StartUpdater(int mode);
    // Menu commands: 32776 starts the updater (mode 2), 32774 exits.
    void OnCommand(int id);
    // The tray icon's notification: a left double-click starts the updater (mode 2). The menu
    // on a right click is the front end's.
    void OnIconNotification(std::uint32_t icon_id, std::uint32_t mouse_message);
    // Removes the icon, stops the watcher and ends the program (TrayUi::Quit).
    void Exit();
    bool closed() const { return closed_; }

    // --- State, for the front end and the tests ---
    const std::string& install_folder() const { return install_folder_; }
    bool updater_running() const { return updater_running_; }
    bool updater_launched() const { return updater_launched_; }
    bool icon_added() const { return icon_added_; }
    int self_update_result() const { return self_update_result_; }
    const AnswerCache& answer_cache() const { return answer_cache_; }
    const card::DriveWatcher& drive_watcher() const { return drive_watcher_; }

    // --- The card check, on a card as LookUpCard fills it; also run for every arrival ---
    void CheckCard(const CardInfo& card);

private:
    void Destroy();
    void OnTimer(int id);
    void OnDriveReport(platform::WParam w_param);
    void ArmDailyWork();
    void RunDailyWork();
    void RunNoticeCheck();
    int RunSelfUpdateCheck();
    bool UpdaterWindowExists();
    void SetWatcherPolling(bool enabled);
    int NotificationMode();
    net::CWebPOST& Web();

    TrayUi& ui_;
    platform::MessageTarget& window_;
    TrayServices services_;
    bool& restart_flag_;
    platform::Profile profile_;
    platform::Volumes& volumes_;
    platform::ProcessLauncher& launcher_;
    platform::InstanceService& instances_;
    platform::Clock& clock_;
    platform::Sleeper& sleeper_;
    std::unique_ptr<RandomDraw> own_random_;
    RandomDraw& random_;

    std::string install_folder_;
    ServerConfig servers_;
    int notification_mode_ = 0;
    int self_update_result_ = 0;
    card::DriveWatcher drive_watcher_;
    bool updater_running_ = false;
    bool arrival_ = false;
    bool updater_launched_ = false;
    std::uint64_t quiet_period_start_ = 0;
    bool icon_added_ = false;
    int hour_counter_ = 0;
    AnswerCache answer_cache_;
    std::optional<catalog::VersionFileHeader> card_header_;
    std::unique_ptr<net::CWebPOST> web_;
    bool closed_ = false;
    bool destroyed_ = false;
};

}  // namespace mapvale::tray
