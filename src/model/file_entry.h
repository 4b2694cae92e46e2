#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/shared_value.h"

namespace mapvale {

// Where one file of a package stands. The download worker and the install worker meet only
// through these values: kDownloaded hands a file to the install stage.
enum class FileStatus : int {
    kNotInJob = 0,  // not selected, or cleared after an error
    kToFetch = 1,   // to fetch, or stopped; fetched again next time
    kDownloading = 2,
    kJoining = 3,  // spans complete, joining
    kUnpacking = 4,
    kDownloaded = 5,    // extracted on the PC, waiting for (or skipped by) the install
    kCopying = 6,       // being copied to the card
    kOnCard = 7,        // on the card in this version
    kReconnecting = 8,  // connection dropped, reconnecting
};

// One item of a [FILE_ or [FOLDER_ section of a package information file, with the state that
// the catalogue, the download engine and the install job keep for it.
struct FileEntry {
    // Keyed fields of the package information file.
    std::int32_t error = 0;           // ERROR
    std::string information_path;     // FILEINFO_PATH: root URL + '/' + value (the folder URL)
    std::string destination_path;     // DEST_PATH: folder on the card, relative
    std::string product_information;  // PRODUCT_INFO
    std::string file_name;            // AG_FILENAME; an item is stored only when not empty
    std::uint32_t file_size = 0;      // AG_FILESIZE, bytes of the extracted file (below 4 GiB)
    std::uint32_t crc = 0;            // AG_FILECRC, read as an unsigned 32-bit number
    std::int32_t part_count = 0;      // AG_NUMSPAN
    std::string archive_name;         // AG_ZIPNAME, base.ext
    std::string last_part_name;       // AG_LASTNAME
    std::uint32_t archive_size = 0;   // AG_ZIPSIZE, sum of all spans (below 4 GiB)
    std::int32_t folder_size = 0;     // AG_FOLDERSIZE
    std::int32_t depth = 0;           // AG_DEPTH
    std::string folder_name;          // FOLDER_NAME
    std::int32_t package_number = 0;  // AG_PACKAGE
    std::int32_t version = 0;         // AG_VER

    // Filing by category (package step).
    std::string category;                      // display name of the category, or "알수없음"
    std::array<std::int32_t, 6> attributes{};  // category attributes 1-6, [0] is attribute 1

    // Catalogue state, from the version files and what lies on disk. The two versions are also
    // written by the workers (a file downloaded, a file installed) while the lists read them.
    std::int32_t on_pc = 0;  // the extracted file or its first span is on the PC
    SharedValue<std::int32_t> downloaded_version = -1;  // AG_VER of the copy on the PC, -1 none
    std::int32_t needs_download = 1;
    SharedValue<std::int32_t> partial = 0;        // only spans of the current version lie on the PC
    SharedValue<std::int32_t> card_version = -1;  // version recorded on the card, -1 = none
    std::int32_t selected = 0;                    // to be installed
    std::int32_t option_value = 0;                // per-file choice, e.g. the map colour of a theme

    // Shared between the download worker, the install worker and the user-interface thread.
    SharedValue<FileStatus> status = FileStatus::kNotInJob;
    SharedValue<std::int32_t> percent = 0;  // download percentage shown in the list
};

}  // namespace mapvale
