#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/process.h"

namespace mapvale::catalog {

// The outside unpacker, started from the program folder.
#ifdef _WIN32
inline constexpr std::string_view kUnpackerProgramName = "ZipModule.exe";
#else
inline constexpr std::string_view kUnpackerProgramName = "ZipModule";
#endif

// How the download worker waits for the unpacker.
inline constexpr int kUnpackerStarts = 3;
inline constexpr int kUnpackerPolls = 1200;  // one a second: 20 minutes per start
inline constexpr std::chrono::milliseconds kUnpackerPollInterval{1000};
inline constexpr std::chrono::milliseconds kUnpackerRetryWait{5000};
// The low byte of -3: the unpacker asks to be started again.
inline constexpr int kUnpackerTransientExit = 253;

// What a run of the unpacker needs from the job that runs it. Nothing is owned.
struct UnpackerContext {
    platform::ProcessLauncher* launcher = nullptr;
    platform::Sleeper* sleeper = nullptr;
    // Every wait of the run waits on this event: the job sets it to cut a wait short after
    // raising `cancel`, and the run sets it itself when the unpacker ends. The run resets it
    // before each wait phase, so a stale signal never shortens a wait.
    platform::Event* wake = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    std::string program;  // full path of the unpacker
};

// The parameters of the archive-and-destination call form: each path enclosed in double
// quotes, as the unpacker has always been called.
std::vector<std::string> UnpackerParameters(std::string_view archive, std::string_view destination);

// Unpacks `archive` into `destination`, or into the archive's own folder when `destination` is
// empty, through RunUnpacker. 1 on success, 0 on failure.
int UnpackArchive(const UnpackerContext& context, std::string_view archive,
                  std::string_view destination = {});

// Starts the unpacker with `parameters` up to kUnpackerStarts times and waits for it:
// - the exit code is looked at once per kUnpackerPollInterval, at most kUnpackerPolls times,
//   and the wait ends as soon as the program ends;
// - a raised cancel flag, seen before each poll, ends the run at once with 0 and leaves the
//   program running;
// - exit code 0 is success (1); kUnpackerTransientExit waits kUnpackerRetryWait and starts the
//   program again (0 when cancelled); any other exit code, and a program still running after
//   the last poll, is failure (0);
// - a program that cannot be started at all (missing, not executable) is failure (0) at once;
// - when every start ended with kUnpackerTransientExit, the result is 1: the caller's size
//   check of the extracted file decides.
// Runs on the download worker; waits through the context's sleeper.
int RunUnpacker(const UnpackerContext& context, const std::vector<std::string>& parameters);

}  // namespace mapvale::catalog
