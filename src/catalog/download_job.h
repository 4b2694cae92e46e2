#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "catalog/progress_filter.h"
#include "model/device_entry.h"
#include "model/server_config.h"
#include "net/web_post.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/message_target.h"
#include "platform/process.h"
#include "platform/volumes.h"

namespace mapvale::catalog {

// wParam of 0x501 (kMsgJobError) from the download job, and the failure codes that go with
// kDownloadFailed as lParam.
inline constexpr std::uint32_t kDownloadFailed = 301;
inline constexpr std::uint32_t kNoDiskSpace = 102;     // lParam 0
inline constexpr std::int64_t kFailExtractedSize = 1;  // extracted file missing or wrong size
inline constexpr std::int64_t kFailUnpack = 3;         // the unpacker failed on the archive
inline constexpr std::int64_t kFailSpanMissing = 4;    // a span missing when joining
// The entry cannot be fetched as listed: no spans, more than kMaxSpanCount, or a folder or name
// that would leave the package folder.
inline constexpr std::int64_t kFailBrokenEntry = 5;
inline constexpr std::int64_t kFailSpanDownload = 6;  // a span failed all its attempts
// Added to kFailSpanDownload when the last attempt stopped because the PC's disk was full. The
// window shows the code without it (FailureCodeOf); a front end may name the reason.
inline constexpr std::int64_t kFailDiskFull = 0x100;
inline constexpr std::int64_t FailureCodeOf(std::int64_t detail) {
    return detail & ~kFailDiskFull;
}
inline constexpr bool DiskWasFull(std::int64_t detail) {
    return (detail & kFailDiskFull) != 0;
}

// Limits and waits of a download run.
inline constexpr int kSpanAttempts = 5;
inline constexpr std::chrono::milliseconds kSpanRetryWait{2000};
inline constexpr int kFilePasses = 3;
inline constexpr int kSizeCheckPolls = 30;
inline constexpr std::chrono::milliseconds kSizeCheckInterval{1000};
inline constexpr std::chrono::milliseconds kAfterReportWait{3000};
// Span names carry three digits; far more spans than that is no package of ours.
inline constexpr int kMaxSpanCount = 9999;

// What the job works for; given at set-up, while the job is idle.
struct DownloadJobSetup {
    // Target of every message (0x501, 0x701, 0x702, 0x802, 0x902). Not owned; outlives the job.
    platform::MessageTarget* owner = nullptr;
    // The device's package folder on the PC.
    std::string download_folder;
    // The folder that holds the unpacker (kUnpackerProgramName).
    std::string program_folder;
    // The selected device: its file statuses, percentages, excluded seconds and completed-file
    // count are written by the worker while it runs; everything else of it is only read then.
    // Not owned; outlives the run.
    DeviceEntry* device = nullptr;
    // Where the completion report goes (SendDownloadNotice).
    ServerConfig servers;
    // Set after every file that reaches kDownloaded and when the worker ends, by any path, so an
    // install job waiting beside the download wakes for each new file. Optional; not owned.
    platform::Event* file_done = nullptr;
};

// The operating-system services the job uses; defaults are the real ones. Not owned.
struct DownloadJobServices {
    platform::Clock* clock = &platform::DefaultClock();
    platform::Sleeper* sleeper = &platform::DefaultSleeper();
    platform::ProcessLauncher* launcher = &platform::DefaultProcessLauncher();
    platform::Volumes* volumes = &platform::DefaultVolumes();
};

// Brings one device's package from the content server into its package folder on the PC, file
// by file, on a worker thread: every span of a file with retries, the spans renamed into a
// volume set, the unpacker run on it (and once more on the self-extracting parts), the
// extracted file's size checked, the whole file tried again up to kFilePasses times. The
// package version file is written with mark 0 before and mark 1 after a complete run; at the
// end the server is told.
//
// A run ends in exactly one of three ways, each signalling the finished event: completed
// (WM_DOWNLOAD_COMPLETE, then the download notice), failed (one 0x501 with kDownloadFailed and a
// failure code), or cancelled (no message). Files with status kNotInJob, kDownloaded, kCopying or
// kOnCard are never touched; every other file is fetched from its first span, so an interrupted
// file is always fetched whole again, and the download folder and every completed file survive
// every failure. A span that stalls (no byte for the stall limit) fails its attempt; while a
// failed attempt waits for the next, or a dropped connection is re-opened, the file's status is
// kReconnecting, and kDownloading again once bytes flow.
//
// Messages (posted, never sent): 0x902 (1, 0) when a file starts, after which
// current_file_name() names it; 0x701/0x702 after every block (see CWebPOST::DownloadToFile):
// neither falls within one download attempt (ProgressFilter), 0x702 falls by at most the bytes
// of a failed span attempt, and goes back to where the file started when a whole file is tried
// again; each completed file leaves the package count at the sum of the completed files'
// archive sizes.
//
// Thread safety: SetUp, Start, Cancel and the destructor are called from the owner's thread
// (the controller's user-interface thread), never concurrently with each other; the accessors
// from any thread. The worker never waits for the owner's thread.
class CDownloadJob {
public:
    explicit CDownloadJob(DownloadJobServices services = {});
    // Cancel().
    ~CDownloadJob();
    CDownloadJob(const CDownloadJob&) = delete;
    CDownloadJob& operator=(const CDownloadJob&) = delete;

