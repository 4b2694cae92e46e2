#include "platform/virtual_volumes.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/files.h"
#include "platform/text.h"

namespace mapvale::platform {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxConfigBytes = 64 * 1024;
constexpr std::size_t kMaxCards = 24;
constexpr std::uint64_t kMaxCapacity = std::uint64_t{1} << 62;

// A card's folder without its trailing separator.
fs::path CardFolder(const std::string& root) {
    std::string folder = root;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return fs::path(folder);
}

// Where a pulled card's files wait for the card to come back: beside its folder, so that the
// folder's own path leads nowhere, as a real card's mount point does once it is pulled.
fs::path PulledPlace(const std::string& root) {
    fs::path place = CardFolder(root);
    place += ".pulled";
    return place;
}

// The next white-space separated word of `text`, which loses it.
std::string_view TakeWord(std::string_view& text) {
    text = TrimText(text);
    std::size_t end = 0;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) {
        ++end;
    }
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

std::optional<char> ParseLetter(std::string_view word) {
    if (word == "*") {
        return '\0';
    }
    if (word.size() == 2 && word[1] == ':') {
        word.remove_suffix(1);
    }
    if (word.size() != 1) {
        return std::nullopt;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    if (letter < 'D' || letter > 'Z') {
        return std::nullopt;
    }
    return letter;
}

std::optional<std::uint64_t> ParseCapacity(std::string_view word) {
    std::uint64_t value = 0;
    std::size_t i = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        if (value > kMaxCapacity / 10) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(word[i] - '0');
    }
    if (i == 0) {
        return std::nullopt;
    }
    std::string unit(word.substr(i));
    for (char& c : unit) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (!unit.empty() && unit != "B" && unit.back() == 'B') {
        unit.pop_back();
    }
    int shift = 0;
    if (unit == "K") {
        shift = 10;
    } else if (unit == "M") {
        shift = 20;
    } else if (unit == "G") {
        shift = 30;
    } else if (unit == "T") {
        shift = 40;
    } else if (!unit.empty() && unit != "B") {
        return std::nullopt;
    }
    if (value == 0 || value > (kMaxCapacity >> shift)) {
        return std::nullopt;
    }
    return value << shift;
}

// Bytes of the regular files under `folder`; links are not followed.
std::uint64_t BytesUnder(const std::string& folder) {
    std::uint64_t total = 0;
    std::error_code error;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        std::error_code entry_error;
        if (walk->is_regular_file(entry_error) && !walk->is_symlink(entry_error)) {
            const std::uintmax_t size = walk->file_size(entry_error);
            if (!entry_error) {
                total += size;
            }
        }
    }
    return total;
}

std::string IdOf(const VirtualVolumeEntry& entry, const std::string& root) {
    return std::string("virtual:") + (entry.letter != 0 ? entry.letter : '*') + ":" + root;
}

}  // namespace

VirtualVolumeConfig ParseVirtualVolumeConfig(std::string_view text) {
    VirtualVolumeConfig config;
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = TrimText(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        auto fail = [&](const char* why) {
            config.errors.push_back("line " + std::to_string(number) + ": " + why);
        };
        if (config.entries.size() >= kMaxCards) {
            fail("too many cards");
            continue;
        }
        const std::optional<char> letter = ParseLetter(TakeWord(line));
        if (!letter) {
            fail("the letter must be D to Z or *");
            continue;
        }
        const std::optional<std::uint64_t> capacity = ParseCapacity(TakeWord(line));
        if (!capacity) {
            fail("bad capacity");
            continue;
        }
        const std::string_view folder = TrimText(line);
        if (folder.empty() || folder.front() != '/' ||
            folder.find('\0') != std::string_view::npos) {
            fail("the folder must be an absolute path");
            continue;
        }
        config.entries.push_back({*letter, *capacity, std::string(folder)});
    }
    return config;
}

VirtualVolumes::VirtualVolumes(std::string config_file) : config_file_(std::move(config_file)) {}

