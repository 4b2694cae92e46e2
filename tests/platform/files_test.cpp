#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/sandbox.h"

namespace mapvale::platform {
namespace {

using testing::Sandbox;

TEST(FilesTest, PathsUseOneForwardSlash) {
    EXPECT_EQ(NormalizePath("D:\\\\maps"), "D:/maps");
    EXPECT_EQ(NormalizePath("a//b\\\\c/"), "a/b/c/");
    EXPECT_EQ(NormalizeFolder("D:\\\\maps"), "D:/maps/");
    EXPECT_EQ(NormalizeFolder("/data/"), "/data/");
    EXPECT_EQ(JoinPath("/data/", "/Pkg/x.ver"), "/data/Pkg/x.ver");
    EXPECT_EQ(JoinPath("/data", "Pkg\\x.ver"), "/data/Pkg/x.ver");
}

TEST(FilesTest, NamesThatLeaveTheirFolderAreRefused) {
    for (const char* bad : {"", "/etc/passwd", "\\etc\\passwd", "../x", "a/../../x", "a\\..\\b",
                            "C:x", "C:\\Windows", "..", ".", "./"}) {
        EXPECT_FALSE(SafeRelativePath(bad)) << bad;
    }
    EXPECT_FALSE(SafeRelativePath(std::string("a\0b", 3)));
    EXPECT_EQ(SafeRelativePath("MapData\\M03_Camera\\cam.dat"), "MapData/M03_Camera/cam.dat");
    EXPECT_EQ(SafeRelativePath("./a//b/./c"), "a/b/c");
    EXPECT_EQ(SafeRelativePath("a..b/..c"), "a..b/..c");
    EXPECT_EQ(SafeJoin("/card/Tarno/", "MapData/"), "/card/Tarno/MapData/");
    EXPECT_FALSE(SafeJoin("/card", "../other"));
}

TEST(FilesTest, FolderChainAndTreeDeletion) {
    Sandbox box;
    const std::string deep = box.Path("a/b\\c//d");
    ASSERT_TRUE(CreateFolderChain(deep));
    EXPECT_TRUE(FolderExists(box.Path("a/b/c/d")));
    EXPECT_TRUE(CreateFolderChain(deep));  // existing is fine

    box.Write("a/b/file.bin", "x");
    box.Write("a/b/c/ro.bin", "y");
    ::chmod(box.Path("a/b/c/ro.bin").c_str(), 0444);
    ::chmod(box.Path("a/b/c").c_str(), 0555);
    // A link out of the tree is removed, its target is not.
    const std::string outside = box.Write("keep/precious.txt", "keep");
    std::filesystem::create_directory_symlink(box.Path("keep"), box.Path("a/link"));

    EXPECT_TRUE(DeleteFolderTree(box.Path("a")));
    EXPECT_FALSE(FolderExists(box.Path("a")));
    EXPECT_EQ(Sandbox::Read(outside), "keep");
}

TEST(FilesTest, ReadOnlyFileIsDeleted) {
    Sandbox box;
    const std::string file = box.Write("ro.txt", "x");
    ::chmod(file.c_str(), 0444);
    EXPECT_TRUE(DeleteFileForce(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(DeleteFileForce(file));                  // already gone
    EXPECT_FALSE(DeleteFileForce(box.path().string()));  // never a folder
}

TEST(FilesTest, AtomicWriteReplacesWholeOrNothing) {
    Sandbox box;
    const std::string file = box.Path("Pkg.ver");
    ASSERT_TRUE(WriteFileAtomic(file, "old\n"));
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomic(file, "new\n"));
    EXPECT_EQ(ReadWholeFile(file), "new\n");
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replacement keeps the permissions

    // A target that cannot be replaced (a folder in its place) fails and leaves no temporary.
    std::filesystem::create_directory(box.Path("dir.ver"));
    box.Write("dir.ver/inside", "x");
    EXPECT_FALSE(WriteFileAtomic(box.Path("dir.ver"), "data"));
    EXPECT_FALSE(WriteFileAtomic(box.Path("missing/x.ver"), "data"));
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(box.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
    EXPECT_EQ(FileSize(file), 4u);
    EXPECT_FALSE(FileSize(box.Path("dir.ver")));
    EXPECT_FALSE(ReadWholeFile(box.Path("nothing")));
}

}  // namespace
}  // namespace mapvale::platform
