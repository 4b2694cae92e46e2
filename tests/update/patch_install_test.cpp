#include "update/patch_install.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/process.h"
#include "support/sandbox.h"
#include "support/test_child.h"

// Stages the new program and dies before the rename, as a crash or power cut would.
MAPVALE_TEST_CHILD(stage_then_die) {
    if (!mapvale::update::StagePatchFile(args.at(0), args.at(1), args.at(2))) {
        return 3;
    }
    ::kill(::getpid(), SIGKILL);
    return 4;
}

namespace mapvale::update {
namespace {

using testing::Sandbox;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Runs a program of the folder and returns its exit status (-1 when it could not run).
int RunProgram(const std::string& path) {
    platform::PosixProcessLauncher launcher;
    platform::LaunchRequest request;
    request.program = path;
    auto process = launcher.Start(request);
    if (!process || !process->Wait(std::chrono::seconds(30))) {
        return -1;
    }
    return process->ExitCode().value_or(-1);
}

std::string Script(int status) {
    return "#!/bin/sh\nexit " + std::to_string(status) + "\n";
}

class PatchInstallTest : public ::testing::Test {
protected:
    std::string folder() const { return box_.Path("program/"); }
    std::string WriteProgram(const std::string& name, int status) {
        const std::string path = box_.Write("program/" + name, Script(status));
        ::chmod(path.c_str(), 0750);
        return path;
    }
    Sandbox box_;
};

TEST_F(PatchInstallTest, ProgramsAreSwappedByRenameAndTheOldOneKept) {
    const std::string old_program = WriteProgram("Mapvale", 7);
    const ino_t old_inode = InodeOf(old_program);
    const std::string source = box_.Write("program/tmp/Mapvale", Script(9));

    ASSERT_TRUE(InstallPatchFile(source, folder(), "Mapvale"));
    EXPECT_EQ(RunProgram(old_program), 9);
    // The running file was never written: its inode lives on as the old copy.
    EXPECT_EQ(InodeOf(folder() + "_Mapvale"), old_inode);
    EXPECT_NE(InodeOf(old_program), old_inode);
    EXPECT_EQ(ModeOf(old_program), 0750u);
    EXPECT_FALSE(platform::FileExists(folder() + "__Mapvale"));
}

TEST_F(PatchInstallTest, WhatCountsAsAProgram) {
    const std::string tool = WriteProgram("bin/helper", 0);
    box_.Write("program/readme.txt", "old");
    EXPECT_TRUE(IsProgramFile("Mapvale", folder() + "Mapvale"));  // even before it exists
    EXPECT_TRUE(IsProgramFile("MapvaleTray", folder() + "MapvaleTray"));
    EXPECT_TRUE(IsProgramFile("ZipModule", folder() + "ZipModule"));
    EXPECT_TRUE(IsProgramFile("setup.EXE", folder() + "setup.EXE"));
    EXPECT_TRUE(IsProgramFile("helper", tool));
    EXPECT_FALSE(IsProgramFile("readme.txt", folder() + "readme.txt"));
    EXPECT_FALSE(IsProgramFile("mapvale", folder() + "mapvale"));
    EXPECT_FALSE(IsProgramFile("a.b.exe", folder() + "a.b.exe"));  // extension after first '.'
}

TEST_F(PatchInstallTest, OtherFilesAreReplacedWholeAndNewOnesCreated) {
    box_.Write("program/Info/readme.txt", "old");
    ::chmod(box_.Path("program/Info/readme.txt").c_str(), 0600);
    const std::string source = box_.Write("program/tmp/readme.txt", "new text");

    ASSERT_TRUE(InstallPatchFile(source, folder() + "Info/", "readme.txt"));
    EXPECT_EQ(Sandbox::Read(folder() + "Info/readme.txt"), "new text");
    EXPECT_EQ(ModeOf(folder() + "Info/readme.txt"), 0600u);
    EXPECT_FALSE(platform::FileExists(folder() + "Info/_readme.txt"));

    // A file in a folder that does not exist yet; a new program is executable.
    ASSERT_TRUE(InstallPatchFile(source, folder() + "New/Deep/", "notes.txt"));
    EXPECT_EQ(Sandbox::Read(folder() + "New/Deep/notes.txt"), "new text");
    const std::string program_source = box_.Write("program/tmp/ZipModule", Script(5));
    ASSERT_TRUE(InstallPatchFile(program_source, folder(), "ZipModule"));
    EXPECT_EQ(RunProgram(folder() + "ZipModule"), 5);
}

TEST_F(PatchInstallTest, AFailedInstallationLeavesTheOldFile) {
    const std::string old_program = WriteProgram("Mapvale", 7);
    EXPECT_FALSE(InstallPatchFile(box_.Path("program/tmp/missing"), folder(), "Mapvale"));
    EXPECT_EQ(RunProgram(old_program), 7);
    // The name is taken by a folder: the rename fails and the staged copy goes.
    box_.Write("program/Data/x/inner", "");
    const std::string source = box_.Write("program/tmp/x", "new");
    EXPECT_FALSE(InstallPatchFile(source, folder() + "Data/", "x"));
    EXPECT_TRUE(platform::FolderExists(folder() + "Data/x"));
    EXPECT_FALSE(platform::FileExists(folder() + "Data/__x"));
}

TEST_F(PatchInstallTest, ACrashBetweenCopyAndRenameLeavesAWorkingOldProgram) {
    const std::string old_program = WriteProgram("Mapvale", 7);
    const std::string source = box_.Write("program/tmp/Mapvale", Script(9));
    platform::PosixProcessLauncher launcher;
    platform::LaunchRequest request;
    request.program = testing::SelfPath();
    request.arguments = testing::ChildArguments("stage_then_die", {source, folder(), "Mapvale"});
    auto child = launcher.Start(request);
    ASSERT_TRUE(child);
    ASSERT_TRUE(child->Wait(std::chrono::seconds(30)));
    ASSERT_EQ(child->ExitCode(), 128 + SIGKILL);

    EXPECT_TRUE(platform::FileExists(folder() + "__Mapvale"));
    EXPECT_EQ(RunProgram(old_program), 7);
    // The next installation replaces the leftover copy and completes.
    ASSERT_TRUE(InstallPatchFile(source, folder(), "Mapvale"));
    EXPECT_EQ(RunProgram(old_program), 9);
    EXPECT_EQ(RunProgram(folder() + "_Mapvale"), 7);
}

}  // namespace
}  // namespace mapvale::update
