#include "mapvale-servers/world_settings.h"

#include <charconv>

#include "mapvale-servers/conf_text.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

// A folder of the content tree as the settings keep it: '/' separators, a leading '/', no
// trailing one, nothing that leaves the tree.
std::optional<std::string> ContentFolder(std::string_view value) {
    while (!value.empty() && (value.front() == '/' || value.front() == '\\')) {
        value.remove_prefix(1);
    }
    const auto relative = platform::SafeRelativePath(value);
    if (!relative) {
        return std::nullopt;
    }
    return "/" + *relative;
}

}  // namespace

std::optional<WorldSettings> WorldSettings::Parse(std::string_view text, std::string& error) {
    const ConfText conf = ParseConfText(text);
    if (!conf.ok()) {
        error = conf.error;
        return std::nullopt;
    }
    WorldSettings settings;
    for (const ConfLine& line : conf.lines) {
        std::string problem;
        if (line.section) {
            problem = "world.conf has no sections";
        } else if (line.key == "address" || line.key == "traffic-address") {
            const auto address = ParseListenAddress(line.value);
            if (!address || address->port == 0) {
                problem = line.key + " wants HOST:PORT with a port of 1-65535";
            } else {
                (line.key == "address" ? settings.address : settings.traffic_address) = *address;
            }
        } else if (line.key == "information-folder" || line.key == "picture-folder") {
            const auto folder = ContentFolder(line.value);
            if (!folder) {
                problem = line.key + " wants a folder inside the content tree";
            } else {
                (line.key == "information-folder" ? settings.information_folder
                                                  : settings.picture_folder) = *folder;
            }
        } else if (line.key == "version-status") {
            const char* end = line.value.data() + line.value.size();
            const auto parsed = std::from_chars(line.value.data(), end, settings.version_status);
            if (parsed.ec != std::errc() || parsed.ptr != end) {
                problem = "version-status wants a number";
            }
        } else {
            problem = "unknown key \"" + line.key + "\"";
        }
        if (!problem.empty()) {
            error = LineError(line.number, problem);
            return std::nullopt;
        }
    }
    return settings;
}

std::optional<WorldSettings> WorldSettings::Load(const std::string& path, std::string& error) {
    const auto text = platform::ReadWholeFile(path);
    if (!text) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    auto settings = Parse(*text, error);
    if (!settings) {
        error = path + ": " + error;
    }
    return settings;
}

std::string WorldSettings::Format() const {
    return "# The settings of a mapvale-servers world (see tools/mapvale-servers/README.md).\n"
           "# The URLs in content/ point at `address`; `serve --world` rewrites them and this\n"
           "# line when it listens elsewhere.\n"
           "address = " +
           address.ToString() + "\ntraffic-address = " + traffic_address.ToString() +
           "\ninformation-folder = " + information_folder + "\npicture-folder = " + picture_folder +
           "\n# 0 or 2 make the version query report maintenance.\nversion-status = " +
           std::to_string(version_status) + "\n";
}

}  // namespace mapvale::servers
