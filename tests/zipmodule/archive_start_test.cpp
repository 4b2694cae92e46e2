#include "ZipModule/archive_start.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "support/sandbox.h"
#include "zipmodule/zip_fixture.h"

namespace mapvale::zipmodule {
namespace {

using Status = ArchiveStart::Status;
using testing::Sandbox;

ArchiveStart Find(const std::string& stream) {
    return FindArchiveStart(stream.size(),
                            [&](std::uint64_t offset, void* buffer, std::size_t length) {
                                if (offset > stream.size() || length > stream.size() - offset) {
                                    return false;
                                }
                                std::memcpy(buffer, stream.data() + offset, length);
                                return true;
                            });
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator());
    }
    return bytes;
}

class ArchiveStartTest : public ::testing::Test {
  protected:
    // An archive of two members, made by libzip, with an archive comment when one is given.
    std::string Archive(const std::string& comment = {}) {
        const std::string path = sandbox_.Path("a.zip");
        test::MakeZip(path, {test::File("one.txt", "first"), test::File("two.bin", "second")});
        if (!comment.empty()) {
            int error = 0;
            zip_t* archive = zip_open(path.c_str(), 0, &error);
            zip_set_archive_comment(archive, comment.data(),
                                    static_cast<zip_uint16_t>(comment.size()));
            zip_close(archive);
        }
        return test::ReadFile(path);
    }

    Sandbox sandbox_;
};

TEST_F(ArchiveStartTest, OrdinaryArchiveStartsAtZero) {
    const ArchiveStart start = Find(Archive());
    EXPECT_EQ(start.status, Status::kFound);
    EXPECT_EQ(start.offset, 0u);
}

TEST_F(ArchiveStartTest, StubInFrontIsSkipped) {
    const std::string stub = RandomBytes(5000, 1);
    const ArchiveStart start = Find(stub + Archive());
    EXPECT_EQ(start.status, Status::kFound);
    EXPECT_EQ(start.offset, stub.size());
}

TEST_F(ArchiveStartTest, EndRecordLookalikeInTheCommentIsPassedOver) {
    // A complete end record, pointing at a directory of 0x20 bytes that is not there.
    std::string fake("PK\x05\x06\0\0\0\0\1\0\1\0\x20\0\0\0\0\0\0\0\0\0", 22);
    const std::string archive = Archive("notes " + fake + " more notes");
    const ArchiveStart start = Find(archive);
    EXPECT_EQ(start.status, Status::kFound);
    EXPECT_EQ(start.offset, 0u);
    EXPECT_EQ(Find("stub" + archive).offset, 4u);
}

TEST_F(ArchiveStartTest, BrokenStreamsSayWhatIsWrong) {
    const std::string archive = Archive();
    EXPECT_EQ(Find(archive.substr(0, archive.size() - 5)).status, Status::kNoDirectoryEnd);
    EXPECT_EQ(Find("").status, Status::kNoDirectoryEnd);
    EXPECT_EQ(Find(RandomBytes(100000, 2)).status, Status::kNoDirectoryEnd);

    // Bytes cut out of the middle, as by a volume that came short.
    const ArchiveStart shortened = Find(archive.substr(0, 10) + archive.substr(17));
    EXPECT_EQ(shortened.status, Status::kMissingBytes);
    EXPECT_EQ(shortened.missing, 7u);

    // The end record intact, the directory overwritten.
    std::string damaged = archive;
    const std::size_t directory = damaged.find("PK\x01\x02");
    ASSERT_NE(directory, std::string::npos);
    damaged[directory] = 'X';
    EXPECT_EQ(Find(damaged).status, Status::kBadDirectory);

    const ArchiveStart unreadable =
        FindArchiveStart(1000, [](std::uint64_t, void*, std::size_t) { return false; });
    EXPECT_EQ(unreadable.status, Status::kReadError);
}

TEST_F(ArchiveStartTest, Zip64RecordsAreFollowedWithAndWithoutStub) {
    test::WriteFile(sandbox_.Path("in/data.txt"), std::string(3000, 'z'));
    test::MakeInfoZip(sandbox_.Path("z64.zip"), sandbox_.Path("in"), {"-fz"});
    const std::string archive = test::ReadFile(sandbox_.Path("z64.zip"));
    ASSERT_NE(archive.find("PK\x06\x06"), std::string::npos) << "zip -fz wrote no Zip64 record";

    EXPECT_EQ(Find(archive).status, Status::kFound);
    EXPECT_EQ(Find(archive).offset, 0u);
    const ArchiveStart start = Find(RandomBytes(777, 3) + archive);
    EXPECT_EQ(start.status, Status::kFound);
    EXPECT_EQ(start.offset, 777u);
}

}  // namespace
}  // namespace mapvale::zipmodule