    // Takes the owner, folders and device for the next runs; every '\' of the download folder
    // becomes '/' and doubled separators collapse. Ignored (false) while a worker runs.
    bool SetUp(const DownloadJobSetup& setup);

    // 1 when a worker was started; 0 without a device, while a worker still runs, when the
    // device is not registered (no message), when no thread could be made, or when the
    // download folder's volume has too little room (0x501 with kNoDiskSpace and 0 posted first:
    // see HasRoomForDownload). Before the worker starts it runs SelectFiles on the device, on
    // the calling thread.
    int Start();

    // Asks a running worker to stop and waits, without a time limit, until it has ended: at
    // once between steps, within one block during a transfer, at the next poll while the
    // unpacker runs (which is left running), at once during every wait. Nothing happens
    // without a worker.
    void Cancel();

    // How long a span transfer may go without a byte before its attempt fails (default
    // net::CWebPOST::kStallLimit). Only while idle.
    void SetTransferStallLimit(std::chrono::milliseconds limit) { web_.SetStallLimit(limit); }

    // True from Start until the worker has ended by any path.
    bool running() const { return running_.load(); }
    // Auto-reset; signalled whenever the worker ends.
    platform::Event& finished_event() { return finished_; }
    // AG_FILENAME of the file being fetched; what 0x902 announces.
    std::string current_file_name() const;
    const std::string& package_name() const { return package_name_; }
    const std::string& download_folder() const { return download_folder_; }

private:
    struct FileOutcome;

    void Run();
    FileOutcome FetchFile(FileEntry& entry);
    // Waits on the sleeper up to `duration`, cut short by Cancel; false when cancelled.
    bool Pause(std::chrono::milliseconds duration);
    bool cancelled() const { return cancel_.load(); }
    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param);
    void Finish();

    const DownloadJobServices services_;
    net::CWebPOST web_;
    ProgressFilter progress_;  // between web_ and the owner

    // Set-up: written by SetUp while idle, read by the worker.
    platform::MessageTarget* owner_ = nullptr;
    std::string download_folder_;
    std::string program_folder_;
    DeviceEntry* device_ = nullptr;
    ServerConfig servers_;
    platform::Event* file_done_ = nullptr;
    std::string package_name_;

    // The worker's counters; only the worker touches them while it runs.
    std::uint64_t package_bytes_ = 0;
    std::uint64_t file_bytes_ = 0;
    int completed_spans_ = 0;
    int completed_files_ = 0;

    mutable std::mutex name_mutex_;
    std::string current_file_name_;

    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
    // Cuts the worker's waits short: set by Cancel, and by the unpacker run when the program ends.
    platform::Event wake_{platform::Event::Mode::kAutoReset};
    platform::Event finished_{platform::Event::Mode::kAutoReset};
    std::thread worker_;
};

}  // namespace mapvale::catalog