std::optional<std::string> VirtualVolumes::ConfigFileFromEnvironment() {
    const char* value = std::getenv("MAPVALE_VIRTUAL_VOLUMES");
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

void VirtualVolumes::Insert(VirtualVolumeEntry entry) {
    std::lock_guard lock(mutex_);
    const std::string root = NormalizeFolder(entry.folder);
    std::error_code ec;
    if (!fs::exists(CardFolder(root), ec) && fs::is_directory(PulledPlace(root), ec)) {
        fs::rename(PulledPlace(root), CardFolder(root), ec);
    }
    std::erase_if(inserted_,
                  [&](const VirtualVolumeEntry& e) { return NormalizeFolder(e.folder) == root; });
    inserted_.push_back(std::move(entry));
}

bool VirtualVolumes::Eject(std::string_view folder) {
    std::lock_guard lock(mutex_);
    const std::string root = NormalizeFolder(folder);
    const bool was_inserted = std::erase_if(inserted_, [&](const VirtualVolumeEntry& e) {
                                  return NormalizeFolder(e.folder) == root;
                              }) > 0;
    // Writes that the program still makes must fail as on a pulled card, not land in a folder
    // that looks like the card. An earlier pulled copy that never came back is not overwritten.
    std::error_code ec;
    if (was_inserted && !fs::exists(PulledPlace(root), ec)) {
        fs::rename(CardFolder(root), PulledPlace(root), ec);
    }
    return was_inserted;
}

void VirtualVolumes::SetInserted(std::vector<VirtualVolumeEntry> entries) {
    std::lock_guard lock(mutex_);
    inserted_ = std::move(entries);
}

std::vector<Volume> VirtualVolumes::Current() {
    std::vector<VirtualVolumeEntry> entries;
    {
        std::lock_guard lock(mutex_);
        entries = inserted_;
    }
    if (!config_file_.empty()) {
        const std::optional<std::uint64_t> size = FileSize(config_file_);
        if (size && *size <= kMaxConfigBytes) {
            if (const std::optional<std::string> text = ReadWholeFile(config_file_)) {
                for (VirtualVolumeEntry& entry : ParseVirtualVolumeConfig(*text).entries) {
                    entries.push_back(std::move(entry));
                }
            }
        }
    }
    std::vector<Volume> volumes;
    std::map<std::string, std::uint64_t> capacities;
    std::set<std::string> roots;
    for (const VirtualVolumeEntry& entry : entries) {
        const std::string root = NormalizeFolder(entry.folder);
        struct stat info {};
        if (root.size() < 2 || root.front() != '/' || entry.capacity_bytes == 0 ||
            !roots.insert(root).second || ::stat(root.c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode)) {
            continue;
        }
        Volume volume;
        volume.root = root;
        volume.kind = VolumeKind::kRemovable;
        volume.is_virtual = true;
        volume.device_number = static_cast<std::uint64_t>(info.st_dev);
        volume.id = IdOf(entry, root);
        volume.wanted_letter = entry.letter;
        capacities[volume.id] = entry.capacity_bytes;
        volumes.push_back(std::move(volume));
    }
    std::lock_guard lock(mutex_);
    capacity_by_id_ = std::move(capacities);
    return volumes;
}

std::optional<VolumeSpace> VirtualVolumes::Space(const Volume& volume) {
    std::uint64_t capacity = 0;
    {
        std::lock_guard lock(mutex_);
        const auto found = capacity_by_id_.find(volume.id);
        if (found == capacity_by_id_.end()) {
            return std::nullopt;
        }
        capacity = found->second;
    }
    if (!FolderExists(volume.root)) {
        return std::nullopt;
    }
    const std::uint64_t used = BytesUnder(volume.root);
    const std::uint64_t free = used < capacity ? capacity - used : 0;
    return VolumeSpace{capacity, free, free};
}

}  // namespace mapvale::platform
