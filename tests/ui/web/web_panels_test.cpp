#include "ui/web/web_panels.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <memory>

#include "app/text_scrambler.h"
#include "model/script_functions.h"
#include "model/server_config.h"
#include "platform/process.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "ui/wait_for.h"
#include "ui/web/c_notidlg.h"
#include "ui/web/dlg_alert.h"
#include "ui/web/notice_dialog.h"
#include "ui/web/page_script.h"
#include "ui/web/panel_addresses.h"
#include "ui/web/web.h"
#include "ui/web/web_test_support.h"
#include "ui/when_modal_opens.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::LoggedRequest;
using mapvale::testing::ReadRequestLog;
using mapvale::testing::RunScript;
using mapvale::testing::ServerProcess;
using mapvale::testing::WaitFor;
using mapvale::testing::WaitForScript;
using mapvale::testing::WhenModalOpens;
using namespace std::chrono_literals;

// The panels against a served world; window.external answers the world's pages.
class WebPanelsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        box_ = std::make_unique<mapvale::testing::Sandbox>();
        world_ = box_->Path("world");
        platform::LaunchRequest request;
        request.program = ServerProcess::ProgramPath();
        request.arguments = {"world", "--out", world_};
        platform::PosixProcessLauncher launcher;
        auto process = launcher.Start(request);
        ASSERT_TRUE(process);
        ASSERT_TRUE(process->Wait(120s));
        ASSERT_EQ(process->ExitCode(), 0);
        server_ =
            std::make_unique<ServerProcess>(std::vector<std::string>{"serve", "--world", world_});
        ASSERT_TRUE(server_->ok()) << server_->error();
        auto config = ServerConfig::Load(world_ + "/program/Info/Servers.ini");
        ASSERT_TRUE(config);
        servers_ = *config;
        functions_ = std::make_unique<ScriptFunctionList>();
        AddNoticeFunctions(*functions_);
        WebEnvironment environment;
        environment.functions = functions_.get();
        environment.trusted_hosts = {QString::fromStdString(server_->address())};
        SetWebEnvironment(environment);
    }
    static void TearDownTestSuite() {
        SetWebEnvironment(WebEnvironment{});
        server_.reset();
        functions_.reset();
        box_.reset();
    }

    // Requests of the world's log whose path is `path`, once a request for `last` was logged
    // (requests are logged when answered, so a later one proves the earlier ones are in).
    static std::vector<LoggedRequest> Logged(const std::string& path, const std::string& last) {
        std::vector<LoggedRequest> found;
        WaitFor(
            [&] {
                const auto log = ReadRequestLog(world_ + "/requests.log");
                return std::any_of(log.begin(), log.end(),
                                   [&](const LoggedRequest& r) { return r.path == last; });
            },
            20000);
        for (const LoggedRequest& logged : ReadRequestLog(world_ + "/requests.log")) {
            if (logged.path == path) {
                found.push_back(logged);
            }
        }
        return found;
    }
    static QString D1(CWeb& web) {
        WaitForScript(web, "document.getElementById('d1')", 20000);
        return RunScript(web, "document.getElementById('d1').textContent").toString();
    }

    static std::unique_ptr<mapvale::testing::Sandbox> box_;
    static std::string world_;
    static std::unique_ptr<ServerProcess> server_;
    static ServerConfig servers_;
    static std::unique_ptr<ScriptFunctionList> functions_;
};

std::unique_ptr<mapvale::testing::Sandbox> WebPanelsTest::box_;
std::string WebPanelsTest::world_;
std::unique_ptr<ServerProcess> WebPanelsTest::server_;
ServerConfig WebPanelsTest::servers_;
std::unique_ptr<ScriptFunctionList> WebPanelsTest::functions_;

constexpr char kOrlaPage[] = "/WMKproduct/addition_service/index.mms";
constexpr char kTarnoPage[] = "/WMKproduct/serviceM/index.mms";
constexpr char kMapPage[] = "/Scripts/WithMap.aspx";
constexpr char kNoticeBoard[] = "/AVNproduct/support/notice/ ";

