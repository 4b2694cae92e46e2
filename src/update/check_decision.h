#pragma once

#include <string>

namespace mapvale::update {

class ElevationService;
class UpdateJob;

// What the front end does after the check.
enum class CheckAction {
    // Nothing to update: the dialog ends with IDOK and start-up goes on.
    kContinue,
    // Start the worker (UpdateJob::Start). The dialog is topmost and titled kTextDialogTitle;
    // it, its bar and its button are shown only when `show_dialog` is set, else the update runs
    // hidden.
    kUpdate,
    // Show the message, start the updater again through ElevationService::RelaunchElevated and
    // end the dialog with IDCANCEL, without the cancel question.
    kRestartElevated,
    // Show the message; then the job is cancelled (UpdateJob::Cancel), the dialog and the main
    // window are closed and the program ends.
    kEndProgram,
};

struct CheckDecision {
    CheckAction action = CheckAction::kContinue;
    int check_result = 0;
    bool show_dialog = false;
    // The message box to show before acting (OK button), when the text is not empty.
    std::string message_title;
    std::string message_text;
};

// The decision for a check result: 0 continues; 1 updates when the program may write its
// folders (`may_write`), else restarts elevated; a negative code ends the program with its
// message (CheckFailureText).
CheckDecision DecideAfterCheck(int check_result, bool show_dialog, bool may_write);

// Runs the job's check and decides. The write test asks `elevation` only when there is
// something to update; a null `elevation` skips it (the tray agent, which never restarts
// elevated). Runs on the caller's (user-interface) thread.
CheckDecision CheckForUpdates(UpdateJob& job, ElevationService* elevation);

}  // namespace mapvale::update
