#include "ui/web/movie_view.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWidget>
#include <memory>

#include "controller/movie_requests.h"
#include "support/sandbox.h"
#include "ui/wait_for.h"
#include "ui/web/status_movies.h"
#include "ui/web/web_test_support.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::RunScript;
using mapvale::testing::WaitFor;
using mapvale::testing::WaitForScript;

// One engine page for the whole suite: movies are loaded into it in turn, from a program folder
// whose path holds a blank and Korean letters.
class MovieViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        box_ = std::make_unique<mapvale::testing::Sandbox>();
        folder_ = QString::fromStdString(mapvale::testing::MakeMovieFolder(box_->path()).string());
        // A movie that keeps every request it is given, as the page gets it.
        box_->Write(
            "프로그램 폴더/Info/Recorder.html",
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><script>window.requests = [];"
            "window.__mapvaleMovieRequest = function (r) { window.requests.push(r); };"
            "</script></head><body></body></html>");
        window_ = std::make_unique<QWidget>();
        window_->resize(800, 400);
        view_ = new CMovieView(window_.get(), folder_);
        view_->setGeometry(0, 0, 785, 300);
        window_->show();
    }
    static void TearDownTestSuite() {
        window_.reset();
        box_.reset();
    }

    static void Load(const QString& name) {
        view_->SetMovie(name);
        ASSERT_TRUE(WaitFor([] { return view_->IsReady(); }, 30000)) << name.toStdString();
    }
    static QString Script(const QString& expression) {
        return RunScript(*view_, expression).toString();
    }
    static QString Text(const char* id) {
        return Script(QStringLiteral("document.getElementById('%1').textContent").arg(id));
    }
    static QStringList Requests(CMovieView& view) {
        return RunScript(view, QStringLiteral("window.requests")).toStringList();
    }

    static std::unique_ptr<mapvale::testing::Sandbox> box_;
    static QString folder_;
    static std::unique_ptr<QWidget> window_;
    static CMovieView* view_;
};

std::unique_ptr<mapvale::testing::Sandbox> MovieViewTest::box_;
QString MovieViewTest::folder_;
std::unique_ptr<QWidget> MovieViewTest::window_;
CMovieView* MovieViewTest::view_ = nullptr;

TEST_F(MovieViewTest, StatusStripShowsStateSpeedAndRemainingTime) {
    Load(QStringLiteral("Info/MainProcess.html"));
    ShowStatus(*view_, QStringLiteral("다운로드 중입니다."), 42, QStringLiteral("속도:   1.5 MB/S"),
               QStringLiteral("남은 시간 3분"));
    EXPECT_EQ(Text("state-text"), QStringLiteral("다운로드 중입니다."));
    EXPECT_EQ(Script("document.getElementById('state-bar').dataset.percent"), "42");
    EXPECT_EQ(Text("state-speed"), QStringLiteral("속도:   1.5 MB/S"));
    EXPECT_EQ(Text("state-remain"), QStringLiteral("남은 시간 3분"));

    // The next state clears the remaining time (the strip makes it blink that way); -1 hides the
    // bar.
    ShowStatus(*view_, QStringLiteral("설치 대기 중입니다."), -1, QString(), QString());
    EXPECT_EQ(Text("state-remain"), "");
    EXPECT_EQ(Script("String(document.getElementById('state-bar').classList.contains('hidden'))"),
              "true");

    view_->CallMovie(controller::CallResizeRequest(600));
    EXPECT_EQ(Script("document.getElementById('strip').dataset.width"), "600");

    // A malformed request is dropped; the next good one still works.
    view_->CallMovie(QStringLiteral("<invoke name=\"setState\"><arguments><string>x</string>"));
    view_->CallMovie(
        QStringLiteral("<invoke name=\"setState\" returntype=\"xml\"><arguments>"
                       "<number>abc</number></arguments></invoke>"));
    EXPECT_EQ(Text("state-text"), QStringLiteral("설치 대기 중입니다."));
    // Whatever a text holds stays text: it never runs as script.
    const QString hostile = QStringLiteral("\"); window.hacked = 1; (\"</script>\\");
    ShowStatus(*view_, hostile, 10, QString(), QString());
    EXPECT_EQ(Text("state-text"), hostile);
    EXPECT_EQ(Script("typeof window.hacked"), "undefined");
}

