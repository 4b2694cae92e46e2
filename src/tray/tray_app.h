#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/instance.h"
#include "platform/message_target.h"
#include "tray/tray_services.h"

namespace mapvale::tray {

// What the command line asks of the agent.
enum class TraySwitch {
    kNormal,      // no argument, an unknown one, or the embedding/automation switches
    kReplace,     // "-UPDATE" (first argument, exact)
    kRegister,    // the register switches ("/Register", "-RegServer", any case): nothing to do
    kUnregister,  // the unregister switches: nothing to do
};
TraySwitch ReadTraySwitch(const std::vector<std::string>& arguments);

// The application object: the start-up that decides whether this process becomes the agent.
//
// Linux has no automation server: the embedding and automation switches start normally, the
// register and unregister switches end at once with status 0.
//
// Thread safety: the user-interface thread, except the endpoint's close request, which only
// posts WM_CLOSE to the window.
class TSKN_CRozavIzivApp {
public:
    // `services` as for the window; settings may be null here.
    explicit TSKN_CRozavIzivApp(TrayServices services);
    ~TSKN_CRozavIzivApp();
    TSKN_CRozavIzivApp(const TSKN_CRozavIzivApp&) = delete;
    TSKN_CRozavIzivApp& operator=(const TSKN_CRozavIzivApp&) = delete;

    // Takes the mutex "MapvaleTray" and publishes the endpoint "MapvaleTray", whose close request
    // posts WM_CLOSE to `window` (the main window's queue, which must outlive this object).
    // True: this process is the agent (the window is made next). False: the program ends at once
    // with status 0 and no message: a register switch, another agent running and no "-UPDATE",
    // or, with "-UPDATE", an agent that still holds the mutex or the endpoint 10 s after it was
    // asked to close.
    //
    // With "-UPDATE" while another agent runs, that agent is asked to close and the mutex and the
    // endpoint are tried every 100 ms until both are this process's, so that it is the one agent
    // from then on (a later plain start finds it); the restart flag is then set.
    bool InitInstance(platform::MessageTarget& window);

    // Set when this process replaced a running agent; the first drive report clears it.
    bool& restart_flag() { return restart_flag_; }

    // Lets go of the endpoint and the mutex (program end). Also done by the destructor.
    void ExitInstance();

private:
    bool TakeOver(platform::MessageTarget& window);

    TrayServices services_;
    platform::InstanceService& instances_;
    platform::Clock& clock_;
    platform::Sleeper& sleeper_;
    std::unique_ptr<platform::NamedLock> lock_;
    std::unique_ptr<platform::InstanceEndpoint> endpoint_;
    bool restart_flag_ = false;
};

}  // namespace mapvale::tray
