#pragma once

#include "controller/frame_ui.h"
#include "mapvale-cli/console.h"
#include "update/elevation.h"
#include "update/update_job.h"

namespace mapvale::cli {

// The self-update dialog as the console runs it, on the calling thread: the check, then the
// update on the job's worker while its progress is shown, until it ends or Ctrl-C cancels it.
//
// What the console does differently from the windowed updater, on purpose:
// - An update that installed files continues the start-up (kContinue) instead of restarting:
//   the console front end is not the program the restart would start, the files on disk are
//   already the new ones, and the lists read after the self-update come from them.
// - Without the rights to write the program folder the update is skipped with a message
//   instead of restarting elevated: a console job runs as the user who started it.
// - A failed check ends the program with the check's message, as it does in the updater.
//
// `setup` is the controller's; its window is replaced by the console's own queue.
controller::FrameUi::UpdateOutcome RunConsoleSelfUpdate(const update::UpdateSetup& setup,
                                                        Console& console,
                                                        update::ElevationService& elevation);

}  // namespace mapvale::cli
