#include "update/check_decision.h"

#include "update/elevation.h"
#include "update/update_job.h"
#include "update/update_texts.h"

namespace mapvale::update {

CheckDecision DecideAfterCheck(int check_result, bool show_dialog, bool may_write) {
    CheckDecision decision;
    decision.check_result = check_result;
    decision.show_dialog = show_dialog;
    if (check_result < 0) {
        decision.action = CheckAction::kEndProgram;
        decision.message_title = std::string(kTextCheckFailedTitle);
        decision.message_text = CheckFailureText(check_result);
    } else if (check_result == UpdateJob::kCheckUpdatesListed) {
        if (may_write) {
            decision.action = CheckAction::kUpdate;
        } else {
            decision.action = CheckAction::kRestartElevated;
            decision.message_title = std::string(kTextElevationTitle);
            decision.message_text = std::string(kTextElevation);
        }
    } else {
        decision.action = CheckAction::kContinue;
    }
    return decision;
}

CheckDecision CheckForUpdates(UpdateJob& job, ElevationService* elevation) {
    const int result = job.Check();
    bool may_write = true;
    if (result == UpdateJob::kCheckUpdatesListed && elevation != nullptr) {
        may_write = elevation->MayWrite(job.FoldersToChange());
    }
    return DecideAfterCheck(result, job.show_dialog(), may_write);
}

}  // namespace mapvale::update
