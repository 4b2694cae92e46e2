#pragma once

#include <string>
#include <vector>

#include "platform/process.h"

namespace mapvale::update {

// Whether this program has the rights an update needs, and how it starts itself again with
// more. The Windows programs ask whether the process runs elevated; here a program folder this
// user cannot write counts as "not elevated".
//
// Thread safety: calls may come from any thread, one at a time.
class ElevationService {
public:
    virtual ~ElevationService() = default;

    // True when every folder of `folders` that exists may be written by this process.
    virtual bool MayWrite(const std::vector<std::string>& folders) = 0;
    // Starts `request` again with administrator rights and does not wait for it. True when the
    // start was handed to the system's elevation helper; false when there is none or it could
    // not be started. The user may still refuse afterwards.
    virtual bool RelaunchElevated(const platform::LaunchRequest& request) = 0;
};

// The real service: write access as access(2) tells it, and the relaunch through pkexec.
class PkexecElevation final : public ElevationService {
public:
    // `launcher` must outlive the service.
    explicit PkexecElevation(platform::ProcessLauncher& launcher);

    bool MayWrite(const std::vector<std::string>& folders) override;
    bool RelaunchElevated(const platform::LaunchRequest& request) override;

    // What RelaunchElevated starts: pkexec running env(1), which gives the program back the
    // variables pkexec clears and that a desktop program needs to reach the user's display
    // (DISPLAY, XAUTHORITY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR, as far as `environment` sets
    // them) and then the request's own variables, and a shell that changes to the request's
    // working folder (when it names one) and executes the program, made absolute, with its
    // arguments. `environment` is "NAME=value" strings, as in environ.
    static platform::LaunchRequest PkexecRequest(const platform::LaunchRequest& request,
                                                 const std::vector<std::string>& environment);

private:
    platform::ProcessLauncher& launcher_;
};

}  // namespace mapvale::update
