#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "card/drive_scan.h"
#include "model/card_info.h"
#include "platform/clock.h"
#include "platform/message_target.h"
#include "platform/volumes.h"

namespace mapvale::card {

// Polls the drives twice a second on a worker thread and posts the drive message (0x601) to its
// owner for every drive that became usable or went away (see DriveScanner for the rules and
// PostDriveChanges for the parameters).
//
// The controller owns one watcher: Start after start-up, SetEnabled(false/true) around a job
// (command 2), Stop at exit (command 1, waited for one period). Commands reach the worker through
// an auto-reset command event; the worker wakes on it at once, so a stop never waits out a
// period. Every wait goes through the given Sleeper.
//
// A scan can hang (a dead network mount, a drive that stops answering), and the program must
// still exit. So a worker caught in a scan when Stop's grace runs out is left behind: it owns
// its state together with the watcher, finishes the scan in `volumes` on its own time, posts
// nothing any more and ends. Apart from that scan it touches neither the owner, the sleeper nor
// the watcher after Stop has returned.
//
// Thread safety: Start, Stop, SetEnabled and the destructor are called from the owner's thread
// (not concurrently with each other); the accessors and AnalyseCard from any thread. Messages are
// only posted, never sent.
class DriveWatcher {
public:
    static constexpr std::chrono::milliseconds kPeriod{500};
    enum Command : int { kNoCommand = 0, kStop = 1, kReloadEnabled = 2 };

    // `sleeper` must outlive the watcher; `volumes` must outlive it and any scan a worker left
    // behind by Stop is still in (the program's volumes are process-wide and never destroyed).
    DriveWatcher(platform::Volumes& volumes, platform::Sleeper& sleeper);
    // Stops a running worker (Stop with the default grace).
    ~DriveWatcher();
    DriveWatcher(const DriveWatcher&) = delete;
    DriveWatcher& operator=(const DriveWatcher&) = delete;

    // 0 when a worker exists. Otherwise takes the folder list ("name;name", see SplitFolderList),
    // sets the drive message and the enabled flag to 1, forgets the drives known before, scans
    // once on the calling thread (so the drives present are posted as arrivals at once), then
    // starts the worker: 1, or 0 when no thread could be made. `owner` must stay valid until Stop.
    int Start(platform::MessageTarget& owner, std::string_view folder_list);

    // Command 1: the worker ends at its next check, which is immediate unless a scan is under
    // way. Waits up to `grace` (on the sleeper) for the finished event; true when it came in
    // time. A worker that missed it is joined when it is between scans (it is then about to
    // see the command) and left behind when it is inside one (see above), so Stop returns within
    // the grace plus a moment. No message is posted to the owner after Stop returns. True at
    // once without a worker.
    bool Stop(std::chrono::milliseconds grace = kPeriod);

    // Command 2: stores the enabled flag and has the worker reload it; returns at once. While the
    // flag is off the worker keeps its period but does not scan, so changes made meanwhile are
    // posted by the first scan after it is switched back on.
    void SetEnabled(bool enabled);

    bool IsRunning() const { return running_.load(); }
    std::uint32_t drive_message() const { return drive_message_.load(); }
    // The folder names given to Start. Not to be called while Start runs.
    const std::vector<std::string>& folders() const { return folders_; }

    // AnalyseCard (card_analysis.h) with this watcher's folder list; runs on the caller's thread.
    int AnalyseCard(char letter, std::uint8_t wanted_mask, CardInfo& card) const;

    // Scans made since construction (the one in Start included) and periods the worker has
    // completed (waited out, and scanned when enabled; a period counts after its messages were
    // posted); they let tests and diagnostics follow the worker. The scan a worker left behind
    // was in counts when it ends, although it posts nothing.
    std::uint64_t ScanCount() const;
    std::uint64_t PeriodCount() const;
    // Workers left behind by Stop that have not ended yet.
    std::size_t LeftBehindCount() const;

private:
    // Everything the worker touches besides the volumes and the sleeper, owned jointly by the
    // watcher and its worker so that a worker left behind never reaches freed memory.
    struct WorkerState;
    struct Counters {
        std::atomic<std::uint64_t> scans{0};
        std::atomic<std::uint64_t> periods{0};
    };

    static void Run(const std::shared_ptr<WorkerState>& state);
    // False when the worker is to end instead: stopping, or left behind during the scan.
    static bool ScanAndPost(WorkerState& state);
    void SendCommand(int command);

    platform::Volumes& volumes_;
    platform::Sleeper& sleeper_;
    std::vector<std::string> folders_;
    std::atomic<std::uint32_t> drive_message_{0};
    // Shared by the states of every worker this watcher started, so that counts survive a
    // restart after a worker was left behind.
    std::shared_ptr<Counters> counters_ = std::make_shared<Counters>();
    std::shared_ptr<WorkerState> state_;  // of the current worker; null before the first Start
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::vector<std::weak_ptr<WorkerState>> left_behind_;
    mutable std::mutex left_behind_mutex_;
};

}  // namespace mapvale::card
