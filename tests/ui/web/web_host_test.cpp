#include "ui/web/web.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWidget>
#include <memory>
#include <vector>

#include "model/script_functions.h"
#include "support/sandbox.h"
#include "ui/wait_for.h"
#include "ui/web/external_bridge.h"
#include "ui/web/page_script.h"
#include "ui/web/script_value.h"
#include "ui/web/web_test_support.h"
#include "ui/when_modal_opens.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::LoadAndWait;
using mapvale::testing::RunScript;
using mapvale::testing::WaitFor;
using mapvale::testing::WaitForScript;
using mapvale::testing::WhenModalOpens;

struct Call {
    QString name;
    std::vector<ScriptValue> arguments;
};

// One browser in a titled window for the whole suite; pages come from a program folder (trusted)
// and from a folder beside it (not trusted).
class WebHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        box_ = std::make_unique<mapvale::testing::Sandbox>();
        functions_ = std::make_unique<ScriptFunctionList>();
        for (const char* name : {"ThemeDownload", "SetCoord", "Echo", "Done"}) {
            functions_->Append(
                {name, [name = QString::fromLatin1(name)](const std::vector<ScriptValue>& a) {
                     calls_.push_back(Call{name, a});
                     return 1;
                 }});
        }
        WebEnvironment environment;
        environment.functions = functions_.get();
        environment.program_folder = QString::fromStdString(box_->Path("program"));
        environment.trusted_hosts = {QStringLiteral("127.0.0.1:1")};
        environment.open_external = [](const QUrl& url) { opened_.push_back(url); };
        const std::string calls_page =
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><script>"
            "window.external.SetCoord(1, 2);"
            "window.external.Echo(undefined, null, 1.5, true, '글자', {a: [1]}, -7,"
            "  'x'.repeat(70000));"
            "window.external.themedownload && window.external.themedownload();"
            "window.probe = [typeof window.external.themedownload,"
            "  String(window.external.SetCoord == true), typeof window.external.Nope];"
            "window.external.SetCoord(3, 4);"
            "</script></head><body>calls</body></html>";
        box_->Write("program/calls.html", calls_page);
        box_->Write("elsewhere/calls.html", calls_page);
        box_->Write("program/flood.html",
                    "<!DOCTYPE html><html><head><script>"
                    "for (var i = 0; i < 3000; ++i) { window.external.Echo(i); }"
                    "window.external.Done();</script></head><body>"
                    "<a id=\"save\" href=\"data:text/plain,abc\" download=\"a.txt\">save</a>"
                    "</body></html>");
        box_->Write("program/done.html",
                    "<!DOCTYPE html><html><head><script>window.external.Done();</script></head>"
                    "<body></body></html>");
        box_->Write("program/page.html",
                    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><script>"
                    "window.keys = []; window.marker = Math.random();"
                    "document.addEventListener('keydown', function (e) {"
                    "  window.keys.push((e.ctrlKey ? 'ctrl+' : '') + e.key.toLowerCase()); });"
                    "function take(a, b) { window.took = [typeof a, a, typeof b, b]; }"
                    "</script></head><body><p>본문</p>"
                    "<a id=\"out\" href=\"http://example.invalid/page\" target=\"_blank\">out</a>"
                    "<input id=\"field\"></body></html>");
        SetWebEnvironment(environment);
        window_ = std::make_unique<QWidget>();
        window_->setWindowTitle(QStringLiteral("알림 창"));
        window_->resize(400, 300);
        web_ = new CWeb(window_.get());
        web_->setGeometry(0, 0, 400, 300);
        window_->show();
    }
    static void TearDownTestSuite() {
        window_.reset();
        SetWebEnvironment(WebEnvironment{});
        functions_.reset();
        box_.reset();
    }
    void SetUp() override {
        calls_.clear();
        opened_.clear();
    }

    static QUrl File(const std::string& relative) {
        return QUrl::fromLocalFile(QString::fromStdString(box_->Path(relative)));
    }
    static QString Script(const QString& expression) {
        return RunScript(*web_, expression).toString();
    }

    static std::unique_ptr<mapvale::testing::Sandbox> box_;
    static std::unique_ptr<ScriptFunctionList> functions_;
    static std::unique_ptr<QWidget> window_;
    static CWeb* web_;
    static std::vector<Call> calls_;
    static std::vector<QUrl> opened_;
};

