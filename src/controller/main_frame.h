#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "card/drive_watcher.h"
#include "card/install_job.h"
#include "catalog/download_job.h"
#include "controller/controller_state.h"
#include "controller/frame_services.h"
#include "controller/frame_ui.h"
#include "controller/photo_save.h"
#include "model/script_functions.h"
#include "net/traffic_consent.h"
#include "net/traffic_upload.h"
#include "net/web_post.h"
#include "platform/message_target.h"

namespace mapvale::controller {

// The one object that owns the running updater: the signed-in user and the settings, the device
// and package lists, the attached drives, the selection, the screens (through FrameUi), the
// download and install jobs, the drive watcher and the traffic client.
//
// Workers post their messages to `window`, the front end's queue; the front end's loop hands each
// one to HandleMessage on the user-interface thread. Everything here runs on that thread: the
// constructor, OnCreate, HandleMessage, the operations the screens call and the destructor.
// Workers never call in; they only post.
//
// Life: construct, OnCreate (the start-up up to the first screen), then messages until closed()
// says the program ends (a WM_CLOSE that was not refused); the destructor saves the settings and
// stops the workers (Destroy, also callable earlier).
class CMainFrame {
public:
    // `ui`, `window` and everything in `services` must outlive the frame.
    CMainFrame(FrameUi& ui, platform::MessageTarget& window, FrameServices services);
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // The start-up sequence: command line, settings, tray agent, self-update, server versions,
    // package list, banners, sign-in, package list of the device, drive watcher, first screen.
    // Returns 0 in every case; a start-up that must end posts WM_CLOSE to `window`, which then
    // closes without a question because no screen exists yet.
    int OnCreate();

    // One message from `window` (the table of messages in the class comment of each handler);
    // WM_CLOSE, WM_TIMER and the worker messages. Unknown messages are ignored.
    void HandleMessage(std::uint32_t message, platform::WParam w_param, platform::LParam l_param);

    // True once the program is to end (a close that went through). The front end then leaves
    // its loop and destroys the frame.
    bool closed() const { return closed_; }

    // Saves the settings and stops everything (program exit). Runs once; the destructor calls it.
    void Destroy();

    // Writes the settings to the profile now (the sign-in screen after a sign-in). Nothing before
    // the settings were read: that empty state would wipe the stored user and folders.
    void SaveSettings();

    // --- Operations of the screens ---

    // Replaces the current wizard screen; 0 only destroys the current one.
    void ShowScreen(int number);
    // Switches between the main screen (true) and the wizard.
    void ToggleMainScreen(bool to_main);
    // Pre-install questions and the start of the download and install: 1 started, 2 stopped by
    // the user or a shown message, 0 nothing to do (also for a call made while another one is
    // still asking).
    int StartJob();
    // 0 when nothing was running, 1 when a job was stopped.
    int CancelJob();
    // What the job button does while a job runs: refuses during backup, format and restore,
    // else asks and cancels on Yes. True when the job was cancelled.
    bool AskToStopJob();
    // Sign-in with what the user typed: 1 signed in, 0 not (state().sign_in_error says why).
    int RunSignIn(const std::string& user_id, const std::string& brand_code,
                  const std::string& password);
    int ChooseInstallType();
    int CheckCardSpace();
    // Makes the current package list the one of the device's kind; returns the kind.
    int SelectDevicePackages(DeviceEntry& device);
    // Chooses device and drive without the user.
    void AutoSelect();
    // 1 when a new data folder was chosen.
    int ChooseDataFolder();
    // A click on a choice of the traffic agreement dialog, for the signed-in user: 0 when nobody
    // is signed in (nothing written), else 1 (see net::ApplyTrafficChoice).
    int ApplyTrafficChoice(net::TrafficChoice choice);
    // Fetches the banner list, restarts both timers and shows the current S banner.
    void LoadBanners();
    // The answer of the pre-install notice's page scripts ("__StartUpdate" 1, "__StopUpdate" 2);
    // always 1. Nothing happens when no notice is open.
    int AnswerNotice(int answer);
    // The map page's "ThemeDownload" (see ThemeDownload); `arguments` last first.
    int DownloadTheme(const std::vector<ScriptValue>& arguments);
    // The photo board's "DownloadPicroute" (see PicrouteDownload); `arguments` last first.
    int DownloadPicroute(const std::vector<ScriptValue>& arguments);
    // The photo dialog's save (see PhotoSave): 1 when the dialog resets and closes.
    int SavePhoto(const PhotoForm& form, const extras::GeoPhoto& photo);

    // Selection by the screens (device and drive lists). A drive letter not attached, or a
    // device not in the list, clears the selection. Refused while a job runs: the job keeps
    // the device and the card it was started for.
    void SelectDevice(DeviceEntry* device);
    void SelectDrive(char letter);

    // Analyses the selected drive again (its free space and versions after a change).
    void RebuildSelectedDrive();

    // --- Operations of the install page and the settings ---
    // Each works on the selected device, refreshes the screens' lists and does nothing (0,
    // false) without a device or while a job runs: the job keeps the choices it started with.

