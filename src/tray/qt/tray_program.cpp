#include "tray/qt/tray_program.h"

#include <unistd.h>

#include <QApplication>
#include <cstdlib>

#include "tray/qt/qt_tray_ui.h"
#include "tray/qt/tray_message_pump.h"
#include "tray/tray_agent.h"
#include "tray/tray_app.h"

namespace mapvale::tray {

void PrepareTrayProcess() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // The engine reads these when it loads, long after start-up; the updater sets the same.
    if (::geteuid() == 0 && std::getenv("QTWEBENGINE_DISABLE_SANDBOX") == nullptr) {
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

int RunTrayAgent(TrayServices services, NoticeWindowMaker make_notice) {
    // The agent never has a main window: closing a popup or a notice is not the end.
    QApplication::setQuitOnLastWindowClosed(false);

    TrayMessagePump pump;
    TSKN_CRozavIzivApp application(services);
    if (!application.InitInstance(pump)) {
        return 0;
    }
    std::unique_ptr<TSKN_CRozavIzivDlg> window;
    const auto deliver = [&window](std::uint32_t message, platform::WParam w_param,
                                   platform::LParam l_param) {
        if (window) {
            window->HandleMessage(message, w_param, l_param);
        }
    };
    QtTrayUi::Hooks hooks;
    hooks.deliver = deliver;
    hooks.start_updater = [&window](int mode) {
        if (window) {
            window->StartUpdater(mode);
        }
    };
    hooks.make_notice = std::move(make_notice);
    QtTrayUi ui(std::move(hooks));
    window = std::make_unique<TSKN_CRozavIzivDlg>(ui, pump, std::move(services),
                                                  application.restart_flag());
    window->OnInitDialog();
    pump.SetHandler([&deliver](const platform::Message& message) {
        deliver(message.message, message.w_param, message.l_param);
    });
    if (!window->closed()) {
        QApplication::exec();
    }
    pump.SetHandler({});
    window.reset();
    application.ExitInstance();
    return 0;
}

}  // namespace mapvale::tray