std::unique_ptr<mapvale::testing::Sandbox> WebHostTest::box_;
std::unique_ptr<ScriptFunctionList> WebHostTest::functions_;
std::unique_ptr<QWidget> WebHostTest::window_;
CWeb* WebHostTest::web_ = nullptr;
std::vector<Call> WebHostTest::calls_;
std::vector<QUrl> WebHostTest::opened_;

TEST_F(WebHostTest, ExternalAnswersRegisteredNamesInOrderWithArgumentsLastFirst) {
    ASSERT_TRUE(LoadAndWait(*web_, File("program/calls.html")));
    ASSERT_TRUE(WaitFor([] { return calls_.size() >= 3; }, 20000));
    ASSERT_EQ(calls_.size(), 3u);
    // Made while the page was still loading, before the channel was up: all arrive, in order.
    EXPECT_EQ(calls_[0].name, "SetCoord");
    EXPECT_EQ(calls_[0].arguments, (std::vector<ScriptValue>{std::int64_t{2}, std::int64_t{1}}));
    EXPECT_EQ(calls_[1].name, "Echo");
    const std::vector<ScriptValue>& echo = calls_[1].arguments;
    ASSERT_EQ(echo.size(), 8u);
    EXPECT_EQ(QString::fromStdString(std::get<std::string>(echo[0])).size(), kMaxScriptText);
    EXPECT_EQ(echo[1], ScriptValue(std::int64_t{-7}));
    EXPECT_EQ(echo[2], ScriptValue(std::string("{\"a\":[1]}")));
    EXPECT_EQ(echo[3], ScriptValue(std::string("글자")));
    EXPECT_EQ(echo[4], ScriptValue(true));
    EXPECT_EQ(echo[5], ScriptValue(1.5));
    EXPECT_EQ(echo[6], ScriptValue(std::monostate{}));
    EXPECT_EQ(echo[7], ScriptValue(std::monostate{}));
    EXPECT_EQ(calls_[2].arguments, (std::vector<ScriptValue>{std::int64_t{4}, std::int64_t{3}}));
    // Names compare with case; a registered name reads as a function equal to true.
    EXPECT_EQ(RunScript(*web_, "window.probe").toStringList(),
              (QStringList{"undefined", "true", "undefined"}));
}

TEST_F(WebHostTest, PagesOfOtherOriginsReachNothing) {
    ASSERT_TRUE(LoadAndWait(*web_, File("elsewhere/calls.html")));
    // The same channel carries the next page's call, after whatever the first one sent.
    ASSERT_TRUE(LoadAndWait(*web_, File("program/done.html")));
    ASSERT_TRUE(WaitFor([] { return !calls_.empty(); }, 20000));
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].name, "Done");

    WebEnvironment environment;
    environment.program_folder = QString::fromStdString(box_->Path("program"));
    environment.trusted_hosts = {QStringLiteral("maps.example:8080"), QStringLiteral("a.example")};
    EXPECT_TRUE(environment.Trusts(QUrl("http://maps.example:8080/Scripts/WithMap.aspx?D1=G")));
    EXPECT_TRUE(environment.Trusts(QUrl("http://A.example/x")));
    EXPECT_FALSE(environment.Trusts(QUrl("http://maps.example/x")));
    EXPECT_FALSE(environment.Trusts(QUrl("http://maps.example:8081/x")));
    EXPECT_FALSE(environment.Trusts(QUrl("http://a.example.evil/x")));
    EXPECT_FALSE(environment.Trusts(QUrl("data:text/html,<p>")));
    EXPECT_FALSE(environment.Trusts(File("program/../elsewhere/calls.html")));
    EXPECT_FALSE(environment.Trusts(File("program-x/calls.html")));
}

TEST_F(WebHostTest, FloodsArriveWholeAndDownloadsAreCancelled) {
    ASSERT_TRUE(LoadAndWait(*web_, File("program/flood.html")));
    ASSERT_TRUE(WaitFor([] { return !calls_.empty() && calls_.back().name == "Done"; }, 30000));
    ASSERT_EQ(calls_.size(), 3001u);
    for (std::size_t i = 0; i < 3000; ++i) {
        ASSERT_EQ(calls_[i].arguments, std::vector<ScriptValue>{std::int64_t(i)});
    }

    std::vector<QWebEngineDownloadRequest::DownloadState> downloads;
    auto watch = QObject::connect(
        web_->page()->profile(), &QWebEngineProfile::downloadRequested,
        [&](QWebEngineDownloadRequest* download) { downloads.push_back(download->state()); });
    RunScript(*web_, "document.getElementById('save').click()");
    ASSERT_TRUE(WaitFor([&] { return !downloads.empty(); }, 10000));
    QObject::disconnect(watch);
    EXPECT_EQ(downloads.front(), QWebEngineDownloadRequest::DownloadCancelled);
}

