// The package's notice before a job, shown by the real front end with the real browser: the
// page's buttons decide through window.external, closing the window stops the job.
#include <gmock/gmock.h>

#include <QMessageBox>
#include <QWebEnginePage>

#include "controller/controller_texts.h"
#include "controller/main_frame.h"
#include "ui/qt_frame_fixture.h"
#include "ui/wait_for.h"
#include "ui/web/dlg_alert.h"
#include "ui/web/program_functions.h"
#include "ui/web/web.h"
#include "ui/web/web_environment.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

class NoticeBeforeJobTest : public QtFrameTest {
protected:
    void TearDown() override {
        QtFrameTest::TearDown();
        SetWebEnvironment({});
    }

    // Signed in with HX100 and its card at E:, the notice page trusted as the program trusts
    // its servers' pages.
    controller::CMainFrame& Ready() {
        InsertCard('E', "1G");
        controller::CMainFrame& frame = StartedQtFrame();
        pump_.DeliverAll();
        UpdaterScriptHandlers handlers;
        handlers.notice_answer = [&frame](int answer) { frame.AnswerNotice(answer); };
        functions_ = UpdaterScriptFunctions(std::move(handlers));
        WebEnvironment environment;
        environment.functions = &functions_;
        environment.trusted_hosts = {QString::fromStdString(server_->address())};
        SetWebEnvironment(std::move(environment));
        frame.SelectDevice(Device("HX100"));
        frame.SelectDrive('E');
        return frame;
    }

    // Waits in the open notice until its page is there, then runs `script` in it.
    static void ClickInNotice(CDlgAlert* notice, const QString& script) {
        CWeb* web = notice->browser();
        ASSERT_TRUE(WaitFor(
            [&] {
                bool ready = false;
                web->page()->runJavaScript(
                    QStringLiteral("!!document.getElementById('start') && !!window.external"),
                    [&ready](const QVariant& result) { ready = result.toBool(); });
                WaitFor([&] { return ready; }, 200);
                return ready;
            },
            30000));
        web->page()->runJavaScript(script);
    }

    // Answers every other question with its first button, recording its text.
    void AnswerQuestions() {
        questions_.setInterval(5);
        QObject::connect(&questions_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked_.push_back(box->text().toStdString());
                box->buttons().front()->click();
            }
        });
        questions_.start();
    }

    ScriptFunctionList functions_;
    QTimer questions_;
    std::vector<std::string> asked_;
};

TEST_F(NoticeBeforeJobTest, StopOnThePageOrClosingTheWindowStartsNothing) {
    controller::CMainFrame& frame = Ready();
    AnswerQuestions();
    {
        auto stop = WhenModalOpens<CDlgAlert>([](CDlgAlert* notice) {
            ClickInNotice(notice, QStringLiteral("document.getElementById('stop').click()"));
        });
        EXPECT_EQ(frame.StartJob(), 2);
    }
    EXPECT_EQ(frame.state().job_running, 0);
    {
        auto close = WhenModalOpens<CDlgAlert>([](CDlgAlert* notice) { notice->reject(); });
        EXPECT_EQ(frame.StartJob(), 2);
    }
    EXPECT_EQ(frame.state().job_running, 0);
}

TEST_F(NoticeBeforeJobTest, StartOnThePageGoesOnToTheJob) {
    controller::CMainFrame& frame = Ready();
    auto start = WhenModalOpens<CDlgAlert>([](CDlgAlert* notice) {
        ClickInNotice(notice, QStringLiteral("document.getElementById('start').click()"));
    });
    // The questions after the notice (format, backup) are answered with their first button.
    AnswerQuestions();
    EXPECT_EQ(frame.StartJob(), 1) << ::testing::PrintToString(asked_);
    EXPECT_EQ(frame.state().job_running, 1);
    frame.CancelJob();
}

}  // namespace
}  // namespace mapvale::ui::test
