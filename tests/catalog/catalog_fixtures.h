#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/device_entry.h"
#include "model/file_entry.h"

namespace mapvale::catalog::testing {

// A file entry as the package step leaves it: keyed fields and category attributes 1-6.
inline FileEntry Entry(std::string name, std::string folder = {}, std::uint32_t size = 10,
                       std::int32_t version = 1, std::array<std::int32_t, 6> attributes = {}) {
    FileEntry entry;
    entry.file_name = std::move(name);
    entry.destination_path = std::move(folder);
    entry.file_size = size;
    entry.version = version;
    entry.archive_size = size / 2;
    entry.attributes = attributes;
    return entry;
}

inline DeviceEntry Device(std::string model_name, std::int32_t kind = 2,
                          std::int32_t sub_kind = 1) {
    DeviceEntry device;
    device.model_name = std::move(model_name);
    device.kind = kind;
    device.sub_kind = sub_kind;
    device.server_map_version = 20240115;
    device.server_second_version = 2024011;
    device.server_version_label = "2024 겨울";
    return device;
}

// Attributes with attribute n (1-6) set to `value`, the others 0.
inline std::array<std::int32_t, 6> Attribute(int n, std::int32_t value) {
    std::array<std::int32_t, 6> attributes{};
    attributes[static_cast<std::size_t>(n - 1)] = value;
    return attributes;
}

}  // namespace mapvale::catalog::testing