TEST_F(MovieViewTest, ProgressMovieTakesOnlyItsTwoRanges) {
    Load(QStringLiteral("Info/Process03.html"));
    view_->CallMovie(controller::SetSizeProBarRequest(1042));
    view_->CallMovie(controller::SetSizeProBarRequest(2100));
    view_->CallMovie(controller::SetSizeProBarRequest(999));
    view_->CallMovie(controller::SetSizeProBarRequest(3001));
    EXPECT_EQ(Script("document.getElementById('download-bar').dataset.percent"), "42");
    EXPECT_EQ(Text("download-percent"), "42%");
    EXPECT_EQ(Script("document.getElementById('install-bar').dataset.percent"), "100");
}

TEST_F(MovieViewTest, PieDrawsItsSlicesAndNothingForRadiusZero) {
    Load(QStringLiteral("Info/PieChart.html"));
    const QString slices =
        QStringLiteral("String(document.querySelectorAll('#pie .slice').length)");
    view_->CallMovie(controller::PieDrawMapRequest(3000, 1000, 4000, 100));
    EXPECT_EQ(Script(slices), "3");
    EXPECT_EQ(Script("document.getElementById('pie').getAttribute('width')"), "204");
    EXPECT_TRUE(Text("legend").startsWith(QStringLiteral("지도")));
    // In the middle of its box (785 x 300), left of the legend and clear of it.
    EXPECT_EQ(Script("document.getElementById('pie').style.top"), "48px");
    const QString clear_of_legend = QStringLiteral(
        "String(document.getElementById('pie').getBoundingClientRect().left > 200 && "
        "document.getElementById('pie').getBoundingClientRect().right < "
        "document.getElementById('legend').getBoundingClientRect().left)");
    EXPECT_EQ(Script(clear_of_legend), "true");
    view_->CallMovie(controller::PieDrawCameraRequest(52000, 80));
    EXPECT_EQ(Script(slices), "1");
    EXPECT_TRUE(Text("legend").startsWith(QStringLiteral("설치용량")));
    view_->CallMovie(controller::PieDrawMapRequest(3000, 1000, 4000, 0));
    EXPECT_EQ(Script(slices), "0");
}

TEST_F(MovieViewTest, CountdownRaisesFsCommandOncePerLoad) {
    QSignalSpy commands(view_, &CMovieView::FSCommand);
    Load(QStringLiteral("Info/Process02.html?tmStart=1"));
    ASSERT_TRUE(WaitFor([&] { return commands.size() >= 1; }, 20000));
    // No second command follows (a bounded look, not a timing claim).
    EXPECT_FALSE(WaitFor([&] { return commands.size() > 1; }, 2000));

    Load(QStringLiteral("Info/Process02.html"));
    EXPECT_EQ(Script("document.getElementById('seconds').dataset.total"), "30");
    Load(QStringLiteral("Info/Process02.html?tmStart=-5"));
    EXPECT_EQ(Script("document.getElementById('seconds').dataset.total"), "30");
    EXPECT_EQ(commands.size(), 1);
}

TEST_F(MovieViewTest, RequestsWaitForThePageInOrderAndTheOldestAreDropped) {
    CMovieView status(window_.get(), folder_);
    status.show();

    // Before a movie is set, a resize sends nothing (and nothing is queued).
    ResizeStatus(status, QSize(800, 600), QRect(8, 500, 785, 51));
    EXPECT_EQ(status.geometry(), QRect(8, 500, 785, 51));
    for (int i = 0; i < CMovieView::kMaxWaiting + 6; ++i) {
        status.CallMovie(QStringLiteral("r%1").arg(i));
    }
    status.SetMovie(QStringLiteral("Info/Recorder.html"));
    ASSERT_TRUE(WaitFor([&] { return status.IsReady(); }, 30000));
    ASSERT_TRUE(WaitForScript(status, QStringLiteral("window.requests.length >= 64")));
    QStringList requests = Requests(status);
    ASSERT_EQ(requests.size(), 64);
    EXPECT_EQ(requests.front(), "r6");
    EXPECT_EQ(requests.back(), "r69");

    RunScript(status, QStringLiteral("window.requests = []"));
    ShowStatus(status, QStringLiteral("설치 중입니다."), 5, QStringLiteral("속도"), QString());
    ResizeStatus(status, QSize(0, 600), QRect(8, 500, 600, 51));
    ResizeStatus(status, QSize(800, 600), QRect(8, 500, 600, 51));
    status.CallMovie(QStringLiteral("end"));
    ASSERT_TRUE(WaitForScript(status, QStringLiteral("window.requests.indexOf('end') >= 0")));
    requests = Requests(status);
    EXPECT_EQ(
        requests,
        (QStringList{
            QString::fromStdString(controller::SetStateRequest("설치 중입니다.", 5, "속도")),
            QString::fromStdString(controller::CallResizeRequest(600)), QStringLiteral("end")}));
}

}  // namespace
}  // namespace mapvale::ui
