#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/volumes.h"

namespace mapvale::testing {

// Volumes a test lists itself: a letter, a root, a kind and the free bytes (nothing: the volume
// does not say).
class ListedVolumes final : public platform::Volumes {
public:
    void Add(char letter, std::string root, platform::VolumeKind kind,
             std::optional<std::uint64_t> free_bytes) {
        platform::Volume volume;
        volume.letter = letter;
        volume.root = std::move(root);
        volume.kind = kind;
        volumes_.push_back(volume);
        free_[letter] = free_bytes;
    }
    std::vector<platform::Volume> List() override { return volumes_; }
    std::optional<platform::VolumeSpace> Space(char letter) override {
        const auto bytes = free_[letter];
        if (!bytes) {
            return std::nullopt;
        }
        return platform::VolumeSpace{*bytes * 2, *bytes, *bytes};
    }

private:
    std::vector<platform::Volume> volumes_;
    std::map<char, std::optional<std::uint64_t>> free_;
};

}  // namespace mapvale::testing
