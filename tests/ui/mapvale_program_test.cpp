// The real Mapvale program, offscreen, against the stand-in servers.
#include <gmock/gmock.h>
#include <signal.h>

#include <QProcess>
#include <filesystem>

#include "app/constants.h"
#include "platform/instance.h"
#include "support/server_process.h"
#include "ui/program_run.h"
#include "ui/qt_frame_fixture.h"
#include "ui/wait_for.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WaitFor;

class MapvaleProgramTest : public QtFrameTest {
protected:
    void ServeWithLog() {
        server_ = std::make_unique<mapvale::testing::ServerProcess>(std::vector<std::string>{
            "serve", "--world", world_.folder, "--request-log", box_.Path("requests.log")});
        ASSERT_TRUE(server_->ok()) << server_->error();
        std::filesystem::copy(world_.ProgramFolder(), ProgramFolder(),
                              std::filesystem::copy_options::recursive);
    }

    void Start(const QStringList& arguments) {
        const char* programs = std::getenv("MAPVALE_PROGRAM_DIR");
        ASSERT_NE(programs, nullptr);
        ProgramRun run{box_.Path(), ProgramFolder(), scope_, QString(), QString()};
        ASSERT_TRUE(run.Start(
            program_, QString::fromLocal8Bit(programs) + QStringLiteral("/Mapvale"), arguments));
    }

    bool SignedIn() const {
        for (const mapvale::testing::LoggedRequest& request :
             mapvale::testing::ReadRequestLog(box_.Path("requests.log"))) {
            if (request.path == "/WMK/WMKChkRegist.mms" && request.Parameter("D1") == "hong") {
                return true;
            }
        }
        return false;
    }

    std::string scope_ = "mapvale-program-" + std::to_string(::getpid());
    QProcess program_;
};

TEST_F(MapvaleProgramTest, SignsInByItselfIsFoundAndEndsOnTerminationWithTheSettingsSaved) {
    ServeWithLog();
    StoreAutomaticSignIn();
    Start({});
    platform::SocketInstanceService instances(scope_);
    ASSERT_TRUE(WaitFor([&] { return SignedIn(); }, 60000));
    ASSERT_TRUE(
        WaitFor([&] { return instances.Exists(std::string(app::kFrameClassName)); }, 30000));
    ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
    ASSERT_TRUE(program_.waitForFinished(30000));
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0);
    EXPECT_FALSE(instances.Exists(std::string(app::kFrameClassName)));
    // Written when the program ended.
    platform::FileSettingsStore store(box_.Path("settings"));
    platform::Profile profile(store, "VELMORA", "TSKN_Waymark+");
    EXPECT_EQ(profile.GetProfileString("USER", "ID", ""), "hong");
    EXPECT_FALSE(profile.GetProfileString("PATH", "DATA", "").empty());
}

TEST_F(MapvaleProgramTest, AnUnknownFirstArgumentEndsAtOnce) {
    Start({QStringLiteral("-xyz")});
    ASSERT_TRUE(program_.waitForFinished(30000));
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0);
}

}  // namespace
}  // namespace mapvale::ui::test
