#include "tray/tray_app.h"

#include "model/messages.h"
#include "platform/text.h"
#include "tray/tray_constants.h"

namespace mapvale::tray {

TraySwitch ReadTraySwitch(const std::vector<std::string>& arguments) {
    if (!arguments.empty() && arguments.front() == "-UPDATE") {
        return TraySwitch::kReplace;
    }
    // The framework's parser reads flags anywhere on the line, '/' or '-' first, without case.
    for (const std::string& argument : arguments) {
        if (argument.size() < 2 || (argument.front() != '/' && argument.front() != '-')) {
            continue;
        }
        const std::string flag = platform::AsciiLower(std::string_view(argument).substr(1));
        if (flag == "register" || flag == "regserver") {
            return TraySwitch::kRegister;
        }
        if (flag == "unregister" || flag == "unregserver") {
            return TraySwitch::kUnregister;
        }
    }
    return TraySwitch::kNormal;
}

TSKN_CRozavIzivApp::TSKN_CRozavIzivApp(TrayServices services)
    : services_(std::move(services)),
      instances_(InstancesOf(services_)),
      clock_(services_.clock != nullptr ? *services_.clock : platform::DefaultClock()),
      sleeper_(services_.sleeper != nullptr ? *services_.sleeper : platform::DefaultSleeper()) {}

TSKN_CRozavIzivApp::~TSKN_CRozavIzivApp() {
    ExitInstance();
}

bool TSKN_CRozavIzivApp::InitInstance(platform::MessageTarget& window) {
    const TraySwitch command = ReadTraySwitch(services_.arguments);
    if (command == TraySwitch::kRegister || command == TraySwitch::kUnregister) {
        return false;
    }
    if (TakeOver(window)) {
        return true;
    }
    if (command != TraySwitch::kReplace) {
        return false;
    }
    instances_.RequestClose(std::string(kTrayName));
    // Measured on the clock, not counted in polls: a try may itself take a while when the old
    // agent hangs.
    const std::uint64_t asked = clock_.TickCount();
    do {
        sleeper_.Sleep(kReplacePoll);
        if (TakeOver(window)) {
            restart_flag_ = true;
            return true;
        }
    } while (clock_.TickCount() - asked < static_cast<std::uint64_t>(kReplaceWaitLimit.count()));
    return false;
}

bool TSKN_CRozavIzivApp::TakeOver(platform::MessageTarget& window) {
    const std::string name(kTrayName);
    if (!lock_) {
        lock_ = platform::NamedLock::TryAcquire(name, services_.lock_folder);
        if (!lock_) {
            return false;
        }
    }
    endpoint_ = instances_.Publish(name, [&window] { window.Post(kWmClose, 0, 0); });
    return endpoint_ != nullptr;
}

void TSKN_CRozavIzivApp::ExitInstance() {
    endpoint_.reset();
    lock_.reset();
}

}  // namespace mapvale::tray
