#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/card_info.h"
#include "platform/volumes.h"

namespace mapvale::card {

// The marker folders a card is searched for, split from "name;name;...". Bit i of a folder mask
// stands for the i-th name; a mask is a byte, so names after the eighth are dropped. Empty
// pieces keep their place (and their bit) but never match.
std::vector<std::string> SplitFolderList(std::string_view list);

// Versions recorded with fewer than eight digits are in the old unit: times 100. Negative values
// (never written) read as 0.
std::int32_t NormalizedRecordedVersion(std::int32_t field);

// Fills `card` for the drive `letter` (either case):
// - capacity and free from the volume's sizes; 0 (and `card` left reset) when it cannot report
//   them or no volume has the letter;
// - folder mask: the bits of the listed folders that exist on the card, AND `wanted_mask`; when
//   only the third folder exists, `wanted_mask` AND 2 instead;
// - product folder: root + the first listed name whose bit is in the mask (no trailing '/');
//   without one, where a unit of the wanted kind keeps it (DefaultProductFolder) when
//   `wanted_mask` is one unit kind (1, 2 or 8), or the root alone (with its '/');
// - model name from the first version file there (or, for the one package that lives under
//   "Program Files", from its version folder), and the recorded numbers from the product
//   folder's <model name>.ver;
// - map data: every file under the product folder (0 when the product folder is the root: the
//   whole card is not "map data"); user data: the product folder's "BackUp" tree plus the
//   sub-folders of "Data/Wav" (files directly in Data/Wav do not count);
// - drive kind: 2 for a fixed volume with a ready root, 1 for any other ready root, 0 otherwise.
// Runs on the caller's thread; walks the card's folders, so it takes a while on a full card.
int AnalyseCard(platform::Volumes& volumes, char letter, std::uint8_t wanted_mask,
                const std::vector<std::string>& folders, CardInfo& card);

// True for a floppy drive. A letter with no volume is not one.
bool IsFloppy(platform::Volumes& volumes, char letter);

// The drive kind of `letter` as AnalyseCard fills it: not ready when no volume has the letter.
DriveKind DriveKindOf(platform::Volumes& volumes, char letter);

}  // namespace mapvale::card
