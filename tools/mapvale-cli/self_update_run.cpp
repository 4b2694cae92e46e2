#include "mapvale-cli/self_update_run.h"

#include <chrono>

#include "mapvale-cli/cli_texts.h"
#include "mapvale-cli/interrupt_flag.h"
#include "model/messages.h"
#include "platform/message_queue.h"
#include "update/check_decision.h"

namespace mapvale::cli {

namespace {

using Outcome = controller::FrameUi::UpdateOutcome;

constexpr std::chrono::milliseconds kPollWait{100};

void ShowDecisionMessage(Console& console, const update::CheckDecision& decision) {
    if (decision.message_text.empty()) {
        return;
    }
    console.Print(BoxMessage(decision.message_text, decision.message_title));
}

// Runs the job's worker to its end; the Run result, or nothing after Ctrl-C.
std::optional<int> RunWorker(update::UpdateJob& job, platform::MessageQueue& queue,
                             Console& console) {
    if (!job.Start()) {
        return update::UpdateJob::kRunCancelled;
    }
    int last_percent = -1;
    for (;;) {
        if (InterruptFlag::Requested()) {
            job.Cancel();
            job.Wait();
            console.EndProgress();
            return std::nullopt;
        }
        const std::optional<platform::Message> message = queue.WaitTake(kPollWait);
        if (!message) {
            if (!job.running() && queue.Size() == 0) {
                console.EndProgress();
                return job.Wait();
            }
            continue;
        }
        if (message->message == kMsgDownloadProgress && message->l_param > 0) {
            const auto percent = static_cast<int>(std::min<platform::WParam>(
                message->w_param * 100 / static_cast<platform::WParam>(message->l_param), 100));
            if (percent != last_percent) {
                last_percent = percent;
                console.Progress(std::string(kTextUpdateProgress) + " " + std::to_string(percent) +
                                 "%");
            }
        } else if (message->message == kWmCommand) {
            console.EndProgress();
            job.Wait();
            return message->w_param == static_cast<platform::WParam>(IDOK)
                       ? static_cast<int>(message->l_param)
                       : update::UpdateJob::kRunCancelled;
        }
    }
}

}  // namespace

Outcome RunConsoleSelfUpdate(const update::UpdateSetup& setup, Console& console,
                             update::ElevationService& elevation) {
    platform::MessageQueue queue;
    update::UpdateSetup own = setup;
    own.window = &queue;
    update::UpdateJob job(own);
    console.Print(kTextCheckingUpdate);
    const update::CheckDecision decision = update::CheckForUpdates(job, &elevation);
    switch (decision.action) {
        case update::CheckAction::kContinue:
            return Outcome::kContinue;
        case update::CheckAction::kEndProgram:
            ShowDecisionMessage(console, decision);
            return Outcome::kCancel;
        case update::CheckAction::kRestartElevated:
            console.Print(kTextUpdateNoRights);
            return Outcome::kContinue;
        case update::CheckAction::kUpdate:
            break;
    }
    console.Print(kTextUpdating);
    const std::optional<int> result = RunWorker(job, queue, console);
    if (!result) {
        console.Print(kTextUpdateCancelled);
        return Outcome::kCancel;
    }
    switch (*result) {
        case update::UpdateJob::kRunUpdated:
            console.Print(kTextUpdated);
            return Outcome::kContinue;
        case update::UpdateJob::kRunUnchanged:
            console.Print(kTextUpdateUnchanged);
            return Outcome::kContinue;
        default:
            console.Print(kTextUpdateCancelled);
            return Outcome::kCancel;
    }
}

}  // namespace mapvale::cli
