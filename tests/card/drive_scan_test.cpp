#include "card/drive_scan.h"

#include <gtest/gtest.h>

#include <map>

#include "model/messages.h"
#include "platform/message_queue.h"

namespace mapvale::card {
namespace {

using platform::Volume;
using platform::VolumeKind;

constexpr std::uint64_t kGb = 1024ull * 1024 * 1024;

// Volumes the test sets letter by letter; a drive without a size does not answer.
class FakeVolumes final : public platform::Volumes {
  public:
    void Put(char letter, VolumeKind kind, std::optional<std::uint64_t> total, bool ready = true,
             const std::string& id = {}) {
        Volume volume;
        volume.letter = letter;
        volume.root = std::string("/media/") + letter + "/";
        volume.kind = kind;
        volume.root_ready = ready;
        volume.id = id.empty() ? std::string(1, letter) : id;
        drives_[letter] = {volume, total};
    }
    void SetFloppy(char letter) { drives_[letter].volume.floppy = true; }
    void SetTotal(char letter, std::optional<std::uint64_t> total) {
        drives_[letter].total = total;
    }
    void Remove(char letter) { drives_.erase(letter); }

    std::vector<Volume> List() override {
        std::vector<Volume> out;
        for (const auto& [letter, drive] : drives_) {
            out.push_back(drive.volume);
        }
        return out;
    }
    std::optional<platform::VolumeSpace> Space(char letter) override {
        const auto found = drives_.find(letter);
        if (found == drives_.end() || !found->second.total) {
            return std::nullopt;
        }
        return platform::VolumeSpace{*found->second.total, 0, 0};
    }

  private:
    struct Drive {
        Volume volume;
        std::optional<std::uint64_t> total;
    };
    std::map<char, Drive> drives_;
};

DriveChange In(char letter) {
    return {letter, true};
}
DriveChange Out(char letter) {
    return {letter, false};
}
using Changes = std::vector<DriveChange>;

TEST(DriveScanTest, WhichDrivesAreReported) {
    FakeVolumes volumes;
    volumes.Put('A', VolumeKind::kRemovable, 2 * kGb);         // A: never, even a USB stick
    volumes.Put('C', VolumeKind::kFixed, 500 * kGb, false);    // the system's root
    volumes.Put('D', VolumeKind::kFixed, 100 * kGb);           // a plain data disk
    volumes.Put('E', VolumeKind::kRemovable, 2 * kGb, false);  // removable: readiness not needed
    volumes.Put('F', VolumeKind::kRemote, 2 * kGb);
    volumes.Put('G', VolumeKind::kCdRom, 2 * kGb);
    volumes.Put('H', VolumeKind::kRemovable, 2 * kGb);
    volumes.SetFloppy('H');
    volumes.Put('I', VolumeKind::kRemovable, std::nullopt);  // no size: not ready
    volumes.Put('J', VolumeKind::kRemovable, 614400ull * 1024 - 1);
    volumes.Put('K', VolumeKind::kRemovable, 614400ull * 1024);
    volumes.Put('L', VolumeKind::kRemovable, 16ull << 40);  // 16 TB: more than 32 bits of KB
    DriveScanner scanner;
    EXPECT_EQ(scanner.Scan(volumes), (Changes{In('D'), In('E'), In('K'), In('L')}));
    EXPECT_EQ(scanner.KnownLetters(), "DEKL");
    EXPECT_TRUE(scanner.Scan(volumes).empty());
}

TEST(DriveScanTest, ArrivalsComeBeforeRemovalsEachInLetterOrder) {
    FakeVolumes volumes;
    volumes.Put('F', VolumeKind::kRemovable, kGb);
    volumes.Put('G', VolumeKind::kRemovable, kGb);
    DriveScanner scanner;
    scanner.Scan(volumes);
    volumes.Remove('G');
    volumes.Remove('F');
    volumes.Put('H', VolumeKind::kRemovable, kGb);
    volumes.Put('E', VolumeKind::kRemovable, kGb);
    EXPECT_EQ(scanner.Scan(volumes), (Changes{In('E'), In('H'), Out('F'), Out('G')}));

    platform::MessageQueue queue;
    PostDriveChanges(queue, {In('E'), Out('G')});
    EXPECT_EQ(queue.Drain(),
              (std::vector<platform::Message>{{kMsgDriveChange, 'E' + 0x10000u, 1},
                                              {kMsgDriveChange, 'G' + 0x20000u, 0}}));
}

TEST(DriveScanTest, ADriveThatStopsAnsweringIsRemovedAndReportedAgainWhenItAnswers) {
    FakeVolumes volumes;
    volumes.Put('E', VolumeKind::kRemovable, kGb);  // a card slot keeps its letter
    DriveScanner scanner;
    EXPECT_EQ(scanner.Scan(volumes), (Changes{In('E')}));
    volumes.SetTotal('E', std::nullopt);  // card pulled from the slot
    EXPECT_EQ(scanner.Scan(volumes), (Changes{Out('E')}));
    EXPECT_TRUE(scanner.Scan(volumes).empty());
    volumes.SetTotal('E', kGb);  // and put back
    EXPECT_EQ(scanner.Scan(volumes), (Changes{In('E')}));
}

TEST(DriveScanTest, SmallDrivesAreNeverReportedNorRemoved) {
    FakeVolumes volumes;
    volumes.Put('E', VolumeKind::kRemovable, 512ull << 20);
    DriveScanner scanner;
    EXPECT_TRUE(scanner.Scan(volumes).empty());
    volumes.Remove('E');
    EXPECT_TRUE(scanner.Scan(volumes).empty());
}

TEST(DriveScanTest, ACardSwappedBetweenScansIsReportedAsNew) {
    FakeVolumes volumes;
    volumes.Put('E', VolumeKind::kRemovable, kGb, true, "first");
    DriveScanner scanner;
    scanner.Scan(volumes);
    volumes.Put('E', VolumeKind::kRemovable, 2 * kGb, true, "second");
    EXPECT_EQ(scanner.Scan(volumes), (Changes{In('E')}));  // the owner replaces its record
    volumes.Put('E', VolumeKind::kRemovable, 256ull << 20, true, "third");
    EXPECT_EQ(scanner.Scan(volumes), (Changes{Out('E')}));  // too small: the old one is gone
}

TEST(DriveScanTest, AFixedDriveWhoseRootIsNoLongerReadyIsRemoved) {
    FakeVolumes volumes;
    volumes.Put('D', VolumeKind::kFixed, 100 * kGb);
    DriveScanner scanner;
    scanner.Scan(volumes);
    volumes.Put('D', VolumeKind::kFixed, 100 * kGb, false);
    EXPECT_EQ(scanner.Scan(volumes), (Changes{Out('D')}));
    scanner.Reset();
    volumes.Put('D', VolumeKind::kFixed, 100 * kGb);
    EXPECT_EQ(scanner.Scan(volumes), (Changes{In('D')}));
}

}  // namespace
}  // namespace mapvale::card
