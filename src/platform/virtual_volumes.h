#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/volumes.h"

namespace mapvale::platform {

// Folders that act as memory cards, for the demo and the tests: each is a removable volume with a
// declared capacity whose free space is the capacity minus the bytes of the files in the folder.
// A card is "inserted" while its entry is declared and its folder exists; removing the entry or
// the folder pulls it.
//
// Configuration file (its path in $MAPVALE_VIRTUAL_VOLUMES), UTF-8 text, one card per line:
//
//     # letter  capacity  folder
//     E:        1G        /home/me/cards/first card
//     *         1536M     /home/me/cards/second
//
// - letter: "E" or "E:" (D to Z, either case) asks for that letter; "*" takes the highest free
//   letter. A letter that is taken when the card appears is replaced by the highest free one.
// - capacity: a whole number of bytes, optionally followed by K, M, G or T (powers of 1024) and
//   an optional "B"; at least 1 byte, at most 2^62.
// - folder: an absolute path, the rest of the line (spaces allowed, trailing spaces dropped).
// Blank lines and lines starting with '#' are ignored; a bad line is skipped (ParseConfig says
// why). The file is re-read at every listing, so editing it inserts and pulls cards; a file
// larger than 64 KiB is ignored, and at most 24 cards are read.

struct VirtualVolumeEntry {
    char letter = 0;  // 'D'..'Z', or 0 for the highest free letter
    std::uint64_t capacity_bytes = 0;
    std::string folder;  // absolute
};

struct VirtualVolumeConfig {
    std::vector<VirtualVolumeEntry> entries;
    std::vector<std::string> errors;  // "line 3: ...", one per skipped line
};

VirtualVolumeConfig ParseVirtualVolumeConfig(std::string_view text);

// Thread safety: every member may be called from any thread.
class VirtualVolumes final : public VolumeSource {
public:
    // Cards are only those inserted by Insert / SetInserted.
    VirtualVolumes() = default;
    // Also the cards of this configuration file (none while it is missing); empty = no file.
    explicit VirtualVolumes(std::string config_file);

    // $MAPVALE_VIRTUAL_VOLUMES when it is set and not empty.
    static std::optional<std::string> ConfigFileFromEnvironment();

    // Inserts a card; an inserted card with the same folder is replaced. A card pulled by Eject
    // comes back with its files.
    void Insert(VirtualVolumeEntry entry);
    // Pulls the inserted card of this folder; false when there was none. Its folder moves aside
    // to "<folder>.pulled" (unless that exists), so that what is still written to it fails as
    // on a real card whose mount point went away.
    bool Eject(std::string_view folder);
    // Replaces every inserted card at once (two cards that arrive together).
    void SetInserted(std::vector<VirtualVolumeEntry> entries);

    // Inserted cards first, then the file's; a folder listed twice counts once.
    std::vector<Volume> Current() override;
    // Walks the card's folder to count its bytes: cheap for test and demo cards, not meant for
    // folders of millions of files.
    std::optional<VolumeSpace> Space(const Volume& volume) override;

private:
    std::string config_file_;
    std::mutex mutex_;
    std::vector<VirtualVolumeEntry> inserted_;
    std::map<std::string, std::uint64_t> capacity_by_id_;
};

}  // namespace mapvale::platform