TEST_F(WebHostTest, AlertAndConfirmAreTheSkinsBoxesPromptIsNull) {
    ASSERT_TRUE(LoadAndWait(*web_, File("program/page.html")));
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    auto answer = [&](const QString& button) {
        return WhenModalOpens<QMessageBox>([&, button](QMessageBox* box) {
            text = box->text();
            caption = box->windowTitle();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == button) {
                    b->click();
                }
            }
        });
    };
    {
        auto watch = answer(QStringLiteral("확인"));
        RunScript(*web_, QStringLiteral("alert('페이지의 글'); 1"));
    }
    EXPECT_EQ(text, QStringLiteral("페이지의 글"));
    EXPECT_EQ(caption, QStringLiteral("알림 창"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    {
        auto watch = answer(QStringLiteral("확인"));
        EXPECT_EQ(RunScript(*web_, QStringLiteral("String(confirm('가'.repeat(2000)))")), "true");
    }
    // 1024 bytes at most, cut between characters (three bytes each here).
    EXPECT_EQ(text, QString(341, QChar(0xAC00)));
    EXPECT_EQ(icon, QMessageBox::Question);
    {
        auto watch = answer(QStringLiteral("취소"));
        EXPECT_EQ(RunScript(*web_, QStringLiteral("String(confirm('계속?'))")), "false");
    }
    EXPECT_EQ(RunScript(*web_, QStringLiteral("String(prompt('이름', '기본'))")), "null");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(WebHostTest, HostKeepsItsWindowsKeysAndMenus) {
    ASSERT_TRUE(LoadAndWait(*web_, File("program/page.html")));
    const QString marker = Script("String(window.marker)");
    RunScript(*web_, "document.getElementById('field').focus()");
    web_->setFocus();
    QWidget* keys = web_->focusProxy();
    ASSERT_NE(keys, nullptr);
    QTest::keyClick(keys, Qt::Key_F5);
    QTest::keyClick(keys, Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(keys, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(keys, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(keys, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(keys, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(keys, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(WaitForScript(*web_, "window.keys.indexOf('ctrl+c') >= 0"));
    // Only the letter keys count (Ctrl and Shift themselves also arrive as keydowns).
    EXPECT_EQ(RunScript(*web_,
                        "window.keys.filter(function (k) {"
                        " return !/(control|shift)$/.test(k); })")
                  .toStringList(),
              QStringList{"ctrl+c"});
    EXPECT_EQ(Script("String(window.marker)"), marker);  // not reloaded

    // The engine asks for the menu after a round trip: look for it a while (bounded, no timing
    // claim).
    QTest::mouseClick(keys, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_FALSE(WaitFor(
        [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<QMenu*>(widget) != nullptr && widget->isVisible()) {
                    return true;
                }
            }
            return false;
        },
        1500));

    // window.close() leaves the page where it is.
    RunScript(*web_, "window.close()");
    EXPECT_EQ(Script("String(window.marker)"), marker);
    EXPECT_TRUE(window_->isVisible());

    // A new window goes to the desktop's opener.
    RunScript(*web_, "document.getElementById('out').click()");
    ASSERT_TRUE(WaitFor([] { return !opened_.empty(); }, 10000));
    EXPECT_EQ(opened_.front(), QUrl("http://example.invalid/page"));
}

TEST_F(WebHostTest, CallPageScriptCallsOnlyIdentifiersWithJsonArguments) {
    CWeb empty(nullptr);
    EXPECT_EQ(CallPageScript(&empty, "take", {1}), 0);  // no document

    ASSERT_TRUE(LoadAndWait(*web_, File("program/page.html")));
    EXPECT_EQ(CallPageScript(web_, "take", {37, QStringLiteral("127\"); window.x=(\"")}), 1);
    EXPECT_EQ(RunScript(*web_, "JSON.stringify(window.took)").toString(),
              QStringLiteral("[\"number\",37,\"string\",\"127\\\"); window.x=(\\\"\"]"));
    EXPECT_EQ(CallPageScript(web_, "missing", {1}), 1);
    EXPECT_EQ(CallPageScript(web_, "take(1)"), 0);
    EXPECT_EQ(CallPageScript(web_, "a.b"), 0);
    EXPECT_EQ(CallPageScript(web_, ""), 0);
    EXPECT_EQ(Script("typeof window.x"), "undefined");
}

}  // namespace
}  // namespace mapvale::ui
