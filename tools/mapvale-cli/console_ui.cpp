#include "mapvale-cli/console_ui.h"

#include "controller/main_frame.h"
#include "mapvale-cli/cli_texts.h"
#include "mapvale-cli/self_update_run.h"
#include "model/messages.h"
#include "platform/text.h"

namespace mapvale::cli {

namespace {

using controller::Answer;
using controller::Buttons;

// How often a question is asked again after an answer that does not read.
constexpr int kQuestionAttempts = 5;

std::string_view AnswerWord(Answer answer) {
    switch (answer) {
        case Answer::kYes:
        case Answer::kOk:
            return kAnswerYes;
        case Answer::kNo:
            return kAnswerNo;
        case Answer::kCancel:
            return kAnswerCancel;
    }
    return kAnswerCancel;
}

}  // namespace

ConsoleUi::ConsoleUi(Console& console, FrameLoop& loop, AnswerBook answers,
                     ConsoleUiSettings settings, update::ElevationService& elevation)
    : console_(console),
      loop_(loop),
      answers_(std::move(answers)),
      settings_(std::move(settings)),
      elevation_(elevation) {}

bool ConsoleUi::CreateWizardScreen(int number, std::optional<int> /*place_over*/) {
    switch (number) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 22:
            screens_.insert(number);
            return true;
        default:
            return false;
    }
}

void ConsoleUi::DestroyWizardScreen(int number) {
    // The controller creates the next screen before it destroys the current one, which may
    // have the same number.
    if (const auto found = screens_.find(number); found != screens_.end()) {
        screens_.erase(found);
    }
}

std::optional<std::pair<bool, bool>> ConsoleUi::WizardFormatAndBackupChoice() {
    if (screens_.count(controller::kScreenOptions) == 0) {
        return std::nullopt;
    }
    return wizard_choice_;
}

std::optional<Answer> ConsoleUi::AskTerminal(Buttons buttons) {
    for (int attempt = 0; attempt < kQuestionAttempts; ++attempt) {
        console_.Prompt(buttons == Buttons::kYesNoCancel ? kPromptYesNoCancel : kPromptYesNo);
        const std::optional<std::string> line = console_.input().ReadLine();
        if (!line) {
            console_.Print("");
            return std::nullopt;
        }
        if (const std::optional<Reply> reply = ParseReply(*line)) {
            return ToAnswer(*reply, buttons);
        }
    }
    return std::nullopt;
}

Answer ConsoleUi::Ask(std::string_view text, std::string_view caption, Buttons buttons) {
    console_.Print(BoxMessage(text, caption));
    if (buttons == Buttons::kOk) {
        return Answer::kOk;
    }
    if (const std::optional<Answer> scripted = answers_.Take(caption, buttons)) {
        console_.Print(std::string(kTextAnswered) + std::string(AnswerWord(*scripted)));
        return *scripted;
    }
    if (console_.input().interactive()) {
        if (const std::optional<Answer> typed = AskTerminal(buttons)) {
            return *typed;
        }
    }
    // Nobody can answer: the answer that changes nothing.
    const Answer safe = buttons == Buttons::kYesNoCancel || buttons == Buttons::kOkCancel
                            ? Answer::kCancel
                            : Answer::kNo;
    console_.Print(std::string(kTextNoAnswer) + std::string(AnswerWord(safe)));
    return safe;
}

Answer ConsoleUi::MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                             controller::Icon /*icon*/, controller::Owner /*owner*/) {
    return Ask(text, caption, buttons);
}

controller::FrameUi::UpdateOutcome ConsoleUi::RunSelfUpdateDialog(
    const update::UpdateSetup& setup) {
    if (settings_.status_only || settings_.skip_self_update) {
        return UpdateOutcome::kContinue;
    }
    return RunConsoleSelfUpdate(setup, console_, elevation_);
}

bool ConsoleUi::RunSignInDialog() {
    app::AppSettings& stored = frame_->state().settings;
    const std::string brand =
        settings_.brand.value_or(stored.company.empty() ? std::string("OV") : stored.company);
    std::optional<std::string> password = settings_.password;
    std::string typed_user = settings_.user.value_or(stored.user_id);
    if (typed_user.empty() && console_.input().interactive()) {
        console_.Prompt(kPromptUser);
        typed_user = std::string(platform::TrimText(console_.input().ReadLine().value_or("")));
    }
    if (!password && typed_user == stored.user_id && !stored.password.empty()) {
        password = stored.password;
    }
    if (!password && !typed_user.empty() && console_.input().interactive()) {
        console_.Prompt(kPromptPassword);
        password = console_.input().ReadSecret();
    }
    if (typed_user.empty() || !password) {
        console_.Print(kTextNoCredentials);
        return false;
    }
    if (!settings_.save_sign_in) {
        stored.save = 0;
    }
    console_.Print(std::string(kTextSigningIn) + typed_user);
    const int signed_in = frame_->RunSignIn(typed_user, brand, *password);
    console_.EndProgress();
    if (signed_in != 1) {
        console_.Print(std::string(kTextSignInFailed) + frame_->state().sign_in_error);
        return false;
    }
    const std::string& account = frame_->state().account_text;
    console_.Print(std::string(kTextSignedIn) + (account.empty() ? typed_user : account));
    return true;
}

int ConsoleUi::RunNoticeDialog(const std::string& text) {
    console_.Print(std::string(kTextNotice) + text);
    if (settings_.status_only) {
        return 2;
    }
    return Ask(kTextNoticeQuestion, kCaptionNotice, Buttons::kYesNo) == Answer::kYes ? 1 : 2;
}

bool ConsoleUi::RunReconsentDialog() {
    // Consent is the user's to give in the updater's own dialog; the console never gives it.
    if (!settings_.status_only) {
        console_.Print(kTextReconsentDeclined);
    }
    return false;
}

void ConsoleUi::OpenWithDesktop(const std::string& target) {
    console_.Print(std::string(kTextOpen) + target);
}

void ConsoleUi::StartProgram(const std::string& path) {
    console_.Print(std::string(kTextProgramToStart) + path);
}

std::optional<std::string> ConsoleUi::ChooseFolder(const std::string& /*initial*/,
                                                   std::string_view /*title*/) {
    console_.Print(kTextNoFolderChooser);
    return std::nullopt;
}

void ConsoleUi::ProcessPendingMessages() {
    loop_.HoldPending([this](const platform::Message& message) {
        if (message.message == kMsgPackageStepProgress && message.l_param > 0 &&
            console_.terminal()) {
            console_.Progress(std::string(kTextCheckingDevices) + " " +
                              std::to_string(message.w_param) + "/" +
                              std::to_string(message.l_param));
        }
    });
}

void ConsoleUi::SetTimer(int id, int milliseconds) {
    loop_.timers().Set(id, milliseconds, FrameLoop::NowMs());
}

void ConsoleUi::KillTimer(int id) {
    loop_.timers().Kill(id);
}

}  // namespace mapvale::cli
