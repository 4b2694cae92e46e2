#pragma once

#include "update/update_job.h"

namespace mapvale::update {

// The tray agent's daily self-update, on the calling thread: the check against kTrayPatchArea
// (old programs deleted first) and, when newer files are listed, the whole work of
// UpdateJob::Run, which ends by closing this agent's own endpoint and starting one new agent with
// "-UPDATE", whether or not every file could be installed. Returns 1 when newer files were listed
// and the work was not cancelled (the agent then exits, its successor takes over), else 0 (a
// failed check changes nothing; the next try is a day later).
//
// `setup.role` is ignored and `setup.window` should be null: the agent has no progress window.
int RunTraySelfUpdate(UpdateSetup setup);

}  // namespace mapvale::update
