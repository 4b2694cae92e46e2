#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_settings.h"
#include "app/picture_folder.h"
#include "platform/clock.h"
#include "platform/formatter.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/volumes.h"

namespace mapvale::controller {

// What the controller works with besides the front end: the settings, the machine and time.
// Everything is referenced, not owned, and must outlive the controller; null members take the
// process-wide real services.
struct FrameServices {
    platform::Profile* profile = nullptr;  // required
    // The command line after the program name.
    std::vector<std::string> arguments;
    // Folders when the settings name none.
    app::FolderDefaults folder_defaults;

    platform::Volumes* volumes = nullptr;
    platform::Formatter* formatter = nullptr;
    platform::ProcessLauncher* launcher = nullptr;
    platform::InstanceService* instances = nullptr;
    // The controller's own time: progress arithmetic, the waits of a cancel, today's date.
    platform::Clock* clock = nullptr;
    platform::Sleeper* sleeper = nullptr;
    // The workers' time (drive watcher, download and install jobs); tests give them real time
    // while the controller's own runs on a fake clock.
    platform::Clock* worker_clock = nullptr;
    platform::Sleeper* worker_sleeper = nullptr;
    // Whether the network is up for a host; null: the HTTP client's own check.
    std::function<bool(std::string_view host)> connectivity;
    // Whether the user may write the program folder's Product/; null: the real test. When not,
    // product pictures go to `picture_cache_folder` (empty: app::PictureCacheFolder()).
    app::FolderWriteTest may_write_folder;
    std::string picture_cache_folder;
};

}  // namespace mapvale::controller
