#pragma once

namespace mapvale::cli {

// Exit statuses of mapvale-cli. Only a completed job (or a status listing) gives 0.
inline constexpr int kExitDone = 0;
// The job failed, or was refused or stopped before it started.
inline constexpr int kExitNotCompleted = 1;
// The command line could not be read.
inline constexpr int kExitUsage = 2;
// Start-up ended early: another instance, self-update, package list, sign-in.
inline constexpr int kExitStartup = 3;
// Nothing was to be done: the newest version is on the card and no reinstall was wanted.
inline constexpr int kExitNothingToDo = 4;
// Ctrl-C (or SIGTERM): the job was cancelled cleanly.
inline constexpr int kExitInterrupted = 130;

}  // namespace mapvale::cli
