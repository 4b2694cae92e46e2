#include "platform/formatter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "support/sandbox.h"

namespace mapvale::platform {
namespace {

using testing::Sandbox;

Volume VirtualCard(const Sandbox& box, const std::string& folder) {
    std::filesystem::create_directories(box.Path(folder));
    Volume volume;
    volume.letter = 'E';
    volume.root = box.Path(folder) + "/";
    volume.kind = VolumeKind::kRemovable;
    volume.is_virtual = true;
    volume.id = "virtual:E:" + folder;
    return volume;
}

// Sets an environment variable for one test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(FormatterTest, ErasingEmptiesTheFolderWithRisingProgress) {
    Sandbox box;
    box.Write("card/TSKN_Ver_Info/Map/a.dat", "a");
    box.Write("card/TSKN_Ver_Info/Map/b.dat", "b");
    box.Write("card/top.txt", "t");
    box.Write("card/locked/inner.txt", "i");
    ::chmod(box.Path("card/locked/inner.txt").c_str(), 0444);
    ::chmod(box.Path("card/locked").c_str(), 0555);
    // A link out of the card is removed; what it points at is not.
    const std::string outside = box.Write("keep/precious.txt", "keep");
    std::filesystem::create_directory_symlink(box.Path("keep"), box.Path("card/link"));

    std::vector<int> percents;
    EXPECT_EQ(EraseFolderContents(box.Path("card"), [&](int p) { percents.push_back(p); }),
              FormatOutcome::kDone);
    EXPECT_TRUE(std::filesystem::is_directory(box.Path("card")));
    EXPECT_TRUE(std::filesystem::is_empty(box.Path("card")));
    EXPECT_EQ(Sandbox::Read(outside), "keep");
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end()), percents.end());
}

TEST(FormatterTest, VirtualCardIsErasedThroughTheFormatter) {
    Sandbox box;
    const Volume card = VirtualCard(box, "cards/e");
    box.Write("cards/e/file.bin", "x");
    SystemFormatter formatter;
    EXPECT_EQ(formatter.Format(card, "FAT32", box.Path("data/"), nullptr), FormatOutcome::kDone);
    EXPECT_TRUE(std::filesystem::is_empty(box.Path("cards/e")));
}

TEST(FormatterTest, VolumesThatAreNotCardsAreRefusedUntouched) {
    Sandbox box;
    box.Write("cards/e/file.bin", "x");
    const Volume card = VirtualCard(box, "cards/e");
    const std::string data = box.Path("data/");
    SystemFormatter formatter;
    auto refused = [&](const Volume& volume, const std::string& data_folder) {
        EXPECT_FALSE(WhyNotFormat(volume, data_folder).empty());
        return formatter.Format(volume, "FAT", data_folder, nullptr) == FormatOutcome::kRefused;
    };

    EXPECT_TRUE(WhyNotFormat(card, data).empty());
    Volume fixed = card;
    fixed.kind = VolumeKind::kFixed;
    EXPECT_TRUE(refused(fixed, data));
    Volume system = card;
    system.system = true;
    EXPECT_TRUE(refused(system, data));
    Volume unlisted = card;
    unlisted.letter = 0;
    EXPECT_TRUE(refused(unlisted, data));
    EXPECT_TRUE(refused(card, ""));  // nothing to protect given: no format
    // The data folder (existing or not yet created) inside the card.
    EXPECT_TRUE(refused(card, box.Path("cards/e/data/")));
    EXPECT_TRUE(refused(card, box.Path("cards/e/not/yet/made/")));
    {
        ScopedEnv home("HOME", box.Path("cards/e/home"));
        EXPECT_TRUE(refused(card, data));
    }
    Volume whole_root = card;
    whole_root.root = "/";
    EXPECT_TRUE(refused(whole_root, data));
    Volume top_folder = card;
    top_folder.root = "/tmp/";
    EXPECT_TRUE(refused(top_folder, data));
    Volume gone = card;
    gone.root = box.Path("cards/missing/");
    EXPECT_TRUE(refused(gone, data));

    // A real stick "mounted" on a folder of the root file system is that file system.
    Volume real = card;
    real.is_virtual = false;
    real.device = "/dev/sdz9";
    EXPECT_TRUE(refused(real, data));
    Volume no_device = real;
    no_device.device.clear();
    EXPECT_TRUE(refused(no_device, data));

    EXPECT_EQ(Sandbox::Read(box.Path("cards/e/file.bin")), "x");
}

TEST(FormatterTest, WithoutAReachableDiskServiceNothingIsFormatted) {
    Sandbox box;
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + box.Path("no-such-socket"));
    int calls = 0;
    EXPECT_EQ(FormatWithDiskService("/dev/sdz9", "FAT32", [&](int) { ++calls; }),
              FormatOutcome::kUnavailable);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(FormatWithDiskService("sdz9", "FAT", nullptr), FormatOutcome::kRefused);
    EXPECT_EQ(FormatWithDiskService("/dev/", "FAT", nullptr), FormatOutcome::kRefused);
}

}  // namespace
}  // namespace mapvale::platform
