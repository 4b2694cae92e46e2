#include "app/startup.h"

#include <gtest/gtest.h>

#include <set>

#include "app/constants.h"
#include "platform/fake_clock.h"
#include "support/sandbox.h"

namespace mapvale::app {
namespace {

// Programs that answer under a name; one may go away after a number of looks.
class FakeInstances final : public platform::InstanceService {
public:
    std::unique_ptr<platform::InstanceEndpoint> Publish(const std::string&,
                                                        std::function<void()>) override {
        return nullptr;
    }
    bool Exists(const std::string& name) override {
        ++looks;
        if (names.count(name) && looks > disappears_after) {
            names.erase(name);
        }
        return names.count(name) > 0;
    }
    bool RequestClose(const std::string&) override { return false; }

    std::set<std::string> names;
    int looks = 0;
    int disappears_after = 1 << 30;
};

class RecordingLauncher final : public platform::ProcessLauncher {
public:
    std::unique_ptr<platform::Process> Start(const platform::LaunchRequest& request) override {
        requests.push_back(request);
        return nullptr;  // as if it could not start: the caller must cope
    }
    std::vector<platform::LaunchRequest> requests;
};

TEST(StartupTest, PreviousInstanceGetsThreeSeconds) {
    platform::FakeClock clock;
    platform::FakeSleeper sleeper(clock);
    FakeInstances instances;
    EXPECT_TRUE(WaitForPreviousInstance(instances, sleeper));
    EXPECT_EQ(sleeper.Sleeps().size(), 0u);

    instances.names = {"TSKN_Waymark+"};
    instances.looks = 0;
    instances.disappears_after = 40;  // it closes while we poll
    EXPECT_TRUE(WaitForPreviousInstance(instances, sleeper));
    EXPECT_EQ(sleeper.Sleeps().size(), 40u);

    platform::FakeSleeper stubborn_sleeper(clock);
    instances.names = {"TSKN_Waymark+"};
    instances.looks = 0;
    instances.disappears_after = 1 << 30;
    EXPECT_FALSE(WaitForPreviousInstance(instances, stubborn_sleeper));
    EXPECT_EQ(stubborn_sleeper.Sleeps().size(), 100u);
    EXPECT_EQ(stubborn_sleeper.TotalSlept(), std::chrono::milliseconds(3000));
}

TEST(StartupTest, TrayAgentStartsOnlyWhenAbsentAndPresentOnDisk) {
    testing::Sandbox box;
    AppSettings settings;
    settings.program_folder = box.Path() + "/";
    FakeInstances instances;
    RecordingLauncher launcher;

    EXPECT_EQ(StartTrayAgent(settings, instances, launcher), 0);  // no program file
    EXPECT_TRUE(launcher.requests.empty());

    box.Write("MapvaleTray", "#!/bin/sh\n");
    instances.names = {"MapvaleTray"};
    EXPECT_EQ(StartTrayAgent(settings, instances, launcher), 0);  // already running
    EXPECT_TRUE(launcher.requests.empty());

    instances.names.clear();
    EXPECT_EQ(StartTrayAgent(settings, instances, launcher), 0);  // start refused
    ASSERT_EQ(launcher.requests.size(), 1u);
    EXPECT_EQ(launcher.requests[0].program, box.Path("MapvaleTray"));
    EXPECT_EQ(launcher.requests[0].arguments, std::vector<std::string>{"-UPDATE"});
    EXPECT_EQ(launcher.requests[0].working_folder, "");
}

}  // namespace
}  // namespace mapvale::app
