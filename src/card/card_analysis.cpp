#include "card/card_analysis.h"

#include <filesystem>

#include "card/folder_size.h"
#include "card/product_folder.h"
#include "catalog/card_paths.h"
#include "catalog/version_header.h"
#include "platform/files.h"

namespace mapvale::card {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxFolders = 8;
constexpr std::int32_t kOldVersionLimit = 10000000;

DriveKind KindOf(const platform::Volume& volume) {
    if (!volume.root_ready) {
        return DriveKind::kNotReady;
    }
    return volume.kind == platform::VolumeKind::kFixed ? DriveKind::kHardDisk
                                                       : DriveKind::kRemovable;
}

bool IsUnitKind(std::uint8_t mask) {
    return mask == 1 || mask == 2 || mask == 8;
}

// A marker is one plain folder name directly under the root.
bool MarkerExists(const std::string& root, const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find('\\') != std::string::npos || !platform::SafeRelativePath(name)) {
        return false;
    }
    return platform::FolderExists(platform::JoinPath(root, name));
}

// Bytes of the sub-folders of `folder`; files directly in it do not count.
std::uint64_t SubFolderSizes(const std::string& folder) {
    std::uint64_t total = 0;
    std::error_code error;
    for (fs::directory_iterator list(folder, error); !error && list != fs::directory_iterator();
         list.increment(error)) {
        std::error_code type_error;
        if (!list->is_symlink(type_error) && list->is_directory(type_error)) {
            total += FolderSize(list->path().string());
        }
    }
    return total;
}

}  // namespace

std::vector<std::string> SplitFolderList(std::string_view list) {
    std::vector<std::string> names;
    if (list.empty()) {
        return names;
    }
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string_view::npos) {
            end = list.size();
        }
        names.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    // "a;" names one folder, not a second empty one.
    if (names.back().empty()) {
        names.pop_back();
    }
    if (names.size() > kMaxFolders) {
        names.resize(kMaxFolders);
    }
    return names;
}

std::int32_t NormalizedRecordedVersion(std::int32_t field) {
    if (field < 0) {
        return 0;
    }
    return field < kOldVersionLimit ? field * 100 : field;
}

int AnalyseCard(platform::Volumes& volumes, char letter, std::uint8_t wanted_mask,
                const std::vector<std::string>& folders, CardInfo& card) {
    card = CardInfo{};
    const std::optional<platform::Volume> volume = volumes.Find(letter);
    if (!volume) {
        return 0;
    }
    const std::optional<platform::VolumeSpace> space = volumes.Space(volume->letter);
    if (!space) {
        return 0;
    }
    card.letter = volume->letter;
    card.root = volume->root;

    std::uint8_t found = 0;
    for (std::size_t i = 0; i < folders.size() && i < kMaxFolders; ++i) {
        if (MarkerExists(card.root, folders[i])) {
            found = static_cast<std::uint8_t>(found | (1u << i));
        }
    }
    card.folder_mask =
        static_cast<std::uint8_t>(found == 4 ? (wanted_mask & 2u) : (wanted_mask & found));
    card.product_folder = card.root;
    bool listed = false;
    for (std::size_t i = 0; i < folders.size() && i < kMaxFolders; ++i) {
        if ((card.folder_mask & (1u << i)) != 0) {
            card.product_folder = platform::JoinPath(card.root, folders[i]);
            listed = true;
            break;
        }
    }
    // A card of one unit kind without a marker folder keeps its product where the install job
    // puts it; reading anywhere else would never find the version file the install wrote.
    if (!listed && IsUnitKind(wanted_mask)) {
        card.product_folder = DefaultProductFolder(card.root, wanted_mask);
    }
    const bool has_product_folder = card.product_folder != card.root;

    card.model_name = catalog::ReadCardModel(card.product_folder);
    if (card.model_name.empty()) {
        // The one package that keeps its files under "Program Files" keeps its version file
        // there too.
        const std::string program_files =
            catalog::ProgramFilesVersionFolder(card.product_folder, card.root);
        if (program_files != platform::NormalizePath(card.product_folder)) {
            std::string model = catalog::ReadCardModel(program_files);
            if (catalog::IsProgramFilesPackage(model)) {
                card.model_name = std::move(model);
            }
        }
    }
    const std::string version_folder =
        catalog::CardVersionFolder(card.product_folder, card.root, card.model_name);
    card.capacity_kb = KbFromBytes(space->total_bytes);
    card.free_kb = KbFromBytes(space->free_bytes);
    card.map_data_kb = has_product_folder ? KbFromBytes(FolderSize(card.product_folder)) : 0;
    card.user_data_kb =
        KbFromBytes(FolderSize(platform::JoinPath(card.product_folder, "BackUp")) +
                    SubFolderSizes(platform::JoinPath(card.product_folder, "Data/Wav")));
    if (const std::optional<catalog::VersionFileHeader> header =
            catalog::ReadCardHeader(version_folder, card.model_name)) {
        card.recorded_version = NormalizedRecordedVersion(header->map_version);
        card.recorded_number = header->second_version;
        card.recorded_text = header->version_label;
        card.completion_mark = header->completion_mark;
    }
    card.drive_kind = KindOf(*volume);
    return 1;
}

bool IsFloppy(platform::Volumes& volumes, char letter) {
    const std::optional<platform::Volume> volume = volumes.Find(letter);
    return volume && volume->floppy;
}

DriveKind DriveKindOf(platform::Volumes& volumes, char letter) {
    const std::optional<platform::Volume> volume = volumes.Find(letter);
    return volume ? KindOf(*volume) : DriveKind::kNotReady;
}

}  // namespace mapvale::card
