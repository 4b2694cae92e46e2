#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "update/update_job.h"

namespace mapvale::controller {

// Buttons and icons of a message box, with the answers of the Windows message box.
// OK/Cancel answers kOk or kCancel.
enum class Buttons { kOk, kYesNo, kYesNoCancel, kOkCancel };
enum class Icon { kNone, kInformation, kQuestion, kWarning, kError };
enum class Answer { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

// Which screen a message box or dialog belongs to.
enum class Owner { kNone, kCurrentScreen, kMainScreen, kWizardScreen };

// Everything the controller asks of the front end: screens, message boxes, modal dialogs, the
// desktop and timers. The Qt program implements it with windows, the console front end and the
// tests with plain code. Every call comes on the user-interface thread and returns when done.
class FrameUi {
public:
    virtual ~FrameUi() = default;

    // Wizard screens 22, 1, 2, 3, 4: create (placed over `place_over`, the current screen, when
    // there is one; titled, brought to the top, focused) and destroy. False when the number names
    // no screen.
    virtual bool CreateWizardScreen(int number, std::optional<int> place_over) = 0;
    virtual void DestroyWizardScreen(int number) = 0;
    // The main screen with all options.
    virtual void CreateMainScreen() = 0;
    virtual void DestroyMainScreen() = 0;

    // Operations on the screens that exist; each does nothing when its screen does not exist.
    virtual void EnableStartButton() = 0;  // wizard option screen, else the install page
    virtual void RefreshLists() = 0;       // device, drive and content lists
    virtual void RefreshOptions() = 0;     // format and backup choices
    virtual void ShowInstallPage() = 0;    // main screen: install page, tab buttons reset
    virtual void RepaintProgress() = 0;    // main screen's progress area
    virtual void SetStartButtonBitmap(int resource) = 0;      // install page: 377 start, 429 stop
    virtual void NavigateBanner(const std::string& url) = 0;  // main screen's web control
    // Whether the wizard option screen's "do not ask about the hard disk" flag was set; clears it.
    virtual bool TakeSkipQuestionFlag() = 0;
    // The wizard option screen's options are of no use once the PC was found too small.
    virtual void DisableWizardOptions() {}
    // The wizard option screen's check boxes, when that screen exists.
    virtual std::optional<std::pair<bool, bool>> WizardFormatAndBackupChoice() = 0;

    virtual Answer MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                              Icon icon, Owner owner) = 0;

    // Modal dialogs. The self-update dialog runs the check and, when there is something to do,
    // the update (see update/check_decision.h) with `setup` (its window is the dialog's own), and
    // decides itself whether a program folder it cannot write is worth an elevated restart; it
    // answers OK (go on), OK with restart (the update installed files), or Cancel (end).
    enum class UpdateOutcome { kContinue, kRestart, kCancel };
    virtual UpdateOutcome RunSelfUpdateDialog(const update::UpdateSetup& setup) = 0;
    // The sign-in dialog; true when the user signed in (it calls the controller's RunSignIn).
    virtual bool RunSignInDialog() = 0;
    // The notice shown before an install: 1 go ahead, 2 stop, 0 closed.
    virtual int RunNoticeDialog(const std::string& text) = 0;
    // The traffic re-consent dialog; true when confirmed with OK.
    virtual bool RunReconsentDialog() = 0;

    // The desktop: open a folder or page ("open"/"explore"), start a program.
    virtual void OpenWithDesktop(const std::string& target) = 0;
    virtual void StartProgram(const std::string& path) = 0;
    // The folder chooser, starting at `initial`; nothing when cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& initial,
                                                    std::string_view title) = 0;

    // Calls the function `name` of the main screen's map page with integer arguments; 1 when
    // the call was made. Front ends without that page (the terminal) leave it at 0.
    virtual int CallMapPageScript(const std::string& /*name*/,
                                  const std::vector<int>& /*arguments*/) {
        return 0;
    }

    // Lets the front end handle the messages waiting in its queue while a long call (sign-in)
    // runs on its thread.
    virtual void ProcessPendingMessages() {}

    // Timers by id (1 and 2: banner rotation); they arrive as WM_TIMER messages.
    virtual void SetTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;
};

}  // namespace mapvale::controller
