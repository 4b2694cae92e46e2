#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "card/drive_scan.h"
#include "model/card_info.h"
#include "platform/clock.h"
#include "platform/event.h"
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
// Thread safety: Start, Stop, SetEnabled and the destructor are called from the owner's thread
// (not concurrently with each other); the accessors and AnalyseCard from any thread. Messages are
// only posted, never sent.
class DriveWatcher {
  public:
    static constexpr std::chrono::milliseconds kPeriod{500};
    enum Command : int { kNoCommand = 0, kStop = 1, kReloadEnabled = 2 };

    // `volumes` and `sleeper` must outlive the watcher.
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
    // time. The worker cannot be killed, so the thread is joined before Stop returns in either
    // case: a late end costs at most the scan that was running. True at once without a worker.
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
    // posted); they let tests and diagnostics follow the worker.
    std::uint64_t ScanCount() const { return scans_.load(); }
    std::uint64_t PeriodCount() const { return periods_.load(); }

  private:
    void Run();
    void ScanAndPost();
    void SendCommand(int command);

    platform::Volumes& volumes_;
    platform::Sleeper& sleeper_;
    platform::MessageTarget* owner_ = nullptr;
    std::vector<std::string> folders_;
    std::atomic<std::uint32_t> drive_message_{0};
    std::atomic<int> enabled_{1};
    std::atomic<int> command_{kNoCommand};
    platform::Event command_event_{platform::Event::Mode::kAutoReset};
    platform::Event finished_event_{platform::Event::Mode::kAutoReset};
    // The scan state: touched by Start before the worker exists, then only by the worker.
    DriveScanner scanner_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<std::uint64_t> scans_{0};
    std::atomic<std::uint64_t> periods_{0};
};

}  // namespace mapvale::card
