#include "ui/vidaz_app.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "app/constants.h"
#include "app/startup.h"
#include "app/uninstall_repair.h"
#include "controller/main_frame.h"
#include "model/messages.h"
#include "ui/automation_server.h"
#include "ui/automation_state.h"
#include "ui/dlg_main.h"
#include "ui/dlg_picroute.h"
#include "ui/frame_pump.h"
#include "ui/qt_frame_ui.h"
#include "ui/termination_signals.h"
#include "ui/web/program_functions.h"
#include "ui/web/web_environment.h"

namespace mapvale::ui {

CVidazApp::CVidazApp(std::vector<std::string> arguments, AppServices services)
    : arguments_(std::move(arguments)),
      services_(std::move(services)),
      pump_(std::make_unique<FramePump>()),
      ui_(std::make_unique<QtFrameUi>(*pump_, services_.screens)) {
    if (services_.open_with_desktop || services_.start_program) {
        ui_->SetDesktop(services_.open_with_desktop, services_.start_program);
    }
    ui_->UseQtFolderChooser(services_.qt_folder_chooser);
}

CVidazApp::~CVidazApp() {
    // The photo dialog works on the controller: it goes first.
    delete photo_dialog();
    if (frame_) {
        frame_->Destroy();
    }
    frame_.reset();
    automation_.reset();
    ui_.reset();
    // The browsers' environment points at this object's functions: later browsers get none.
    SetWebEnvironment(WebEnvironment{});
}

void CVidazApp::ChooseDisplayPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

QSize CVidazApp::ScreenSize() const {
    if (services_.screen_size) {
        return services_.screen_size();
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize();
}

std::optional<int> CVidazApp::InitInstance() {
    // Between two screens no window exists; that is not the end of the program.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    platform::Sleeper& sleeper =
        services_.sleeper != nullptr ? *services_.sleeper : platform::DefaultSleeper();
    auto already_running = [this] {
        ui_->MessageBox(app::kTextAlreadyRunning, "", controller::Buttons::kOk,
                        controller::Icon::kNone, controller::Owner::kNone);
        return 0;
    };
    if (!app::WaitForPreviousInstance(*services_.instances, sleeper)) {
        return already_running();
    }
    // Published before anything slow, so the tray agent sees the updater as soon as it runs.
    FramePump* pump = pump_.get();
    endpoint_ = services_.instances->Publish(std::string(app::kFrameClassName),
                                             [pump] { pump->Post(kWmClose, 0, 0); });
    if (!endpoint_) {
        return already_running();
    }
    // Listening from here on reaches every window of the start-up, the self-update first; a
    // second instance never takes the path from the one that runs.
    automation_ =
        AutomationServer::FromEnvironment([this] { return DescribeFrameState(frame_.get()); });

    app::RepairUninstallEntry(*services_.store, services_.program_files_folder,
                              services_.installer_script);
    MakeScriptFunctions();

    const QSize screen = ScreenSize();
    if (screen.width() < 800 || screen.height() < 600) {
        ui_->MessageBox(app::kTextScreenTooSmall, "", controller::Buttons::kOk,
                        controller::Icon::kNone, controller::Owner::kNone);
        return 0;
    }

    controller::FrameServices frame_services = services_.frame;
    frame_services.arguments = arguments_;
    frame_ = std::make_unique<controller::CMainFrame>(*ui_, *pump_, std::move(frame_services));
    ui_->Attach(*frame_);
    SetUpBrowsers();
    controller::CMainFrame* frame = frame_.get();
    pump_->SetHandler([frame](const platform::Message& message) {
        frame->HandleMessage(message.message, message.w_param, message.l_param);
        if (frame->closed()) {
            QCoreApplication::exit(0);
        }
    });

    signals_ = std::make_unique<TerminationSignals>();
    QObject::connect(signals_.get(), &TerminationSignals::terminationRequested,
                     [this] { RequestEnd(); });

    frame_->OnCreate();
    return std::nullopt;
}

int CVidazApp::Exec() {
    if (!frame_) {
        return 0;
    }
    if (!frame_->closed() && !ending_) {
        QApplication::exec();
    }
    pump_->SetHandler(nullptr);
    delete photo_dialog();
    frame_->Destroy();
    return 0;
}

int CVidazApp::Run() {
    if (const std::optional<int> ended = InitInstance()) {
        return *ended;
    }
    return Exec();
}

void CVidazApp::RequestEnd() {
    ending_ = true;
    ui_->BeginEnding();
    QCoreApplication::exit(0);
}

void CVidazApp::MakeScriptFunctions() {
    if (!functions_.functions().empty()) {
        return;
    }
    UpdaterScriptHandlers handlers;
    handlers.theme_download = [this](const std::vector<ScriptValue>& arguments) {
        return frame_ ? frame_->DownloadTheme(arguments) : 0;
    };
    handlers.download_picroute = [this](const std::vector<ScriptValue>& arguments) {
        return frame_ ? frame_->DownloadPicroute(arguments) : 0;
    };
    handlers.set_coord = [this](int longitude, int latitude) {
        if (CDlgPicroute* dialog = photo_dialog()) {
            dialog->SetCoord(longitude, latitude);
        }
    };
    // The map page lives in the main screen, which holds the dialog.
    handlers.photo_dialog_open = [this] {
        if (auto* main = qobject_cast<CDlgMain*>(ui_ ? ui_->MainScreen() : nullptr)) {
            main->OpenPhotoDialog();
        }
    };
    handlers.notice_answer = [this](int answer) {
        if (frame_) {
            frame_->AnswerNotice(answer);
        }
    };
    functions_ = UpdaterScriptFunctions(std::move(handlers));
}

void CVidazApp::SetUpBrowsers() {
    WebEnvironment environment;
    environment.functions = &functions_;
    const std::string& program_folder = services_.frame.folder_defaults.program_folder;
    environment.program_folder = QString::fromStdString(program_folder);
    // Pages of the configured servers and of the program folder may call the functions.
    if (const std::optional<ServerConfig> servers =
            ServerConfig::Load(program_folder + "Info/Servers.ini")) {
        for (const std::string& host : servers->HostTexts()) {
            environment.trusted_hosts.append(QString::fromStdString(host));
        }
    }
    if (services_.open_with_desktop) {
        environment.open_external = [open = services_.open_with_desktop](const QUrl& url) {
            open(url.toString().toStdString());
        };
    }
    SetWebEnvironment(std::move(environment));
}

CDlgPicroute* CVidazApp::photo_dialog() const {
    const auto* main = qobject_cast<const CDlgMain*>(ui_ ? ui_->MainScreen() : nullptr);
    return main != nullptr ? main->PhotoDialog() : nullptr;
}

}  // namespace mapvale::ui
