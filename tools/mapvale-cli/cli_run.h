#pragma once

#include "mapvale-cli/cli_options.h"
#include "mapvale-cli/console.h"

namespace mapvale::cli {

// Runs the command of `options` on this thread and returns the exit status (exit_codes.h).
//
// Both commands start the controller as the updater does (settings, self-update unless told
// otherwise, server versions, package list, banners, sign-in, drive watcher) and handle the
// drive messages of the first scan. Then:
// - run: applies --device/--card/--hard-disk and the format choice, refuses what the wizard
//   refuses (a PDA unit, a card too small, the newest version already there unless a reinstall
//   is wanted), starts the job and follows it with the progress line until the wizard's last
//   screen (done), its return to the option screen (failed), or Ctrl-C (cancelled);
// - status: reports every card and changes nothing (settings writes stay in memory).
//
// Ctrl-C must have been routed to InterruptFlag by the caller.
int RunCli(const CliOptions& options, Console& console);

}  // namespace mapvale::cli
