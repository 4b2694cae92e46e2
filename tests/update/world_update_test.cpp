// The demo world's update server as both programs' self-update meets it: a program folder made
// from the world's overlay, pointed at the served world through its own Info/Servers.ini.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/fake_clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "update/check_decision.h"
#include "update/package_managed.h"
#include "update/patch_list.h"
#include "update/update_job.h"
#include "update/update_server.h"
#include "update_fixtures.h"

namespace mapvale::update {
namespace {

using testing::Sandbox;
using testing::ServerProcess;
using namespace std::chrono_literals;

constexpr UpdateRole kBothRoles[] = {UpdateRole::kUpdater, UpdateRole::kTrayAgent};

const char* RoleName(UpdateRole role) {
    return role == UpdateRole::kUpdater ? "updater" : "tray";
}

class WorldUpdateTest : public ::testing::Test {
protected:
    // Writes a world with `mapvale-servers world` and serves it on a free port, which points the
    // overlay's Servers.ini there.
    void MakeAndServe(const std::vector<std::string>& options = {}) {
        platform::LaunchRequest request;
        request.program = ServerProcess::ProgramPath();
        request.arguments = {"world", "--out", world_};
        request.arguments.insert(request.arguments.end(), options.begin(), options.end());
        platform::PosixProcessLauncher launcher;
        auto process = launcher.Start(request);
        ASSERT_TRUE(process) << request.program;
        ASSERT_TRUE(process->Wait(120s));
        ASSERT_EQ(process->ExitCode(), 0);
        server_ = std::make_unique<ServerProcess>(std::vector<std::string>{
            "serve", "--world", world_, "--request-log", box_.Path("requests.log")});
        ASSERT_TRUE(server_->ok()) << server_->error();
    }

    // A program folder as the overlay makes it, with the real unpacker beside the files.
    std::string MakeProgramFolder(const std::string& name) {
        const std::string folder = box_.Path(name + "/");
        std::filesystem::copy(world_ + "/program", folder,
                              std::filesystem::copy_options::recursive);
        const char* build_programs = std::getenv("MAPVALE_PROGRAM_DIR");
        EXPECT_NE(build_programs, nullptr);
        if (build_programs != nullptr) {
            std::filesystem::copy_file(std::string(build_programs) + "/ZipModule",
                                       folder + "ZipModule");
        }
        return folder;
    }

    // Requests for either program's patch list so far.
    std::size_t PatchListRequests() const {
        std::size_t count = 0;
        for (const testing::LoggedRequest& request :
             testing::ReadRequestLog(box_.Path("requests.log"))) {
            count += request.path.ends_with(kServerPatchListName) ? 1 : 0;
        }
        return count;
    }

    UpdateSetup Setup(UpdateRole role, const std::string& program) {
        UpdateSetup setup;
        setup.role = role;
        setup.program_folder = program;
        setup.host = UpdateServerHost(program);
        setup.launcher = &launcher_;
        setup.instances = &instances_;
        setup.sleeper = &sleeper_;
        return setup;
    }

    Sandbox box_;
    std::string world_ = box_.Path("world");
    std::unique_ptr<ServerProcess> server_;
    test::RecordingLauncher launcher_;
    test::FakeInstances instances_;
    platform::FakeClock clock_;
    platform::FakeSleeper sleeper_{clock_};
};

TEST_F(WorldUpdateTest, AProgramFolderFromTheDefaultWorldIsCurrent) {
    MakeAndServe();
    const std::string program = MakeProgramFolder("program");
    EXPECT_EQ(UpdateServerHost(program), server_->address());
    const std::string list = Sandbox::Read(program + "Info/UpdateInfo.txt");

    for (const UpdateRole role : kBothRoles) {
        SCOPED_TRACE(RoleName(role));
        UpdateJob job(Setup(role, program));
        EXPECT_EQ(job.Check(), UpdateJob::kCheckNothingToDo);
        // The list was there and read, not merely missing.
        EXPECT_EQ(job.server_list().size(), 2u);
        EXPECT_TRUE(job.show_dialog());
    }
    EXPECT_EQ(Sandbox::Read(program + "Info/UpdateInfo.txt"), list);
    EXPECT_TRUE(launcher_.requests().empty());
}

TEST_F(WorldUpdateTest, EitherProgramInstallsAnOfferedUpdateForBoth) {
    MakeAndServe({"--offer-update"});
    for (const UpdateRole role : kBothRoles) {
        SCOPED_TRACE(RoleName(role));
        const std::string program = MakeProgramFolder(RoleName(role));
        UpdateJob job(Setup(role, program));
        ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
        EXPECT_TRUE(job.show_dialog());
        EXPECT_EQ(job.Run(), UpdateJob::kRunUpdated);

        // The plain file and the archive's member are the offered version's.
        EXPECT_EQ(job.outcomes(),
                  (std::vector<EntryOutcome>{EntryOutcome::kInstalled, EntryOutcome::kInstalled}));
        for (const PatchEntry& entry : job.server_list()) {
            EXPECT_EQ(Sandbox::Read(program + entry.path()),
                      Sandbox::Read(world_ + "/sources/self-update/" + entry.path()))
                << entry.path();
        }
        EXPECT_EQ(Sandbox::Read(program + "Info/UpdateInfo.txt"),
                  FormatPatchList(job.server_list()));
        EXPECT_FALSE(platform::FolderExists(program + "tmp"));

        // Both programs keep one list and the areas agree: the other program is current too.
        for (const UpdateRole next : kBothRoles) {
            UpdateJob again(Setup(next, program));
            EXPECT_EQ(again.Check(), UpdateJob::kCheckNothingToDo) << RoleName(next);
        }
    }
}

TEST_F(WorldUpdateTest, APackageManagedFolderAsksForNoPatchListAndChangesNothing) {
    MakeAndServe({"--offer-update"});
    const std::string program = MakeProgramFolder("program");
    box_.Write("program/" + std::string(kPackageManagedFile), "");
    // What the last update left behind stays too: the package manager owns every file.
    box_.Write("program/_Mapvale", "an old copy");
    const std::string list = Sandbox::Read(program + "Info/UpdateInfo.txt");

    for (const UpdateRole role : kBothRoles) {
        SCOPED_TRACE(RoleName(role));
        UpdateJob job(Setup(role, program));
        // The updater's start-up check (the agent's daily one runs the same Check); a root user
        // may write the folder, so the write test alone would let the update through.
        test::FakeElevation writable(true);
        const CheckDecision decision = CheckForUpdates(job, &writable);
        EXPECT_EQ(decision.action, CheckAction::kContinue);
        EXPECT_TRUE(job.server_list().empty());
    }
    EXPECT_EQ(PatchListRequests(), 0u);
    EXPECT_EQ(Sandbox::Read(program + "Info/UpdateInfo.txt"), list);
    EXPECT_TRUE(platform::FileExists(program + "_Mapvale"));
    EXPECT_TRUE(launcher_.requests().empty());

    // Without the mark the same folder is offered the update: the world really offers one.
    std::filesystem::remove(program + std::string(kPackageManagedFile));
    UpdateJob job(Setup(UpdateRole::kUpdater, program));
    EXPECT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    // The log's lines follow the answers: the probe and the fetch of this check, and no others.
    EXPECT_TRUE(testing::WaitUntil([&] { return PatchListRequests() >= 2; }));
    EXPECT_EQ(PatchListRequests(), 2u);
}

}  // namespace
}  // namespace mapvale::update
