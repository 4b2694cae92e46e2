#include "ZipModule/volume_set.h"

#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace mapvale::zipmodule {
namespace {

using testing::Sandbox;

TEST(VolumeSetTest, ListsNumberedVolumesUpToTheFirstGapThenTheArchive) {
    Sandbox sandbox;
    sandbox.Write("Korea.000", "ab");
    sandbox.Write("Korea.001", "");
    sandbox.Write("Korea.002", "cde");
    sandbox.Write("Korea.004", "stray");
    sandbox.Write("Korea.zip", "f");

    const VolumeListing listing = ListVolumes(sandbox.Path("Korea.zip"));
    ASSERT_EQ(listing.problem, VolumeListing::Problem::kNone);
    ASSERT_EQ(listing.volumes.size(), 4u);
    EXPECT_EQ(listing.volumes[2].path, sandbox.Path("Korea.002"));
    EXPECT_EQ(listing.volumes[3].path, sandbox.Path("Korea.zip"));

    // Reads cross volume borders and pass over empty ones.
    VolumeReader reader(listing.volumes);
    EXPECT_EQ(reader.size(), 6u);
    char buffer[8] = {};
    EXPECT_EQ(reader.ReadAt(1, buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "bcdef");
    EXPECT_EQ(reader.ReadAt(6, buffer, 1), 0);
    EXPECT_TRUE(reader.ReadExact(2, buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "cde");

    // A volume that shrank after it was listed is a read failure, not a short stream.
    sandbox.Write("Korea.002", "c");
    EXPECT_EQ(reader.ReadAt(0, buffer, 6), -1);
    EXPECT_NE(reader.failure().find("Korea.002"), std::string::npos);
}

}  // namespace
}  // namespace mapvale::zipmodule
