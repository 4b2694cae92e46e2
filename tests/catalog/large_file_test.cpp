// Files of 2 GiB and more: their sizes do not fit a signed 32-bit number, and every reader of a
// package must still take them as the same size as the file on disk.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "catalog/card_state.h"
#include "catalog/package_info_parser.h"
#include "catalog/pc_state.h"
#include "catalog_fixtures.h"
#include "support/sandbox.h"

namespace mapvale::catalog {
namespace {

namespace fs = std::filesystem;
using mapvale::testing::Sandbox;
using testing::Device;

constexpr std::uint64_t kThreeGib = 3ull << 30;

// A file of `size` bytes that takes no room: a hole made with ftruncate.
void SparseFile(const std::string& path, std::uint64_t size) {
    fs::create_directories(fs::path(path).parent_path());
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    ::close(fd);
}

// The entry as the package information file states it, read by the real parser.
FileEntry ParsedEntry(std::string_view folder) {
    PackageInfo context;
    std::string text = "[FILE_0001]\r\nDEST_PATH=" + std::string(folder) + "\r\n";
    text += "AG_FILENAME=KOREA.map\r\n";
    text += "AG_FILESIZE=" + std::to_string(kThreeGib) + "\r\n";
    text += "AG_ZIPSIZE=3000000000\r\nAG_VER=7\r\n#\r\n";
    ParsePackageInfoText(context, text);
    EXPECT_EQ(context.entries.size(), 1u);
    return context.entries.empty() ? FileEntry{} : context.entries.front();
}

TEST(LargeFileTest, AThreeGibibyteFileIsCompleteOnThePcAndOnTheCard) {
    Sandbox sandbox;

    DeviceEntry pc_device = Device("PKG", 1);
    pc_device.files.push_back(ParsedEntry("Maps"));
    const FileEntry& on_pc = pc_device.files.front();
    EXPECT_EQ(on_pc.file_size, kThreeGib);
    EXPECT_EQ(on_pc.archive_size, 3000000000u);

    sandbox.Write("PKG/PKG.ver", "*|1|2|PKG|label|1|0|1\nMaps|KOREA.map|7|0\n");
    SparseFile(sandbox.Path("PKG/Maps/KOREA.map"), kThreeGib);
    ASSERT_EQ(ReadPcState(pc_device, sandbox.Path("PKG")), 1);
    EXPECT_EQ(on_pc.on_pc, 1);
    EXPECT_EQ(on_pc.needs_download, 0);
    EXPECT_EQ(on_pc.downloaded_version, 7);
    // The clean-up keeps what is complete.
    ScanPackageFolder(pc_device, sandbox.Path("PKG"), ScanMode::kCleanUp);
    EXPECT_TRUE(fs::exists(sandbox.Path("PKG/Maps/KOREA.map")));
    EXPECT_EQ(on_pc.needs_download, 0);

    DeviceEntry card_device = Device("TARNO_X");
    card_device.files.push_back(ParsedEntry("Tarno/MapData"));
    CardInfo card;
    card.root = sandbox.Path("card") + "/";
    card.product_folder = sandbox.Path("card/Tarno");
    sandbox.Write("card/Tarno/TARNO_X.ver",
                  "*|1|2|TARNO_X|label|2|5|1\nTarno/MapData|KOREA.map|7|0\n");
    SparseFile(sandbox.Path("card/Tarno/MapData/KOREA.map"), kThreeGib);
    ASSERT_EQ(ReadCardState(card_device, &card), 1);
    EXPECT_EQ(card_device.files.front().card_version, 7);
    EXPECT_EQ(card_device.files.front().selected, 0);
}

}  // namespace
}  // namespace mapvale::catalog
