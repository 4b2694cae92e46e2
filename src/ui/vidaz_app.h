#pragma once

#include <QSize>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controller/frame_services.h"
#include "model/script_functions.h"
#include "platform/clock.h"
#include "platform/instance.h"
#include "platform/settings_store.h"
#include "ui/screen_registry.h"

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::ui {

class AutomationServer;
class CDlgPicroute;
class FramePump;
class QtFrameUi;
class TerminationSignals;

// What the windowed updater's start-up works with; tests substitute their own.
struct AppServices {
    platform::SettingsStore* store = nullptr;        // required: settings and the uninstall entry
    controller::FrameServices frame;                 // profile required; arguments are the app's
    platform::InstanceService* instances = nullptr;  // required
    platform::Sleeper* sleeper = nullptr;            // null: real time
    // The primary screen's size in logical pixels; null: asks Qt.
    std::function<QSize()> screen_size;
    ScreenRegistry screens = ScreenRegistry::Standard();
    // Installer data for the one-time uninstall repair.
    std::string program_files_folder;
    std::string installer_script;
    // The desktop (null: the real one) and Qt's own folder chooser (tests).
    std::function<void(const std::string&)> open_with_desktop;
    std::function<void(const std::string&)> start_program;
    bool qt_folder_chooser = false;
};

// The windowed updater's application: single instance, the one-time uninstall repair, the
// functions web pages may call, the screen size check, then the controller with its Qt front
// end until it closes. The QApplication must exist.
class CVidazApp {
public:
    CVidazApp(std::vector<std::string> arguments, AppServices services);
    ~CVidazApp();

    // Before the QApplication exists: in a Wayland session that also offers X (DISPLAY), use X
    // unless the user chose a platform; placing, dragging and centring windows need positions.
    static void ChooseDisplayPlatform();
    CVidazApp(const CVidazApp&) = delete;
    CVidazApp& operator=(const CVidazApp&) = delete;

    // Everything up to the controller's start-up (OnCreate). Nothing when the program goes on
    // to its loop; the exit status when it ends here.
    std::optional<int> InitInstance();
    // The loop until the controller closes (or a termination request), then the controller's
    // destruction; the exit status.
    int Exec();
    // InitInstance and Exec.
    int Run();

    // Ends the program as a logout does: open boxes and dialogs close as cancelled, then the
    // controller is destroyed at the top level (settings saved, workers stopped), no question.
    void RequestEnd();

    // The functions web pages may call, in their fixed order.
    const ScriptFunctionList& functions() const { return functions_; }

    FramePump& pump() { return *pump_; }
    QtFrameUi* ui() { return ui_.get(); }
    controller::CMainFrame* frame() { return frame_.get(); }
    // The main screen's photo dialog once a page opened it (null before, and without a main
    // screen).
    CDlgPicroute* photo_dialog() const;

private:
    void MakeScriptFunctions();
    void SetUpBrowsers();
    QSize ScreenSize() const;

    std::vector<std::string> arguments_;
    AppServices services_;
    ScriptFunctionList functions_;
    std::unique_ptr<FramePump> pump_;
    std::unique_ptr<QtFrameUi> ui_;
    std::unique_ptr<platform::InstanceEndpoint> endpoint_;
    std::unique_ptr<controller::CMainFrame> frame_;
    std::unique_ptr<TerminationSignals> signals_;
    std::unique_ptr<AutomationServer> automation_;
    bool ending_ = false;
};

}  // namespace mapvale::ui
