// The real Mapvale program, offscreen, against the stand-in servers.
#include <gmock/gmock.h>
#include <signal.h>

#include <QProcess>
#include <filesystem>
#include <fstream>

#include "app/constants.h"
#include "platform/instance.h"
#include "support/server_process.h"
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
        std::ofstream(box_.Path("volumes.conf")).flush();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const auto set = [&environment](const char* name, const std::string& value) {
            environment.insert(QString::fromLatin1(name), QString::fromStdString(value));
        };
        set("QT_QPA_PLATFORM", "offscreen");
        // In a sanitizer build the program carries the web engine's known reports with it: a
        // delete through a base of another size, and what Qt keeps for the process's life.
        set("ASAN_OPTIONS", environment.value(QStringLiteral("ASAN_OPTIONS")).toStdString() +
                                ":new_delete_type_mismatch=0");
        set("LSAN_OPTIONS", "suppressions=" MAPVALE_LSAN_SUPPRESSIONS ":print_suppressions=0");
        set("MAPVALE_PROGRAM_DIR", ProgramFolder());
        set("MAPVALE_SETTINGS_DIR", box_.Path("settings"));
        set("MAPVALE_INSTANCE_SCOPE", scope_);
        set("MAPVALE_VIRTUAL_VOLUMES", box_.Path("volumes.conf"));
        set("MAPVALE_PROGRAM_FILES", box_.Path("program-files"));
        set("XDG_DATA_HOME", box_.Path("xdg-data"));
        set("XDG_CONFIG_HOME", box_.Path("xdg-config"));
        program_.setProcessEnvironment(environment);
        program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const char* programs = std::getenv("MAPVALE_PROGRAM_DIR");
        ASSERT_NE(programs, nullptr);
        program_.start(QString::fromLocal8Bit(programs) + QStringLiteral("/Mapvale"), arguments);
        ASSERT_TRUE(program_.waitForStarted());
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
