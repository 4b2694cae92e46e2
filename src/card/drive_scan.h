#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/message_target.h"
#include "platform/volumes.h"

namespace mapvale::card {

// Drives smaller than this many KB (600 MB) are never reported.
inline constexpr std::uint64_t kSmallestDriveKb = 614400;

struct DriveChange {
    char letter = 0;
    bool arrived = false;  // false: removed

    friend bool operator==(const DriveChange&, const DriveChange&) = default;
};

// The drive scan: which usable drives appeared and went away since the previous scan.
//
// A drive is a candidate when it is removable or fixed, is not A:, and is removable or has a
// ready root. A candidate not known from the previous scan arrives when it is not a floppy drive
// and reports a size of at least 600 MB; otherwise it is left out and looked at again next scan.
// A known drive is removed when it is gone, no longer a candidate, or no longer reports its size.
// A letter that now belongs to another volume than at the previous scan counts as new (an
// arrival replaces the old drive's record), so a card swapped between two scans is not missed.
// Only arrived drives that still answer are known afterwards: a removal is therefore always for
// a drive that was reported, and a drive that stops answering and answers again is reported
// again.
//
// Thread safety: none; one scanner belongs to one watcher.
class DriveScanner {
  public:
    // Arrivals in letter order, then removals in letter order.
    std::vector<DriveChange> Scan(platform::Volumes& volumes);
    // Forgets every known drive: the next scan reports all drives present as arrivals.
    void Reset() { known_.clear(); }
    // The letters known now, in order.
    std::string KnownLetters() const;

  private:
    struct Known {
        char letter;
        std::string id;
    };
    std::vector<Known> known_;
};

// wParam of the drive message: the letter's character code + 0x10000 (arrived) or + 0x20000.
platform::WParam DriveChangeWParam(const DriveChange& change);

// Posts one drive message per change, in order; lParam 1 while more follow, 0 on the last.
void PostDriveChanges(platform::MessageTarget& owner, const std::vector<DriveChange>& changes);

}  // namespace mapvale::card