    // Install type 1, 2, 4, 100 or 200: the card is analysed again for the device and the
    // files are chosen anew.
    int SetInstallType(int type);
    // The format choice; the backup choice follows it (the screens enable the backup choice
    // only while the format is on).
    int SetFormatOption(bool on);
    int SetBackupOption(bool on);
    // 1 normal colours, 2 deep colours.
    int SetColour(int colour);
    // A click in the check box of file `index` of the content list (see check_marks.h).
    bool ClickCheckMark(std::size_t index);
    // The drive list's choice (0: the hard disk only): analyses the card for the device, reads
    // its versions unless the card is to be formatted, and unless the install type is custom or
    // camera data chooses the type that fits the card.
    void ChooseCard(char letter);
    // The install page's start button: stops a running job (AskToStopJob), else checks the
    // card space with its questions and starts the job. 1 started, 0 nothing or a refusal, 2
    // stopped by the user. A press while an earlier one still asks does nothing.
    int PressStart();
    // The settings dialog's OK: stores the download folder (one trailing '/') and the tray
    // agent's notification mode (a mode outside 0-2, as when no choice is marked, leaves the
    // stored one), saves the settings and refreshes the drive figures.
    void StoreEnvSettings(std::string_view folder, int notification_mode);
    // The main screen's change of user: `run_dialog` is the sign-in dialog in its change-user
    // mode (true: someone signed in). Without SAVE the stored user and password are cleared
    // first. True when the user changed; the selection is then cleared and the settings saved.
    bool ChangeUser(const std::function<bool()>& run_dialog);
    // The main screen's way back to the wizard: refused with a notice while the selection does
    // not suit the wizard (see wizard_return.h), else the wizard replaces the main screen. True
    // when it went back.
    bool ReturnToWizard();
    // The install page's refresh: forgets the selected device and signs in again with the
    // stored user, showing the sign-in error on failure. 1 signed in.
    int SignInAgain();

    const ControllerState& state() const { return state_; }
    ControllerState& state() { return state_; }
    platform::MessageTarget& window() { return window_; }
    // The front end, for the screens' own questions and the desktop.
    FrameUi& ui() { return ui_; }
    // The drives and the time the controller works with: the screens ask the same ones (the
    // settings dialog's free space, the status strip's "now").
    platform::Volumes& volumes() { return volumes_; }
    const platform::Clock& clock() const { return clock_; }

private:
    // Start-up pieces.
    bool RunSelfUpdate();
    bool LoadPackageList();

    // Message handlers.
    void OnClose();
    void OnTimer(int id);
    void OnDriveChange(platform::WParam w_param, platform::LParam l_param);
    void ReevaluateSelection();
    void OnDownloadProgress(platform::WParam kb_so_far, platform::LParam kb_total);
    void OnCopyProgress(platform::WParam kb_done, platform::LParam kb_total);
    void OnDownloadComplete();
    void OnInstallComplete();
    void CompleteJob();
    void ReportJobError(platform::WParam code, platform::LParam detail);

    // Job pieces.
    // Marks a start under way for its scope; first() is false inside another start.
    class StartingJob {
    public:
        explicit StartingJob(bool& flag);
        ~StartingJob();
        StartingJob(const StartingJob&) = delete;
        StartingJob& operator=(const StartingJob&) = delete;
        bool first() const { return first_; }

    private:
        bool& flag_;
        bool first_;
    };
    // StartJob's questions and start, under a StartingJob.
    int RunStartJob();
    bool HasTarget() const;
    // The device the running job was started for (the selection when no job runs), and the
    // card it writes to (none for a job without a target, or once that card is gone).
    DeviceEntry* JobDevice() const;
    const CardInfo* JobCard() const;
    void PrepareTraffic(const CardInfo& card);
    void ReadCardVersionData(bool clear_format_for_read);
    bool OnlyCameraDataDiffers() const;
    std::optional<std::uint64_t> DataFolderFreeBytes();
    void SetUpJobs();
    std::string PackageFolder() const;
    bool AnalyseDrive(char letter, CardInfo& card);
    void RefreshMainList();
    // The selected device's files chosen again for its type and options, then the lists
    // refreshed.
    void ReselectFiles();
    void ReenableWizardStart();

    // Sign-in pieces.
    void SettleTrafficConsent(const std::string& service_flag);
    void RemindAboutTrafficService();
    void ReadDeviceVersions();

    void WriteTrafficNoticeDate();
    net::CWebPOST& Web();
    std::string ContentUrl(std::string_view path) const;
    void CloseProgram();
    Answer Ask(std::string_view text, std::string_view caption, Buttons buttons, Icon icon,
               Owner owner = Owner::kCurrentScreen);

    FrameUi& ui_;
    platform::MessageTarget& window_;
    FrameServices services_;
    platform::Profile& profile_;
    platform::Volumes& volumes_;
    platform::Clock& clock_;
    platform::Sleeper& sleeper_;

    ControllerState state_;
    net::CWebPOST web_;
    card::DriveWatcher drive_watcher_;
    catalog::CDownloadJob download_job_;
    card::CInstallJob install_job_;
    net::TrafficUploadState traffic_;
    int install_mode_ = 0;
    int backup_kind_ = 0;
    int restore_kind_ = 0;
    bool install_expected_ = false;  // the job writes to a card: its end is the install's
    bool install_started_ = false;   // the install job runs beside this job's download
    // What the running job was started for, fixed when the last question was answered.
    DeviceEntry* job_device_ = nullptr;
    char job_drive_ = 0;      // 0: no card (hard disk only, or a download-only unit)
    std::string job_folder_;  // the running job's package folder
    bool settings_loaded_ = false;
    bool starting_job_ = false;  // a start is asking its questions: nested starts do nothing
    bool closed_ = false;
    bool destroyed_ = false;
};

}  // namespace mapvale::controller