TEST_F(WebPanelsTest, PortalsAndMapShowTheirD1AndActivateNavigatesOnce) {
    CDlgEtc orla(nullptr, servers_, "hong");
    orla.Activate();
    orla.Activate();  // already the shown panel: not navigated again
    EXPECT_EQ(orla.browser()->objectName(), "1000");
    EXPECT_EQ(orla.browser()->size(), QSize(800, 400));
    EXPECT_EQ(D1(*orla.browser()), QString::fromStdString(app::ScrambleText("hong")));

    CDlgEtcTarno tarno(nullptr, servers_, "kim");
    tarno.Activate();
    EXPECT_EQ(D1(*tarno.browser()), QString::fromStdString(app::ScrambleText("kim")));

    CDlgMap map(nullptr, servers_, "H");
    map.Activate();
    EXPECT_EQ(D1(*map.browser()), "H");
    EXPECT_EQ(map.browser()->objectName(), "1027");
    // The browser follows the panel's size.
    map.resize(900, 400);
    EXPECT_EQ(map.browser()->size(), QSize(900, 400));
    EXPECT_EQ(CallPageScript(map.browser(), "setCenter", {37.5, 127}), 1);
    EXPECT_TRUE(WaitForScript(*map.browser(), "window.mapCalls[0] === 'setCenter(37.5,127)'"));

    const auto orla_requests = Logged(kOrlaPage, kMapPage);
    ASSERT_EQ(orla_requests.size(), 1u);
    EXPECT_EQ(orla_requests[0].Parameter("D1"), app::ScrambleText("hong"));
    EXPECT_EQ(Logged(kTarnoPage, kMapPage).size(), 1u);

    orla.hide();
    orla.Activate();  // shown again after another panel: navigated again
    EXPECT_TRUE(WaitFor([] { return Logged(kOrlaPage, kOrlaPage).size() == 2u; }, 20000));
}

TEST_F(WebPanelsTest, NoticeBoardNavigatesOnlyWithItsFlagToThePathWithTheBlank) {
    EXPECT_EQ(NoticeBoardAddress(servers_),
              "http://" + server_->address() + "/AVNproduct/support/notice/%20");
    const QString address = QString::fromStdString(NoticeBoardAddress(servers_));
    {
        CCNotidlg quiet(nullptr, address);
        quiet.show();
        EXPECT_EQ(quiet.size(), QSize(900, 800));
        EXPECT_EQ(quiet.browser()->size(), QSize(900, 1200));
    }
    CCNotidlg board(nullptr, address);
    board.SetShowNotice(true);
    board.show();
    EXPECT_TRUE(WaitForScript(*board.browser(), "document.getElementById('notices')", 20000));
    EXPECT_EQ(Logged(kNoticeBoard, kNoticeBoard).size(), 1u);
}

TEST_F(WebPanelsTest, NoticeDialogAnswersStartStopOrClosed) {
    const QString notice =
        QString::fromStdString(server_->Url("/orla/Waymark/InstallInfoPlus/notice.html"));
    QSize client;
    auto press = [&](const char* button) {
        return WhenModalOpens<CDlgAlert>([&client, button](CDlgAlert* dialog) {
            client = dialog->size();
            WaitForScript(*dialog->browser(),
                          QStringLiteral("document.getElementById('%1')").arg(button), 20000);
            RunScript(*dialog->browser(),
                      QStringLiteral("document.getElementById('%1').click()").arg(button));
        });
    };
    {
        auto watch = press("start");
        EXPECT_EQ(RunNoticeDialog(nullptr, notice), 1);
    }
    EXPECT_EQ(client, QSize(296, 296));
    {
        auto watch = press("stop");
        EXPECT_EQ(RunNoticeDialog(nullptr, notice), 2);
    }
    {
        // The user closes the window.
        auto watch = WhenModalOpens<CDlgAlert>([](CDlgAlert* dialog) { dialog->close(); });
        EXPECT_EQ(RunNoticeDialog(nullptr, notice), 0);
    }
    // Without an open notice the page's answer does nothing.
    EXPECT_EQ(AnswerNoticeDialog(1), 0);
}

}  // namespace
}  // namespace mapvale::ui
