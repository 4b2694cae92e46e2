// The notice window with the update server's notice page, served by the stand-in servers: the
// page sizes its window, starts the updater and closes the window through its three functions.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <chrono>
#include <memory>

#include "model/server_config.h"
#include "platform/process.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "tray/qt/notice/c_ani_window.h"
#include "tray/qt/qt_tray_ui.h"
#include "tray/tray_constants.h"
#include "ui/wait_for.h"
#include "ui/web/web.h"
#include "ui/web/web_test_support.h"

namespace mapvale::tray {
namespace {

using mapvale::testing::RunScript;
using mapvale::testing::ServerProcess;
using mapvale::testing::WaitFor;
using namespace std::chrono_literals;

class NoticeWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        box_ = std::make_unique<mapvale::testing::Sandbox>();
        const std::string world = box_->Path("world");
        platform::LaunchRequest request;
        request.program = ServerProcess::ProgramPath();
        request.arguments = {"world", "--out", world};
        platform::PosixProcessLauncher launcher;
        auto process = launcher.Start(request);
        ASSERT_TRUE(process);
        ASSERT_TRUE(process->Wait(120s));
        ASSERT_EQ(process->ExitCode(), 0);
        server_ =
            std::make_unique<ServerProcess>(std::vector<std::string>{"serve", "--world", world});
        ASSERT_TRUE(server_->ok()) << server_->error();
        const auto servers = ServerConfig::Load(world + "/program/Info/Servers.ini");
        ASSERT_TRUE(servers);
        update_host_ = servers->HostText(ServerConfig::kUpdate);
    }
    static void TearDownTestSuite() {
        server_.reset();
        box_.reset();
    }

    NoticeWindowTest() {
        QtTrayUi::Hooks hooks;
        hooks.start_updater = [this](int mode) { starts.push_back(mode); };
        hooks.make_notice = [](const NoticeRequest& request) -> QWidget* {
            return MakeNoticeWindow(request);
        };
        ui = std::make_unique<QtTrayUi>(std::move(hooks));
    }

    // The window of the agent's notice, once its page is there.
    CAniWindow* ShowNotice(const std::string& url) {
        ui->ShowNoticeWindow(url, kNoticeTitle);
        if (ui->notice_windows().isEmpty()) {
            return nullptr;
        }
        auto* window = qobject_cast<CAniWindow*>(ui->notice_windows().back());
        if (window != nullptr) {
            WaitFor([&] { return window->isVisible(); }, 30000);
        }
        return window;
    }

    static std::unique_ptr<mapvale::testing::Sandbox> box_;
    static std::unique_ptr<ServerProcess> server_;
    static std::string update_host_;
    std::vector<int> starts;
    std::unique_ptr<QtTrayUi> ui;
};

std::unique_ptr<mapvale::testing::Sandbox> NoticeWindowTest::box_;
std::unique_ptr<ServerProcess> NoticeWindowTest::server_;
std::string NoticeWindowTest::update_host_;

TEST_F(NoticeWindowTest, ThePageSizesItsWindowStartsTheUpdaterAndClosesIt) {
    ASSERT_FALSE(update_host_.empty());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    CAniWindow* window = ShowNotice("http://" + update_host_ + std::string(kNoticePagePath));
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orvin Dalmar Waymark+ 알림"));
    EXPECT_EQ(window->browser()->objectName(), QStringLiteral("1002"));

    // The page asks for 420 x 260 when it loads; the window moves by its size before that.
    ASSERT_TRUE(WaitFor([&] { return window->size() == QSize(420, 260); }, 20000));
    EXPECT_EQ(window->pos(), QPoint(screen.x() + screen.width() / 2 - 243,
                                    screen.y() + screen.height() / 2 - 175));
    EXPECT_EQ(window->browser()->geometry(), QRect(0, 0, 420, 260));

    // A zero width or height leaves it as it is.
    RunScript(*window->browser(), QStringLiteral("window.external.__WindowSize(0, 300)"));
    RunScript(*window->browser(), QStringLiteral("window.external.__WindowSize(300, 0)"));
    RunScript(*window->browser(), QStringLiteral("window.external.__WindowSize(300, 200)"));
    ASSERT_TRUE(WaitFor([&] { return window->size() == QSize(300, 200); }, 20000));

    // Its button starts the updater with "-SYSTRAY" and closes the window.
    QPointer<CAniWindow> watched(window);
    RunScript(*window->browser(), QStringLiteral("document.getElementById('update').click()"));
    ASSERT_TRUE(WaitFor([&] { return watched.isNull(); }, 20000));
    EXPECT_EQ(starts, std::vector<int>{kModeSystray});
    EXPECT_TRUE(ui->notice_windows().isEmpty());
}

TEST_F(NoticeWindowTest, TheProgramsModuleMakesTheWindowWhenTheFirstNoticeComes) {
    const QString folder = QString::fromLocal8Bit(std::getenv("MAPVALE_PROGRAM_DIR"));
    QtTrayUi::Hooks hooks;
    hooks.start_updater = [this](int mode) { starts.push_back(mode); };
    hooks.make_notice = ModuleNoticeWindowMaker(folder + QStringLiteral("/missing.so"));
    {
        // No module: no window, and the agent goes on.
        QtTrayUi without(std::move(hooks));
        without.ShowNoticeWindow("http://" + update_host_ + std::string(kNoticePagePath),
                                 kNoticeTitle);
        EXPECT_TRUE(without.notice_windows().isEmpty());
    }

    // The module keeps its pages' data where the program would: here, in the sandbox.
    const QByteArray data_home = qgetenv("XDG_DATA_HOME");
    const QByteArray cache_home = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(box_->Path("xdg-data")));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(box_->Path("xdg-cache")));
    hooks.start_updater = [this](int mode) { starts.push_back(mode); };
    hooks.make_notice =
        ModuleNoticeWindowMaker(folder + QLatin1Char('/') + QLatin1String(kNoticeModuleName));
    QtTrayUi with(std::move(hooks));
    with.ShowNoticeWindow("http://" + update_host_ + std::string(kNoticePagePath), kNoticeTitle);
    ASSERT_EQ(with.notice_windows().size(), 1);
    QPointer<QWidget> window(with.notice_windows().front());
    ASSERT_TRUE(WaitFor(
        [&] { return window && window->isVisible() && window->size() == QSize(420, 260); }, 30000));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orvin Dalmar Waymark+ 알림"));
    const auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    };
    restore("XDG_DATA_HOME", data_home);
    restore("XDG_CACHE_HOME", cache_home);
}

TEST_F(NoticeWindowTest, AWindowWithoutAPageStaysHidden) {
    NoticeRequest request;
    request.title = QString::fromUtf8(kNoticeTitle.data(), kNoticeTitle.size());
    std::unique_ptr<CAniWindow> window(MakeNoticeWindow(request));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(243, 175));
    EXPECT_EQ(window->browser()->geometry(), QRect(10, 11, 222, 151));
}

}  // namespace
}  // namespace mapvale::tray
