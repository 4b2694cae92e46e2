#include "card/drive_watcher.h"

#include <algorithm>
#include <system_error>

#include "card/card_analysis.h"
#include "model/messages.h"
#include "platform/event.h"

namespace mapvale::card {

struct DriveWatcher::WorkerState {
    WorkerState(platform::Volumes& volumes_in, platform::Sleeper& sleeper_in,
                platform::MessageTarget& owner_in, std::shared_ptr<Counters> counters_in)
        : volumes(volumes_in),
          sleeper(sleeper_in),
          counters(std::move(counters_in)),
          owner(&owner_in) {}

    platform::Volumes& volumes;
    platform::Sleeper& sleeper;
    const std::shared_ptr<Counters> counters;
    std::atomic<int> enabled{1};
    std::atomic<int> command{kNoCommand};
    platform::Event command_event{platform::Event::Mode::kAutoReset};
    platform::Event finished_event{platform::Event::Mode::kAutoReset};
    // Touched by Start before the worker exists, then only by the worker.
    DriveScanner scanner;

    // Guards what decides between posting and leaving the worker behind: Stop gives a worker up
    // only while it is inside a scan, and a worker posts only while it is not given up.
    std::mutex mutex;
    platform::MessageTarget* owner;  // null once the worker was left behind
    bool in_scan = false;
    bool stopping = false;  // no scan starts any more
};

DriveWatcher::DriveWatcher(platform::Volumes& volumes, platform::Sleeper& sleeper)
    : volumes_(volumes), sleeper_(sleeper) {}

DriveWatcher::~DriveWatcher() {
    Stop();
}

int DriveWatcher::Start(platform::MessageTarget& owner, std::string_view folder_list) {
    if (worker_.joinable()) {
        return 0;
    }
    folders_ = SplitFolderList(folder_list);
    drive_message_ = kMsgDriveChange;
    // A fresh state each time: the one of a worker left behind stays with that worker.
    state_ = std::make_shared<WorkerState>(volumes_, sleeper_, owner, counters_);
    ScanAndPost(*state_);
    try {
        running_ = true;
        worker_ = std::thread([state = state_] { Run(state); });
    } catch (const std::system_error&) {
        running_ = false;
        return 0;
    }
    return 1;
}

bool DriveWatcher::Stop(std::chrono::milliseconds grace) {
    if (!worker_.joinable()) {
        return true;
    }
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    SendCommand(kStop);
    const bool in_time = sleeper_.WaitFor(state_->finished_event, grace);
    bool leave_behind = false;
    if (!in_time) {
        std::lock_guard lock(state_->mutex);
        // Between scans the worker starts no new one and sees the command at its next check,
        // so it is joined; inside a scan nobody can tell when it comes back.
        if (state_->in_scan) {
            state_->owner = nullptr;
            leave_behind = true;
        }
    }
    if (leave_behind) {
        std::lock_guard lock(left_behind_mutex_);
        left_behind_.erase(
            std::remove_if(left_behind_.begin(), left_behind_.end(),
                           [](const std::weak_ptr<WorkerState>& w) { return w.expired(); }),
            left_behind_.end());
        left_behind_.push_back(state_);
        worker_.detach();
        state_.reset();  // the worker holds the last share now
    } else {
        worker_.join();
    }
    running_ = false;
    return in_time;
}

void DriveWatcher::SetEnabled(bool enabled) {
    if (state_ == nullptr) {
        return;  // Start sets the flag anyway
    }
    state_->enabled = enabled ? 1 : 0;
    if (worker_.joinable()) {
        SendCommand(kReloadEnabled);
    }
}

int DriveWatcher::AnalyseCard(char letter, std::uint8_t wanted_mask, CardInfo& card) const {
    return card::AnalyseCard(volumes_, letter, wanted_mask, folders_, card);
}

std::uint64_t DriveWatcher::ScanCount() const {
    return counters_->scans.load();
}

std::uint64_t DriveWatcher::PeriodCount() const {
    return counters_->periods.load();
}

std::size_t DriveWatcher::LeftBehindCount() const {
    std::lock_guard lock(left_behind_mutex_);
    return static_cast<std::size_t>(
        std::count_if(left_behind_.begin(), left_behind_.end(),
                      [](const std::weak_ptr<WorkerState>& w) { return !w.expired(); }));
}

void DriveWatcher::SendCommand(int command) {
    // A pending stop is never overwritten by a later reload.
    int current = state_->command.load();
    while (current != kStop && !state_->command.compare_exchange_weak(current, command)) {
    }
    state_->command_event.Set();
}

bool DriveWatcher::ScanAndPost(WorkerState& state) {
    {
        std::lock_guard lock(state.mutex);
        if (state.stopping) {
            return false;
        }
        state.in_scan = true;
    }
    const std::vector<DriveChange> changes = state.scanner.Scan(state.volumes);
    bool go_on = false;
    {
        std::lock_guard lock(state.mutex);
        state.in_scan = false;
        if (state.owner != nullptr) {
            PostDriveChanges(*state.owner, changes);
            go_on = true;
        }
    }
    ++state.counters->scans;
    return go_on;
}

void DriveWatcher::Run(const std::shared_ptr<WorkerState>& shared) {
    WorkerState& state = *shared;
    bool enabled = state.enabled.load() != 0;
    for (;;) {
        if (state.sleeper.WaitFor(state.command_event, kPeriod)) {
            const int command = state.command.exchange(kNoCommand);
            if (command == kStop) {
                break;
            }
            if (command == kReloadEnabled) {
                enabled = state.enabled.load() != 0;
            }
            continue;
        }
        if (enabled && !ScanAndPost(state)) {
            break;
        }
        ++state.counters->periods;
    }
    // Left behind, nobody waits for this any more; it is harmless all the same.
    state.finished_event.Set();
}

}  // namespace mapvale::card
