#include "card/drive_scan.h"

#include <algorithm>

#include "model/messages.h"

namespace mapvale::card {

namespace {

bool IsCandidate(const platform::Volume& volume) {
    const bool removable = volume.kind == platform::VolumeKind::kRemovable;
    const bool fixed = volume.kind == platform::VolumeKind::kFixed;
    return (removable || fixed) && volume.letter != 'A' && (volume.root_ready || removable);
}

bool BigEnough(const std::optional<platform::VolumeSpace>& space) {
    return space && space->total_bytes / 1024 >= kSmallestDriveKb;
}

}  // namespace

std::vector<DriveChange> DriveScanner::Scan(platform::Volumes& volumes) {
    const std::vector<platform::Volume> listed = volumes.List();
    std::vector<DriveChange> arrivals;
    std::vector<DriveChange> removals;
    std::vector<Known> next;
    std::string replaced;  // known letters that another volume has taken since the last scan

    for (const Known& known : known_) {
        const auto now = std::find_if(listed.begin(), listed.end(), [&](const platform::Volume& v) {
            return v.letter == known.letter;
        });
        if (now == listed.end() || !IsCandidate(*now)) {
            removals.push_back({known.letter, false});
        } else if (now->id != known.id) {
            replaced.push_back(known.letter);
        } else if (!volumes.Space(known.letter)) {
            removals.push_back({known.letter, false});
        } else {
            next.push_back(known);
        }
    }
    for (const platform::Volume& volume : listed) {
        const bool still_known = std::any_of(
            next.begin(), next.end(), [&](const Known& k) { return k.letter == volume.letter; });
        if (!IsCandidate(volume) || still_known || volume.floppy ||
            !BigEnough(volumes.Space(volume.letter))) {
            continue;
        }
        arrivals.push_back({volume.letter, true});
        next.push_back({volume.letter, volume.id});
        std::erase(replaced, volume.letter);
    }
    // A replaced drive whose successor is not reported is gone as far as the owner can tell.
    for (char letter : replaced) {
        removals.push_back({letter, false});
    }
    std::sort(removals.begin(), removals.end(),
              [](const DriveChange& a, const DriveChange& b) { return a.letter < b.letter; });
    std::sort(next.begin(), next.end(),
              [](const Known& a, const Known& b) { return a.letter < b.letter; });
    known_ = std::move(next);
    arrivals.insert(arrivals.end(), removals.begin(), removals.end());
    return arrivals;
}

std::string DriveScanner::KnownLetters() const {
    std::string letters;
    for (const Known& known : known_) {
        letters.push_back(known.letter);
    }
    return letters;
}

platform::WParam DriveChangeWParam(const DriveChange& change) {
    return static_cast<platform::WParam>(static_cast<unsigned char>(change.letter)) +
           (change.arrived ? kDriveArrived : kDriveRemoved);
}

void PostDriveChanges(platform::MessageTarget& owner, const std::vector<DriveChange>& changes) {
    for (std::size_t i = 0; i < changes.size(); ++i) {
        owner.Post(kMsgDriveChange, DriveChangeWParam(changes[i]), i + 1 < changes.size() ? 1 : 0);
    }
}

}  // namespace mapvale::card
