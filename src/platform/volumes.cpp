#include "platform/volumes.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace mapvale::platform {

namespace {

// A readable, searchable folder. Not asked of remote volumes.
bool RootAnswers(const std::string& root) {
    struct stat info {};
    return ::stat(root.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(root.c_str(), R_OK | X_OK) == 0;
}

}  // namespace

std::optional<Volume> Volumes::Find(char letter) {
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (Volume& volume : List()) {
        if (volume.letter == wanted) {
            return std::move(volume);
        }
    }
    return std::nullopt;
}

std::optional<Volume> Volumes::ForPath(std::string_view path) {
    std::optional<Volume> best;
    for (Volume& volume : List()) {
        const std::string& root = volume.root;  // ends in '/'
        const bool inside = path.substr(0, root.size()) == root ||
                            (path.size() + 1 == root.size() && root.substr(0, path.size()) == path);
        if (inside && (!best || root.size() > best->root.size())) {
            best = std::move(volume);
        }
    }
    return best;
}

std::optional<VolumeSpace> Volumes::SpaceAt(std::string_view path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path probe = fs::absolute(fs::path(std::string(path)), error).lexically_normal();
    if (error) {
        return std::nullopt;
    }
    while (!fs::is_directory(probe, error)) {
        if (probe == probe.parent_path() || probe.empty()) {
            return std::nullopt;
        }
        probe = probe.parent_path();
    }
    const fs::path real = fs::canonical(probe, error);
    struct stat info {};
    if (error || ::stat(real.c_str(), &info) != 0) {
        return std::nullopt;
    }
    if (const auto volume = ForPath(NormalizeFolder(real.string()))) {
        if (volume->device_number == 0 ||
            volume->device_number == static_cast<std::uint64_t>(info.st_dev)) {
            // The folder's own volume; when it does not answer, another file system's room
            // says nothing.
            return Space(volume->letter);
        }
    }
    struct statvfs room {};
    if (::statvfs(real.c_str(), &room) != 0) {
        return std::nullopt;
    }
    const std::uint64_t unit = room.f_frsize != 0 ? room.f_frsize : room.f_bsize;
    return VolumeSpace{static_cast<std::uint64_t>(room.f_blocks) * unit,
                       static_cast<std::uint64_t>(room.f_bfree) * unit,
                       static_cast<std::uint64_t>(room.f_bavail) * unit};
}

MachineVolumes::MachineVolumes(std::vector<VolumeSource*> sources) : sources_(std::move(sources)) {}

std::vector<MachineVolumes::Entry> MachineVolumes::Refresh() {
    std::vector<Entry> entries;
    std::vector<LetterRequest> requests;
    for (VolumeSource* source : sources_) {
        for (Volume& volume : source->Current()) {
            requests.push_back({volume.id, volume.root == "/" && !volume.is_virtual,
                                volume.wanted_letter, volume.is_virtual});
            entries.push_back({std::move(volume), source});
        }
    }
    const std::vector<char> letters = letters_.Assign(requests);
    std::vector<Entry> lettered;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (letters[i] == 0) {
            continue;
        }
        Entry& entry = entries[i];
        entry.volume.letter = letters[i];
        entry.volume.root_ready = !entry.volume.system &&
                                  entry.volume.kind != VolumeKind::kRemote &&
                                  RootAnswers(entry.volume.root);
        lettered.push_back(std::move(entry));
    }
    std::sort(lettered.begin(), lettered.end(),
              [](const Entry& a, const Entry& b) { return a.volume.letter < b.volume.letter; });
    return lettered;
}

std::vector<Volume> MachineVolumes::List() {
    std::lock_guard lock(mutex_);
    std::vector<Volume> volumes;
    for (Entry& entry : Refresh()) {
        volumes.push_back(std::move(entry.volume));
    }
    return volumes;
}

std::optional<VolumeSpace> MachineVolumes::Space(char letter) {
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    std::optional<Entry> found;
    {
        std::lock_guard lock(mutex_);
        for (Entry& entry : Refresh()) {
            if (entry.volume.letter == wanted) {
                found = std::move(entry);
                break;
            }
        }
    }
    // Outside the lock: a volume that is slow to answer must not hold up listings.
    return found ? found->source->Space(found->volume) : std::nullopt;
}

}  // namespace mapvale::platform
