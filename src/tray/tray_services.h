#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/settings_store.h"
#include "platform/volumes.h"
#include "tray/random_delay.h"
#include "update/elevation.h"
#include "update/update_job.h"

namespace mapvale::tray {

// What the agent works with besides its front end: settings, the machine, time and chance.
// Everything is referenced, not owned, and must outlive the agent; null members take the
// process-wide real services.
struct TrayServices {
    platform::SettingsStore* settings = nullptr;  // required
    // The command line after the program name.
    std::vector<std::string> arguments;
    // The executable's base name: the agent's profile key.
    std::string profile_name = "MapvaleTray";
    // The program folder when the settings name none; empty: the updater's default.
    std::string default_program_folder;
    // Where the agent's mutex lives; empty: the platform's default folder.
    std::string lock_folder;

    platform::Volumes* volumes = nullptr;
    platform::ProcessLauncher* launcher = nullptr;
    platform::InstanceService* instances = nullptr;
    // The agent's own time: timers' bookkeeping, the quiet period, the waits of "-UPDATE".
    platform::Clock* clock = nullptr;
    platform::Sleeper* sleeper = nullptr;
    // The drive watcher's worker (tests give it real time while the agent's runs on a fake
    // clock).
    platform::Sleeper* watcher_sleeper = nullptr;
    // The draws of the daily delay; null: a generator seeded with the time.
    RandomDraw* random = nullptr;
    // Whether the program folder may be written (the daily self-update needs it).
    update::ElevationService* elevation = nullptr;
    // Whether the network is up for a host; null: the HTTP client's own check.
    std::function<bool(std::string_view host)> connectivity;
};

// The instance service of `services`, or the process-wide real one (one for the application
// object and the window alike).
platform::InstanceService& InstancesOf(const TrayServices& services);

}  // namespace mapvale::tray
