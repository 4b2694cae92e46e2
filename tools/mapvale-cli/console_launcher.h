#pragma once

#include <memory>

#include "platform/process.h"

namespace mapvale::cli {

// Starts what a console job needs (the unpacker, the self-update's helpers) through `inner`,
// but never the windowed programs: the tray agent (which the updater's start-up and the
// self-update start) and the updater itself (a self-update restart). They have no place beside
// a console job and would outlive it.
class ConsoleLauncher final : public platform::ProcessLauncher {
public:
    // `inner` must outlive the launcher.
    explicit ConsoleLauncher(platform::ProcessLauncher& inner) : inner_(inner) {}

    // Nothing for a windowed program, else what `inner` gives.
    std::unique_ptr<platform::Process> Start(const platform::LaunchRequest& request) override;

    // Whether `program` (a path) names one of the windowed programs.
    static bool IsWindowedProgram(const std::string& program);

private:
    platform::ProcessLauncher& inner_;
};

}  // namespace mapvale::cli
