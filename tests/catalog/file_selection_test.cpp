#include "catalog/file_selection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "catalog_fixtures.h"
#include "support/sandbox.h"

namespace mapvale::catalog {
namespace {

using mapvale::testing::Sandbox;
using testing::Attribute;
using testing::Device;
using testing::Entry;

// One file per attribute rule; the names say which attribute is set.
std::vector<FileEntry> VariantFiles() {
    return {
        Entry("all", "", 10, 1, Attribute(3, 1)),
        Entry("1gb", "", 20, 1, Attribute(4, 1)),
        Entry("2gb-1", "", 30, 1, Attribute(5, 1)),
        Entry("2gb-2", "", 40, 1, Attribute(5, 2)),
        Entry("2gb-3", "", 50, 1, Attribute(5, 3)),
        Entry("4gb", "", 60, 1, Attribute(6, 1)),
        Entry("none", "", 70, 1),
    };
}

std::set<std::string> SelectedNames(const DeviceEntry& device) {
    std::set<std::string> names;
    for (const FileEntry& entry : device.files) {
        if (entry.selected != 0) {
            names.insert(entry.file_name);
        }
    }
    return names;
}

class FileSelectionTest : public ::testing::Test {
protected:
    std::string Folder() const { return sandbox_.Path("PKG"); }
    Sandbox sandbox_;
};

TEST_F(FileSelectionTest, VariantRules) {
    struct Case {
        std::int32_t kind, sub_kind, install_type;
        std::set<std::string> selected;
    };
    const Case cases[] = {
        {2, 1, 1, {"all", "1gb"}},
        {2, 1, 2, {"all", "2gb-1", "2gb-2"}},
        {2, 2, 2, {"all", "2gb-1", "2gb-3"}},
        {1, 2, 2, {"all", "2gb-1", "2gb-2", "2gb-3"}},
        {8, 1, 2, {"all"}},
        {2, 1, 4, {"all", "4gb"}},
        {1, 1, 0, {"all"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "kind " << c.kind << "/" << c.sub_kind << " type " << c.install_type);
        DeviceEntry device = Device("PKG", c.kind, c.sub_kind);
        device.install_type = c.install_type;
        device.files = VariantFiles();
        SelectFiles(device, Folder());
        EXPECT_EQ(SelectedNames(device), c.selected);
        std::int64_t download = 0;
        std::uint32_t installed = 0;
        for (const FileEntry& entry : device.files) {
            const bool selected = entry.selected != 0;
            EXPECT_EQ(entry.status.load(), selected ? FileStatus::kToFetch : FileStatus::kNotInJob)
                << entry.file_name;
            if (selected) {
                download += entry.archive_size;
                installed += static_cast<std::uint32_t>(entry.file_size);
            }
        }
        EXPECT_EQ(device.download_size, download);
        EXPECT_EQ(device.installed_size, installed);
        EXPECT_EQ(device.downloaded_count, 0);
    }
}

TEST_F(FileSelectionTest, TheInstalledSizeIsTheRoomTheCardNeeds) {
    DeviceEntry device = Device("PKG", 8, 1);
    device.install_type = 4;
    device.files = {Entry("map", "", 600 * 1024 * 1024, 1, Attribute(3, 1)),
                    Entry("poi", "", 80 * 1024 * 1024, 1, Attribute(3, 1)),
                    Entry("1gb", "", 50 * 1024 * 1024, 1, Attribute(4, 1))};
    SelectFiles(device, Folder());
    EXPECT_EQ(device.needed_kb, 680u * 1024);
    device.install_type = 1;
    SelectFiles(device, Folder());
    EXPECT_EQ(device.needed_kb, 730u * 1024);
}

TEST_F(FileSelectionTest, DownloadedFilesAreInstalledUnlessTheCardHasThem) {
    DeviceEntry device = Device("PKG", 2, 1);
    device.install_type = 1;
    device.files = {Entry("on-card", "", 4, 2, Attribute(3, 1)),
                    Entry("on-pc", "", 4, 2, Attribute(3, 1)),
                    Entry("elsewhere", "", 4, 2, Attribute(6, 1))};
    for (FileEntry& entry : device.files) {
        entry.needs_download = 0;
        entry.downloaded_version = 2;
    }
    device.files[0].card_version = 2;
    device.files[2].card_version = 2;  // not in this variant, but the card has it
    SelectFiles(device, Folder());
    EXPECT_EQ(device.files[0].status.load(), FileStatus::kOnCard);
    EXPECT_EQ(device.files[1].status.load(), FileStatus::kDownloaded);
    EXPECT_EQ(device.files[2].status.load(), FileStatus::kOnCard);
    EXPECT_EQ(device.files[2].selected, 0);
    EXPECT_EQ(device.downloaded_count, 2);

    // The card is erased before a formatting install: nothing stays "on the card".
    device.format_option = 1;
    SelectFiles(device, Folder());
    for (const FileEntry& entry : device.files) {
        EXPECT_NE(entry.status.load(), FileStatus::kOnCard) << entry.file_name;
    }
    EXPECT_EQ(device.files[0].status.load(), FileStatus::kDownloaded);
}

class ColourRuleTest : public FileSelectionTest {
protected:
    ColourRuleTest() : device_(Device("PKG", 2, 1)) {
        device_.install_type = 1;
        device_.files = {
            Entry("ThemeStyle_basic.bin", "Tarno/Data", 100, 5, Attribute(3, 1)),
            Entry("ThemeStyle_night.bin", "Tarno/Data", 100, 5, Attribute(3, 1)),
            Entry("ThemeStyle_basic_low.bin", "Tarno/Data", 100, 5, Attribute(3, 1)),
            Entry("ThemeStyle_night_low.bin", "Tarno/Data", 100, 5, Attribute(3, 1)),
        };
        // Everything downloaded, and the card holds the normal colours in this version.
        for (FileEntry& entry : device_.files) {
            entry.needs_download = 0;
            entry.downloaded_version = 5;
            entry.card_version = 5;
        }
        device_.card_header.colour = 1;
    }

    DeviceEntry device_;
};

TEST_F(ColourRuleTest, KeepingTheCardsColourInstallsNothing) {
    device_.colour = 1;
    SelectFiles(device_, Folder());
    for (std::size_t i : {0u, 1u}) {
        EXPECT_EQ(device_.files[i].selected, 0);
        EXPECT_EQ(device_.files[i].status.load(), FileStatus::kOnCard);
    }
    for (std::size_t i : {2u, 3u}) {
        EXPECT_EQ(device_.files[i].selected, 0);
        EXPECT_EQ(device_.files[i].needs_download, 0);
        EXPECT_EQ(device_.files[i].status.load(), FileStatus::kNotInJob);
    }
    // Only the wanted colour counts, each file once.
    EXPECT_EQ(device_.installed_size, 200u);
    EXPECT_EQ(device_.download_size, 100);
}

TEST_F(ColourRuleTest, ChangingTheColourInstallsTheOtherSet) {
    device_.colour = 2;
    device_.files[3].downloaded_version = 4;  // an older copy on the PC
    SelectFiles(device_, Folder());
    for (std::size_t i : {0u, 1u}) {
        EXPECT_EQ(device_.files[i].selected, 0);
        EXPECT_EQ(device_.files[i].status.load(), FileStatus::kNotInJob);
    }
    EXPECT_EQ(device_.files[2].selected, 1);  // versions match, but the card has other colours
    EXPECT_EQ(device_.files[2].status.load(), FileStatus::kDownloaded);
    EXPECT_EQ(device_.files[3].selected, 1);
    EXPECT_EQ(device_.files[3].needs_download, 1);
    EXPECT_EQ(device_.files[3].status.load(), FileStatus::kToFetch);
    EXPECT_EQ(device_.installed_size, 200u);

    // Back on a card that holds the deep colours.
    device_.card_header.colour = 2;
    device_.files[3].downloaded_version = 5;
    SelectFiles(device_, Folder());
    EXPECT_EQ(device_.files[2].status.load(), FileStatus::kOnCard);
    EXPECT_EQ(device_.files[3].status.load(), FileStatus::kOnCard);
    device_.format_option = 1;
    SelectFiles(device_, Folder());
    EXPECT_EQ(device_.files[2].status.load(), FileStatus::kDownloaded);
    EXPECT_EQ(device_.files[3].status.load(), FileStatus::kDownloaded);
}

TEST_F(ColourRuleTest, APackageWithoutDeepColoursUsesNormalColours) {
    device_.files.resize(2);
    device_.colour = 2;
    SelectFiles(device_, Folder());
    EXPECT_EQ(device_.colour, 1);
    EXPECT_EQ(device_.files[0].status.load(), FileStatus::kOnCard);
}

TEST_F(FileSelectionTest, SpecialInstallTypesKeepTheJobsFiles) {
    DeviceEntry device = Device("PKG", 2, 1);
    device.files = {Entry("idle", "", 4, 1), Entry("fetch", "", 4, 1), Entry("ready", "", 4, 1),
                    Entry("on-card", "", 4, 1)};
    device.files[1].status = FileStatus::kToFetch;
    device.files[2].status = FileStatus::kDownloaded;
    device.files[2].needs_download = 0;
    device.files[3].status = FileStatus::kToFetch;
    device.files[3].card_version = 1;
    for (FileEntry& entry : device.files) {
        entry.selected = 1;
    }

    device.install_type = 200;  // keeps the selection of the files outside the job
    SelectFiles(device, Folder());
    EXPECT_EQ(device.files[0].selected, 1);
    EXPECT_EQ(device.files[0].status.load(), FileStatus::kNotInJob);
    EXPECT_EQ(device.files[1].status.load(), FileStatus::kToFetch);
    EXPECT_EQ(device.files[2].status.load(), FileStatus::kDownloaded);
    EXPECT_EQ(device.files[3].status.load(), FileStatus::kOnCard);
    EXPECT_EQ(device.installed_size, 12u);
    SelectFiles(device, Folder());
    EXPECT_EQ(device.installed_size, 8u);  // on-card has left status 1-5

    device.install_type = 100;
    device.files[3].status = FileStatus::kToFetch;
    SelectFiles(device, Folder());
    EXPECT_EQ(SelectedNames(device), (std::set<std::string>{"fetch", "ready", "on-card"}));
    EXPECT_EQ(device.installed_size, 12u);
    EXPECT_EQ(device.downloaded_count, 1);
}

// The controller hands the scan "<data folder><model name>/". A model name the server made
// empty, "." or a path turns that into the data folder itself or another folder, whose files
// the catalogue does not name: the clean-up must leave every one of them alone.
TEST_F(FileSelectionTest, CleanUpNeverRunsOutsideTheFolderOfAPlainPackageName) {
    sandbox_.Write("data/Log/traffic.log", "the traffic log");
    sandbox_.Write("data/OTHER/OTHER.ver", "*|1|1|OTHER|x|1|0|1\n");
    sandbox_.Write("data/OTHER/map.bin", "another package's download");
    sandbox_.Write("data/my_photo.jpg", "the user's own file");
    const std::string data = sandbox_.Path("data") + "/";
    for (const std::string name : {"", ".", "..", "OTHER/..", "/", "a/b"}) {
        SCOPED_TRACE("model name '" + name + "'");
        DeviceEntry device = Device(name, 2, 1);
        device.install_type = 1;
        device.files = VariantFiles();
        SelectFiles(device, data + name + "/");
        EXPECT_EQ(Sandbox::Read(data + "Log/traffic.log"), "the traffic log");
        EXPECT_EQ(Sandbox::Read(data + "OTHER/map.bin"), "another package's download");
        EXPECT_EQ(Sandbox::Read(data + "my_photo.jpg"), "the user's own file");
    }
    // A folder of another name is not this package's either, even with a plain name.
    DeviceEntry device = Device("PKG", 2, 1);
    device.install_type = 1;
    device.files = VariantFiles();
    SelectFiles(device, data + "OTHER/");
    EXPECT_EQ(Sandbox::Read(data + "OTHER/map.bin"), "another package's download");

    // Its own folder is still cleaned.
    sandbox_.Write("data/PKG/stray.bin", "left over");
    SelectFiles(device, data + "PKG/");
    EXPECT_FALSE(std::filesystem::exists(data + "PKG/stray.bin"));
}

}  // namespace
}  // namespace mapvale::catalog
