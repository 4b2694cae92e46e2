#include "platform/file_copy.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "support/sandbox.h"

namespace mapvale::platform {
namespace {

using testing::Sandbox;
namespace fs = std::filesystem;

using Calls = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

CopyProgress Recorder(Calls& calls, CopyProgressAction action = CopyProgressAction::kContinue) {
    return [&calls, action](std::uint64_t total, std::uint64_t done) {
        calls.emplace_back(total, done);
        return action;
    };
}

std::string Pattern(std::size_t bytes) {
    std::string text(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) {
        text[i] = static_cast<char>('a' + i * 7 % 26);
    }
    return text;
}

// Names in `folder` other than `except`: a copy must leave no temporary file behind.
std::vector<std::string> Leftovers(const std::string& folder, const std::string& except) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != except) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

TEST(FileCopyTest, CopiesInChunksWithProgressAndKeepsAttributes) {
    Sandbox box;
    const std::size_t size = 2 * kCopyChunkBytes + 1000;
    const std::string source = box.Write("src/map.dat", Pattern(size));
    ::chmod(source.c_str(), 0640);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1600000000, 0}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);
    fs::create_directories(box.Path("card"));

    Calls calls;
    const CopyOutcome outcome =
        CopyFileWithProgress(source, box.Path("card/map.dat"), Recorder(calls));
    EXPECT_EQ(outcome.result, CopyResult::kDone);
    EXPECT_EQ(outcome.bytes, size);
    EXPECT_EQ(Sandbox::Read(box.Path("card/map.dat")), Pattern(size));
    EXPECT_EQ(
        calls,
        (Calls{{size, 0}, {size, kCopyChunkBytes}, {size, 2 * kCopyChunkBytes}, {size, size}}));
    struct stat info {};
    ASSERT_EQ(::stat(box.Path("card/map.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_mtim.tv_sec, 1600000000);
    EXPECT_TRUE(Leftovers(box.Path("card"), "map.dat").empty());
}

TEST(FileCopyTest, AnEmptyFileGetsOneCompleteCall) {
    Sandbox box;
    const std::string source = box.Write("empty.bin", "");
    Calls calls;
    EXPECT_EQ(CopyFileWithProgress(source, box.Path("copy.bin"), Recorder(calls)).result,
              CopyResult::kDone);
    EXPECT_EQ(calls, (Calls{{0, 0}}));
    EXPECT_TRUE(fs::exists(box.Path("copy.bin")));
}

TEST(FileCopyTest, AQuietCallbackIsNotCalledAgain) {
    Sandbox box;
    const std::string source = box.Write("a.bin", Pattern(kCopyChunkBytes + 1));
    Calls calls;
    EXPECT_EQ(
        CopyFileWithProgress(source, box.Path("b.bin"), Recorder(calls, CopyProgressAction::kQuiet))
            .result,
        CopyResult::kDone);
    EXPECT_EQ(calls.size(), 1u);
}

TEST(FileCopyTest, ReplacesAFileButNeverAFolder) {
    Sandbox box;
    const std::string source = box.Write("new.bin", "new");
    const std::string target = box.Write("card/x.bin", "old, longer text");
    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(CopyFileWithProgress(source, target, {}).result, CopyResult::kDone);
    EXPECT_EQ(Sandbox::Read(target), "new");

    box.Write("card/folder/keep.txt", "keep");
    const CopyOutcome outcome = CopyFileWithProgress(source, box.Path("card/folder"), {});
    EXPECT_EQ(outcome.result, CopyResult::kTargetError);
    EXPECT_EQ(outcome.error_number, EISDIR);
    EXPECT_EQ(Sandbox::Read(box.Path("card/folder/keep.txt")), "keep");
    EXPECT_TRUE(Leftovers(box.Path("card"), "x.bin") == std::vector<std::string>{"folder"});
}

TEST(FileCopyTest, ACancelMidwayLeavesTheOldTargetAndNoTemporaryFile) {
    Sandbox box;
    const std::string source = box.Write("big.bin", Pattern(3 * kCopyChunkBytes));
    const std::string target = box.Write("card/big.bin", "old");
    int calls = 0;
    const CopyOutcome by_callback =
        CopyFileWithProgress(source, target, [&calls](std::uint64_t, std::uint64_t done) {
            ++calls;
            return done >= kCopyChunkBytes ? CopyProgressAction::kCancel
                                           : CopyProgressAction::kContinue;
        });
    EXPECT_EQ(by_callback.result, CopyResult::kCancelled);
    EXPECT_EQ(by_callback.bytes, kCopyChunkBytes);
    EXPECT_EQ(calls, 2);

    std::atomic<bool> cancel{false};
    const CopyOutcome by_flag = CopyFileWithProgress(
        source, target,
        [&cancel](std::uint64_t, std::uint64_t done) {
            if (done > 0) {
                cancel = true;
            }
            return CopyProgressAction::kContinue;
        },
        &cancel);
    EXPECT_EQ(by_flag.result, CopyResult::kCancelled);
    EXPECT_EQ(by_flag.bytes, kCopyChunkBytes);

    EXPECT_EQ(Sandbox::Read(target), "old");
    EXPECT_TRUE(Leftovers(box.Path("card"), "big.bin").empty());
}

TEST(FileCopyTest, FailuresSayWhichSide) {
    Sandbox box;
    const std::string source = box.Write("a.bin", "a");
    EXPECT_EQ(CopyFileWithProgress(box.Path("missing"), box.Path("b.bin"), {}).result,
              CopyResult::kSourceError);
    EXPECT_EQ(CopyFileWithProgress(box.Path(), box.Path("b.bin"), {}).result,
              CopyResult::kSourceError);
    const CopyOutcome no_folder = CopyFileWithProgress(source, box.Path("gone/b.bin"), {});
    EXPECT_EQ(no_folder.result, CopyResult::kTargetError);
    EXPECT_EQ(no_folder.error_number, ENOENT);
    EXPECT_FALSE(fs::exists(box.Path("b.bin")));
}

TEST(FileCopyTest, CopiesAcrossFileSystemsWithItsOwnBuffer) {
    // The kernel refuses to copy between two file systems; the read/write loop takes over.
    Sandbox box;
    std::string shm = "/dev/shm/mapvale-copy-XXXXXX";
    if (!fs::is_directory("/dev/shm") || ::mkdtemp(shm.data()) == nullptr) {
        GTEST_SKIP() << "no /dev/shm";
    }
    const std::string source = shm + "/big.bin";
    {
        std::FILE* file = std::fopen(source.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string bytes = Pattern(kCopyChunkBytes + 12345);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    Calls calls;
    const CopyOutcome outcome = CopyFileWithProgress(source, box.Path("big.bin"), Recorder(calls));
    fs::remove_all(shm);
    EXPECT_EQ(outcome.result, CopyResult::kDone);
    EXPECT_EQ(Sandbox::Read(box.Path("big.bin")), Pattern(kCopyChunkBytes + 12345));
    EXPECT_EQ(calls.back(), std::make_pair(std::uint64_t{kCopyChunkBytes + 12345},
                                           std::uint64_t{kCopyChunkBytes + 12345}));
}

TEST(FileCopyTest, OnlyCopyLeftoversAreSwept) {
    Sandbox box;
    box.Write("card/.mvcopy-Ab12Cd", "partial");
    box.Write("card/.mvcopy-long-name", "the user's");
    box.Write("card/sub/.mvcopy-Zz9999", "not this folder's");
    std::filesystem::create_directory(box.Path("card/.mvcopy-Folder"));
    EXPECT_EQ(SweepCopyLeftovers(box.Path("card")), 1);
    EXPECT_FALSE(std::filesystem::exists(box.Path("card/.mvcopy-Ab12Cd")));
    EXPECT_TRUE(std::filesystem::exists(box.Path("card/.mvcopy-long-name")));
    EXPECT_TRUE(std::filesystem::exists(box.Path("card/sub/.mvcopy-Zz9999")));
    EXPECT_TRUE(std::filesystem::exists(box.Path("card/.mvcopy-Folder")));
    EXPECT_EQ(SweepCopyLeftovers(box.Path("missing")), 0);
}

TEST(FileCopyTest, FlushNeedsAnExistingPath) {
    Sandbox box;
    EXPECT_TRUE(FlushFileSystem(box.Path()));
    EXPECT_FALSE(FlushFileSystem(box.Path("missing")));
}

}  // namespace
}  // namespace mapvale::platform
