#include "update/check_decision.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"
#include "support/sandbox.h"
#include "support/test_child.h"
#include "update/elevation.h"
#include "update/restart.h"
#include "update/update_texts.h"
#include "update_fixtures.h"

// Exits with 0 when the variable named by the first argument has the value of the second and
// the working folder is the third (when given), else 1.
MAPVALE_TEST_CHILD(check_environment) {
    const char* value = std::getenv(args.at(0).c_str());
    if (value == nullptr || args.at(1) != value) {
        return 1;
    }
    if (args.size() > 2) {
        char here[4096];
        if (::getcwd(here, sizeof here) == nullptr || args[2] != here) {
            return 1;
        }
    }
    return 0;
}

namespace mapvale::update {
namespace {

TEST(CheckDecisionTest, EachResultHasItsAction) {
    EXPECT_EQ(DecideAfterCheck(0, true, false).action, CheckAction::kContinue);
    EXPECT_EQ(DecideAfterCheck(1, true, true).action, CheckAction::kUpdate);
    const CheckDecision elevate = DecideAfterCheck(1, false, false);
    EXPECT_EQ(elevate.action, CheckAction::kRestartElevated);
    EXPECT_EQ(elevate.message_text, kTextElevation);
    for (const int code : {-8, -6, -1, -3}) {
        const CheckDecision end = DecideAfterCheck(code, true, true);
        EXPECT_EQ(end.action, CheckAction::kEndProgram);
        EXPECT_EQ(end.message_title, kTextCheckFailedTitle);
        EXPECT_EQ(end.message_text, CheckFailureText(code));
    }
    // Only codes without a text of their own show the number.
    EXPECT_NE(CheckFailureText(-3).find("[오류코드:-3]"), std::string::npos);
    EXPECT_EQ(CheckFailureText(-8).find("오류코드"), std::string::npos);
    EXPECT_NE(CheckFailureText(-6), CheckFailureText(-1));
}

TEST(ElevationTest, PkexecGetsTheDisplayAndRunsTheProgramThroughAShell) {
    platform::LaunchRequest request;
    request.program = "/opt/map=vale/Mapvale";
    request.arguments = {"-SYSTRAY"};
    request.working_folder = "/home/u";
    request.environment = {{"MAPVALE_PROGRAM_DIR", "/opt/map=vale/"}, {"-u", "x"}};
    const auto elevated = PkexecElevation::PkexecRequest(
        request, {"HOME=/home/u", "XAUTHORITY=/run/x", "DISPLAY=:1", "DISPLAYX=no"});
    EXPECT_EQ(elevated.program, "pkexec");
    EXPECT_EQ(elevated.arguments,
              (std::vector<std::string>{"/usr/bin/env", "DISPLAY=:1", "XAUTHORITY=/run/x",
                                        "MAPVALE_PROGRAM_DIR=/opt/map=vale/", "/bin/sh", "-c",
                                        "cd -- \"$1\" && shift && exec \"$@\"", "mapvale-relaunch",
                                        "/home/u", "/opt/map=vale/Mapvale", "-SYSTRAY"}));

    request.working_folder.clear();
    request.environment.clear();
    request.arguments.clear();
    EXPECT_EQ(PkexecElevation::PkexecRequest(request, {}).arguments,
              (std::vector<std::string>{"/usr/bin/env", "/bin/sh", "-c", "exec \"$@\"",
                                        "mapvale-relaunch", "/opt/map=vale/Mapvale"}));
}

TEST(RestartTest, TheUpdaterStartsAgainWithTheArgumentsOfThisStart) {
    testing::Sandbox box;
    test::RecordingLauncher launcher;
    EXPECT_EQ(RestartUpdater(launcher, box.Path("program"), "-SYSTRAY", box.Path()), 1);
    EXPECT_EQ(RestartUpdater(launcher, box.Path("program/"), "", box.Path("no folder")), 1);
    const auto starts = launcher.requests();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].program, box.Path("program/Mapvale"));
    EXPECT_EQ(starts[0].arguments, std::vector<std::string>{"-SYSTRAY"});
    EXPECT_EQ(starts[0].working_folder, box.Path());
    EXPECT_TRUE(starts[1].arguments.empty());
    EXPECT_EQ(starts[1].working_folder, "");  // rather than a start that fails
}

// The unpacker's program folder reaches it through this; it is a platform feature the
// self-update is the first to need.
TEST(LaunchEnvironmentTest, VariablesAreSetOnTopOfTheCallersOwn) {
    testing::Sandbox box;
    platform::PosixProcessLauncher launcher;
    const auto run = [&](platform::LaunchRequest request) {
        auto process = launcher.Start(request);
        if (!process || !process->Wait(std::chrono::seconds(30))) {
            return -1;
        }
        return process->ExitCode().value_or(-1);
    };
    platform::LaunchRequest request;
    request.program = testing::SelfPath();
    request.working_folder = box.Path();
    request.environment = {{"MAPVALE_PROGRAM_DIR", "/first"}, {"MAPVALE_PROGRAM_DIR", "/mine"}};
    request.arguments =
        testing::ChildArguments("check_environment", {"MAPVALE_PROGRAM_DIR", "/mine", box.Path()});
    EXPECT_EQ(run(request), 0);
    // The caller's other variables stay.
    ASSERT_NE(std::getenv("PATH"), nullptr);
    request.arguments = testing::ChildArguments("check_environment", {"PATH", std::getenv("PATH")});
    EXPECT_EQ(run(request), 0);
    // A name that cannot be a variable refuses the start.
    request.environment = {{"A=B", "x"}};
    EXPECT_EQ(launcher.Start(request), nullptr);
    request.environment = {{"", "x"}};
    EXPECT_EQ(launcher.Start(request), nullptr);
}

}  // namespace
}  // namespace mapvale::update
