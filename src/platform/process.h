#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mapvale::platform {

// A started program. Destroying the handle neither waits for nor stops the program.
//
// Thread safety: one thread at a time per handle.
class Process {
public:
    virtual ~Process() = default;

    // True while the program runs (GetExitCodeProcess answering STILL_ACTIVE).
    virtual bool IsActive() = 0;
    // Waits (in real time) up to `timeout` for the program to end and returns as soon as it
    // does; true when it has ended.
    virtual bool Wait(std::chrono::milliseconds timeout) = 0;
    // The exit status (0-255) once the program ended, nothing while it runs. A program killed by
    // a signal reports 128 + the signal number, as shells do; one whose status another part of
    // this program took first (SIGCHLD ignored) reports 255, a failure.
    virtual std::optional<int> ExitCode() = 0;
    virtual int Pid() const = 0;
};

struct LaunchRequest {
    std::string program;                 // path of the program file (a bare name is looked up
                                         // in PATH; a relative path is the caller's, not
                                         // relative to working_folder)
    std::vector<std::string> arguments;  // passed unchanged, no shell involved
    std::string working_folder;          // empty = the caller's
    bool shown = true;                   // window show state; no meaning on Linux
    // Variables set for the program on top of the caller's environment (a name given here
    // replaces the caller's value). Names must be non-empty and hold no '='. The initializer
    // keeps brace-initialised requests that stop at `shown` free of warnings.
    std::vector<std::pair<std::string, std::string>> environment = {};
};

// Starts programs (ShellExecuteEx with SEE_MASK_NOCLOSEPROCESS).
//
// Thread safety: Start may be called from any thread.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // The started program, or nothing when it could not be started (missing file, not
    // executable, bad working folder).
    virtual std::unique_ptr<Process> Start(const LaunchRequest& request) = 0;
};

// fork/exec with a close-on-exec error pipe, so a program that cannot be executed is reported by
// Start and not as an exit code.
class PosixProcessLauncher final : public ProcessLauncher {
public:
    std::unique_ptr<Process> Start(const LaunchRequest& request) override;
};

ProcessLauncher& DefaultProcessLauncher();

// "open"/"explore" of a folder, file or web address with the desktop's opener (xdg-open),
// detached. False when no opener could be started.
bool OpenWithDesktop(const std::string& target);

}  // namespace mapvale::platform
