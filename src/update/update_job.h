#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "net/web_post.h"
#include "platform/clock.h"
#include "platform/instance.h"
#include "platform/message_target.h"
#include "platform/process.h"
#include "update/patch_entry.h"

namespace mapvale::update {

// Where each program's patches live on the update server.
inline constexpr std::string_view kUpdaterPatchArea = "/avn/Waymark/SoftwareUpdate/";
inline constexpr std::string_view kTrayPatchArea = "/avn/Waymark/SoftwareUpdate_X64/";
inline constexpr std::string_view kServerPatchListName = "UpdateInfo.txt";
inline constexpr std::string_view kPatchFolder = "Patch/";
// Under the program folder; holds the downloads of one run and is deleted after it.
inline constexpr std::string_view kStagingFolder = "tmp/";
// How long the tray agent gets to close before its new copy starts.
inline constexpr std::chrono::milliseconds kTrayCloseWait{1000};
// How often the end of the unpacker is looked for (it may be seen earlier).
inline constexpr std::chrono::milliseconds kUnpackerPoll{100};
// An unpacker still running after this long is given up (its archive then counts as not
// installed), as the download engine gives up one start of it.
inline constexpr std::chrono::milliseconds kUnpackerWaitLimit{std::chrono::minutes(20)};

// Which program runs the update: the updater (patch area kUpdaterPatchArea, progress to its
// dialog) or the tray agent (kTrayPatchArea, no progress window).
enum class UpdateRole { kUpdater, kTrayAgent };

struct UpdateSetup {
    UpdateRole role = UpdateRole::kUpdater;
    std::string program_folder;  // absolute; a missing final '/' is added
    std::string host;            // the update server, "host[:port]"
    // Receives 0x701/0x702 while files download, 0x802 when the work is done and WM_COMMAND at
    // the end of a worker started with Start. Null: nothing is posted. Must outlive the job.
    platform::MessageTarget* window = nullptr;
    // Null: the process-wide defaults (real processes, real time, real instance endpoints).
    // Whatever is given must outlive the job.
    platform::ProcessLauncher* launcher = nullptr;
    platform::InstanceService* instances = nullptr;
    platform::Sleeper* sleeper = nullptr;  // the tray agent's close wait and download retries
    // How long an unpacker is waited for (tests shorten it).
    std::chrono::milliseconds unpacker_wait_limit = kUnpackerWaitLimit;
};

// How one server entry came out of a run.
enum class EntryOutcome {
    kCurrent,    // the local list already had it
    kInstalled,  // its file is in place (an archive: the unpacker ended with 0)
    kFailed,     // not offered for download, download failed, or it could not be installed
};

// The self-update of either program: the check of the program folder's patch list against the
// server's, then the worker that downloads, unpacks and installs what changed, records the new
// list and restarts the tray agent.
//
// Use: Check on the user-interface thread (see check_decision.h for what the front end does with
// its result), then Start (a worker thread; the dialog waits for WM_COMMAND) or Run (on the
// calling thread).
//
// Thread safety: Check, Start, Run, Wait and the destructor from one thread; Cancel from any
// thread. The lists and outcomes may be read only while no worker runs.
class UpdateJob {
public:
    // Check results besides the negative codes of CWebPOST::SendRequestNoReply.
    static constexpr int kCheckNothingToDo = 0;
    static constexpr int kCheckUpdatesListed = 1;
    // Run results.
    static constexpr int kRunCancelled = 0;
    // At least one file was installed and the new list recorded: the program starts again.
    static constexpr int kRunUpdated = 1;
    // The work ended without a change worth a restart: nothing could be installed, or the list
    // could not be recorded (a restart would then repeat the same update at every start).
    static constexpr int kRunUnchanged = 2;

    explicit UpdateJob(UpdateSetup setup);
    // Cancels a running worker and waits for it.
    ~UpdateJob();
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;

    // Deletes the old programs left by the last update ("_" + name), reads the local list, asks
    // the server whether its list is there (a negative CWebPOST code when not), fetches and reads
    // it. kCheckUpdatesListed when a server entry is not current, kCheckNothingToDo when every
    // one is or the list could not be fetched. A package-managed program folder
    // (IsPackageManaged) is left alone: kCheckNothingToDo without a request.
    int Check();

    // Starts Run on a worker thread. At its end the worker posts WM_COMMAND to the window with
    // IDOK (lParam kRunUpdated or kRunUnchanged) or IDCANCEL (kRunCancelled), except after a
    // cancel, when the dialog has already ended. False when a worker already runs or no thread
    // could be made.
    bool Start();
    // The work, in order: the staging folder is emptied; a size pass probes every entry that is
    // not current; a download pass fetches each into the staging folder and unpacks archives
    // with ZipModule (archive-only call, run in the program folder; waited for until it ends,
    // for at most unpacker_wait_limit, or until a cancel, which leaves it running); unless
    // cancelled, an install pass puts the other files in place (InstallPatchFile), the staging
    // folder is deleted, the list is recorded (RecordedPatchList), 0x802 goes to the window and
    // the tray agent is closed (when it answers, then kTrayCloseWait) and started with
    // "-UPDATE".
    int Run();
    // Stops the work at the next file, probe, download block or unpacker poll; nothing more is
    // installed. Any thread.
    void Cancel();
    bool cancelled() const { return cancel_.load(); }
    // Waits for a started worker; its result (kRunCancelled when none was started).
    int Wait();
    bool running() const { return running_.load(); }

    // The show-dialog flag of the server list: the front end shows the dialog, its bar and its
    // button only when it is set.
    bool show_dialog() const { return show_dialog_; }
    const std::vector<PatchEntry>& local_list() const { return local_; }
    const std::vector<PatchEntry>& server_list() const { return server_; }
    // One per server entry: known after Check (kCurrent or kFailed), final after Run.
    const std::vector<EntryOutcome>& outcomes() const { return outcomes_; }
    // Folders the update will write (the program folder, Info/ and the entries' sub-folders),
    // for the elevation test.
    std::vector<std::string> FoldersToChange() const;

    const std::string& program_folder() const { return program_folder_; }
    const std::string& base_path() const { return base_path_; }

private:
    bool Unpack(const std::string& archive);
    void RestartTrayAgent();
    void DeleteOldPrograms();

    UpdateSetup setup_;
    std::string program_folder_;
    std::string base_path_;
    net::CWebPOST web_;
    platform::ProcessLauncher& launcher_;
    platform::InstanceService& instances_;
    platform::Sleeper& sleeper_;

    std::vector<PatchEntry> local_;
    std::vector<PatchEntry> server_;
    std::vector<EntryOutcome> outcomes_;
    bool show_dialog_ = false;

    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> result_{kRunCancelled};
    std::thread worker_;
};

}  // namespace mapvale::update
