#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QWebEngineView>
#include <QString>
#include <QTimer>
#include <functional>

#include "controller/frame_ui.h"
#include "ui/frame_pump.h"
#include "ui/screen_registry.h"
#include "ui/screen_window.h"
#include "update/elevation.h"

namespace mapvale::ui {

// The controller's windowed front end: screens from the registry, the skin's message boxes,
// Qt's folder chooser, the desktop and the window timers. Every call that waits (a box, a
// dialog, the chooser, letting events through during a sign-in) holds the pump, so the
// controller is never handed a message while it is inside one of its own calls.
//
// Screens the controller destroys are hidden at once and deleted later, from the main loop and
// only while no modal window is open: a screen may be destroyed from inside its own button's
// signal, or while a box it owns is open.
class QtFrameUi final : public QObject, public controller::FrameUi {
    Q_OBJECT

public:
    static inline const QString kProgramTitle = QStringLiteral("TSKN_Waymark+");

    QtFrameUi(FramePump& pump, ScreenRegistry registry);
    ~QtFrameUi() override;

    void Attach(controller::CMainFrame& frame) { frame_ = &frame; }

    // The desktop as the program reaches it; tests record instead of opening anything.
    void SetDesktop(std::function<void(const std::string&)> open,
                    std::function<void(const std::string&)> start);
    // How the self-update learns whether it may write and restarts with more rights (null:
    // pkexec). Must outlive this object.
    void SetElevation(update::ElevationService* elevation) { elevation_ = elevation; }
    // Qt's own folder chooser instead of the desktop's (tests drive it).
    void UseQtFolderChooser(bool on) { qt_folder_chooser_ = on; }

    // The program is ending (a logout, SIGTERM): open boxes and dialogs close as cancelled and
    // later ones answer at once as cancelled.
    void BeginEnding();
    bool Ending() const { return ending_; }

    // The sign-in screen in change-user mode (the main screen's way to another account): true
    // when someone signed in.
    bool RunChangeUserDialog();

    // The screens now (null when none).
    ScreenWindow* WizardScreen(int number) const;
    ScreenWindow* CurrentWizardScreen() const;
    ScreenWindow* MainScreen() const { return main_screen_.data(); }
    // Hidden screens still waiting for deletion.
    int RetiredCount() const { return static_cast<int>(retired_.size()); }

    // --- FrameUi ---
    bool CreateWizardScreen(int number, std::optional<int> place_over) override;
    void DestroyWizardScreen(int number) override;
    void CreateMainScreen() override;
    void DestroyMainScreen() override;
    void EnableStartButton() override;
    void RefreshLists() override;
    void RefreshOptions() override;
    void ShowInstallPage() override;
    void RepaintProgress() override;
    void SetStartButtonBitmap(int resource) override;
    void NavigateBanner(const std::string& url) override;
    bool TakeSkipQuestionFlag() override;
    void DisableWizardOptions() override;
    std::optional<std::pair<bool, bool>> WizardFormatAndBackupChoice() override;
    controller::Answer MessageBox(std::string_view text, std::string_view caption,
                                  controller::Buttons buttons, controller::Icon icon,
                                  controller::Owner owner) override;
    UpdateOutcome RunSelfUpdateDialog(const update::UpdateSetup& setup) override;
    bool RunSignInDialog() override;
    int RunNoticeDialog(const std::string& text) override;
    bool RunReconsentDialog() override;
    void OpenWithDesktop(const std::string& target) override;
    int CallMapPageScript(const std::string& name, const std::vector<int>& arguments) override;
    // The browser of the main screen's map panel, which CallMapPageScript calls (the main
    // screen names it when it makes the panel; null: none).
    void SetMapPanel(QWebEngineView* browser) { map_panel_ = browser; }
    void StartProgram(const std::string& path) override;
    std::optional<std::string> ChooseFolder(const std::string& initial,
                                            std::string_view title) override;
    void ProcessPendingMessages() override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;

private:
    bool RunLoginDialog(bool start_up);
    QList<ScreenWindow*> Screens() const;
    QWidget* OwnerWindow(controller::Owner owner) const;
    void Present(ScreenWindow* screen, const QWidget* replaced);
    void Retire(ScreenWindow* screen);
    void DeleteRetired();

    FramePump& pump_;
    ScreenRegistry registry_;
    controller::CMainFrame* frame_ = nullptr;
    QMap<int, QPointer<ScreenWindow>> wizard_screens_;
    QMap<int, QPointer<ScreenWindow>> superseded_;
    int current_wizard_ = 0;
    QPointer<ScreenWindow> main_screen_;
    QPointer<QWebEngineView> map_panel_;
    QList<QPointer<ScreenWindow>> retired_;
    QTimer retire_timer_;
    std::function<void(const std::string&)> open_;
    std::function<void(const std::string&)> start_;
    bool qt_folder_chooser_ = false;
    update::ElevationService* elevation_ = nullptr;
    bool ending_ = false;
};

}  // namespace mapvale::ui
