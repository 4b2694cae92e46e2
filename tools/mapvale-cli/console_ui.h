#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "controller/frame_ui.h"
#include "mapvale-cli/answer_book.h"
#include "mapvale-cli/console.h"
#include "mapvale-cli/frame_loop.h"
#include "update/elevation.h"

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::cli {

// What the console's sign-in and self-update do.
struct ConsoleUiSettings {
    // The status command: no self-update, nothing confirmed.
    bool status_only = false;
    bool skip_self_update = false;
    // Sign-in; unset values come from the stored settings (or the terminal).
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::optional<std::string> brand;
    bool save_sign_in = true;
};

// The controller's front end on a console, playing the wizard's part: the wizard screens are
// only remembered (the console shows the job's progress itself), message boxes are printed and
// their questions answered by the script's answers or on the terminal, the sign-in uses the
// command line's or the stored credentials, the self-update runs with its progress on the
// console, and what the desktop would open is printed instead.
//
// Everything runs on the console's (user-interface) thread, as the controller calls it.
class ConsoleUi final : public controller::FrameUi {
public:
    // Everything given must outlive the front end.
    ConsoleUi(Console& console, FrameLoop& loop, AnswerBook answers, ConsoleUiSettings settings,
              update::ElevationService& elevation);

    // The controller this front end serves; set before its OnCreate.
    void Attach(controller::CMainFrame& frame) { frame_ = &frame; }

    // The check boxes of the wizard's option screen, which the job's start reads.
    void SetWizardChoice(bool format, bool backup) { wizard_choice_ = {format, backup}; }

    // A question of the console itself, answered like the controller's.
    controller::Answer Ask(std::string_view text, std::string_view caption,
                           controller::Buttons buttons);

    // FrameUi.
    bool CreateWizardScreen(int number, std::optional<int> place_over) override;
    void DestroyWizardScreen(int number) override;
    void CreateMainScreen() override {}
    void DestroyMainScreen() override {}
    void EnableStartButton() override {}
    void RefreshLists() override {}
    void RefreshOptions() override {}
    void ShowInstallPage() override {}
    void RepaintProgress() override {}
    void SetStartButtonBitmap(int) override {}
    void NavigateBanner(const std::string&) override {}
    bool TakeSkipQuestionFlag() override { return false; }
    std::optional<std::pair<bool, bool>> WizardFormatAndBackupChoice() override;
    controller::Answer MessageBox(std::string_view text, std::string_view caption,
                                  controller::Buttons buttons, controller::Icon icon,
                                  controller::Owner owner) override;
    UpdateOutcome RunSelfUpdateDialog(const update::UpdateSetup& setup) override;
    bool RunSignInDialog() override;
    int RunNoticeDialog(const std::string& text) override;
    bool RunReconsentDialog() override;
    void OpenWithDesktop(const std::string& target) override;
    void StartProgram(const std::string& path) override;
    std::optional<std::string> ChooseFolder(const std::string& initial,
                                            std::string_view title) override;
    void ProcessPendingMessages() override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;

private:
    // The terminal's answer; nothing at the end of the input or after Ctrl-C.
    std::optional<controller::Answer> AskTerminal(controller::Buttons buttons);

    Console& console_;
    FrameLoop& loop_;
    AnswerBook answers_;
    ConsoleUiSettings settings_;
    update::ElevationService& elevation_;
    controller::CMainFrame* frame_ = nullptr;
    std::multiset<int> screens_;  // the wizard screens that exist
    std::pair<bool, bool> wizard_choice_{true, true};
};

}  // namespace mapvale::cli
