#include "card/drive_watcher.h"

#include <system_error>

#include "card/card_analysis.h"
#include "model/messages.h"

namespace mapvale::card {

DriveWatcher::DriveWatcher(platform::Volumes& volumes, platform::Sleeper& sleeper)
    : volumes_(volumes), sleeper_(sleeper) {}

DriveWatcher::~DriveWatcher() {
    Stop();
}

int DriveWatcher::Start(platform::MessageTarget& owner, std::string_view folder_list) {
    if (worker_.joinable()) {
        return 0;
    }
    owner_ = &owner;
    folders_ = SplitFolderList(folder_list);
    drive_message_ = kMsgDriveChange;
    enabled_ = 1;
    command_ = kNoCommand;
    command_event_.Reset();
    finished_event_.Reset();
    scanner_.Reset();
    ScanAndPost();
    try {
        running_ = true;
        worker_ = std::thread([this] { Run(); });
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
    SendCommand(kStop);
    const bool in_time = sleeper_.WaitFor(finished_event_, grace);
    worker_.join();
    running_ = false;
    return in_time;
}

void DriveWatcher::SetEnabled(bool enabled) {
    enabled_ = enabled ? 1 : 0;
    if (worker_.joinable()) {
        SendCommand(kReloadEnabled);
    }
}

int DriveWatcher::AnalyseCard(char letter, std::uint8_t wanted_mask, CardInfo& card) const {
    return card::AnalyseCard(volumes_, letter, wanted_mask, folders_, card);
}

void DriveWatcher::SendCommand(int command) {
    // A pending stop is never overwritten by a later reload.
    int current = command_.load();
    while (current != kStop && !command_.compare_exchange_weak(current, command)) {
    }
    command_event_.Set();
}

void DriveWatcher::ScanAndPost() {
    PostDriveChanges(*owner_, scanner_.Scan(volumes_));
    ++scans_;
}

void DriveWatcher::Run() {
    bool enabled = enabled_.load() != 0;
    for (;;) {
        if (sleeper_.WaitFor(command_event_, kPeriod)) {
            const int command = command_.exchange(kNoCommand);
            if (command == kStop) {
                break;
            }
            if (command == kReloadEnabled) {
                enabled = enabled_.load() != 0;
            }
            continue;
        }
        if (enabled) {
            ScanAndPost();
        }
        ++periods_;
    }
    finished_event_.Set();
}

}  // namespace mapvale::card
