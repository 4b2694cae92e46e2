#include "mapvale-servers/manifest.h"

#include <charconv>

#include "mapvale-servers/conf_text.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

template <typename T>
bool ReadNumber(std::string_view text, T& out) {
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, out);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == end;
}

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool ReadAttributes(std::string_view text, std::array<std::int32_t, 6>& out) {
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string_view::npos) != (i + 1 == out.size())) {
            return false;
        }
        if (!ReadNumber(Trim(text.substr(0, comma)), out[i])) {
            return false;
        }
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    return true;
}

std::string SetHeaderKey(Manifest& manifest, const ConfLine& line) {
    const std::string& key = line.key;
    const std::string& value = line.value;
    if (key == "model") {
        manifest.model = value;
    } else if (key == "package-type") {
        manifest.package_type = value;
    } else if (key == "caption") {
        manifest.caption = value;
    } else if (key == "map-version") {
        if (!ReadNumber(value, manifest.map_version)) {
            return "map-version wants a number";
        }
    } else if (key == "second-version") {
        if (!ReadNumber(value, manifest.second_version)) {
            return "second-version wants a number";
        }
    } else if (key == "version-label") {
        manifest.version_label = value;
    } else if (key == "root-url") {
        manifest.root_url = value;
    } else if (key == "information-folder") {
        manifest.information_folder = value;
    } else if (key == "notify-url") {
        manifest.notify_url = value;
    } else if (key == "autostart") {
        if (value != "0" && value != "1") {
            return "autostart wants 0 or 1";
        }
        manifest.autostart = value == "1";
    } else if (key == "variable") {
        const std::size_t equals = value.find('=');
        const std::string_view name = Trim(std::string_view(value).substr(0, equals));
        if (equals == std::string::npos || name.empty()) {
            return "variable wants NAME = VALUE";
        }
        manifest.variables.emplace_back(name, Trim(std::string_view(value).substr(equals + 1)));
    } else if (key == "span-size") {
        if (!ReadNumber(value, manifest.span_size) || manifest.span_size == 0) {
            return "span-size wants a number of bytes (1 or more)";
        }
    } else {
        return "unknown manifest key \"" + key + "\"";
    }
    return {};
}

std::string SetFileKey(ManifestFile& file, const ConfLine& line) {
    const std::string& key = line.key;
    const std::string& value = line.value;
    if (key == "source") {
        file.source = value;
    } else if (key == "name") {
        file.name = value;
    } else if (key == "dest") {
        file.destination = value;
    } else if (key == "server-folder") {
        file.server_folder = value;
    } else if (key == "archive") {
        file.archive = value;
    } else if (key == "version") {
        if (!ReadNumber(value, file.version)) {
            return "version wants a number";
        }
    } else if (key == "package") {
        if (!ReadNumber(value, file.package_number)) {
            return "package wants a number";
        }
    } else if (key == "product-info") {
        file.product_info = value;
    } else if (key == "span-size") {
        if (!ReadNumber(value, file.span_size) || file.span_size == 0) {
            return "span-size wants a number of bytes (1 or more)";
        }
    } else if (key == "category" || key == "display") {
        if (!file.category) {
            file.category.emplace();
        }
        (key == "category" ? file.category->name : file.category->display) = value;
    } else if (key == "attributes") {
        if (!file.category) {
            file.category.emplace();
        }
        if (!ReadAttributes(value, file.category->attributes)) {
            return "attributes wants six numbers separated by ','";
        }
    } else {
        return "unknown file key \"" + key + "\"";
    }
    return {};
}

}  // namespace

std::optional<Manifest> Manifest::Parse(std::string_view text, std::string& error) {
    const ConfText conf = ParseConfText(text);
    if (!conf.ok()) {
        error = conf.error;
        return std::nullopt;
    }
    Manifest manifest;
    std::vector<bool> has_version;
    std::vector<bool> has_attributes;
    bool has_map_version = false;
    bool has_second_version = false;
    for (const ConfLine& line : conf.lines) {
        std::string problem;
        if (line.section) {
            if (line.key != "file" || !line.value.empty()) {
                problem = "unknown section [" + line.key + "]";
            } else {
                manifest.files.emplace_back();
                manifest.files.back().line = line.number;
                has_version.push_back(false);
                has_attributes.push_back(false);
            }
        } else if (manifest.files.empty()) {
            problem = SetHeaderKey(manifest, line);
            has_map_version = has_map_version || line.key == "map-version";
            has_second_version = has_second_version || line.key == "second-version";
        } else {
            problem = SetFileKey(manifest.files.back(), line);
            if (line.key == "version") {
                has_version.back() = true;
            } else if (line.key == "attributes") {
                has_attributes.back() = true;
            }
        }
        if (!problem.empty()) {
            error = LineError(line.number, problem);
            return std::nullopt;
        }
    }
    const std::pair<const char*, bool> required[] = {
        {"model", !manifest.model.empty()},
        {"package-type", !manifest.package_type.empty()},
        {"map-version", has_map_version},
        {"second-version", has_second_version},
        {"root-url", !manifest.root_url.empty()},
        {"information-folder", !manifest.information_folder.empty()},
    };
    for (const auto& [key, present] : required) {
        if (!present) {
            error = std::string("the manifest has no ") + key;
            return std::nullopt;
        }
    }
    if (manifest.files.empty()) {
        error = "the manifest lists no [file]";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < manifest.files.size(); ++i) {
        const ManifestFile& file = manifest.files[i];
        if (file.source.empty() || !has_version[i]) {
            error = LineError(file.line, "a [file] needs a source and a version");
            return std::nullopt;
        }
        if (file.category && (file.category->name.empty() || !has_attributes[i])) {
            error = LineError(file.line, "a category needs a name and six attributes");
            return std::nullopt;
        }
    }
    return manifest;
}

std::optional<Manifest> Manifest::Load(const std::string& path, std::string& error) {
    const auto text = platform::ReadWholeFile(path);
    if (!text) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    auto manifest = Parse(*text, error);
    if (!manifest) {
        error = path + ": " + error;
    }
    return manifest;
}

std::string Manifest::Format() const {
    std::string out = "# Package manifest for mapvale-servers pack\n";
    const auto put = [&out](std::string_view key, std::string_view value) {
        out.append(key).append(" = ").append(value).append("\n");
    };
    put("model", model);
    put("package-type", package_type);
    if (!caption.empty()) {
        put("caption", caption);
    }
    put("map-version", std::to_string(map_version));
    put("second-version", std::to_string(second_version));
    put("version-label", version_label);
    put("root-url", root_url);
    put("information-folder", information_folder);
    if (!notify_url.empty()) {
        put("notify-url", notify_url);
    }
    put("autostart", autostart ? "1" : "0");
    for (const auto& [name, value] : variables) {
        put("variable", name + " = " + value);
    }
    put("span-size", std::to_string(span_size));
    for (const ManifestFile& file : files) {
        out += "\n[file]\n";
        put("source", file.source);
        if (!file.name.empty()) {
            put("name", file.name);
        }
        put("dest", file.destination);
        if (!file.server_folder.empty()) {
            put("server-folder", file.server_folder);
        }
        if (!file.archive.empty()) {
            put("archive", file.archive);
        }
        put("version", std::to_string(file.version));
        put("package", std::to_string(file.package_number));
        if (!file.product_info.empty()) {
            put("product-info", file.product_info);
        }
        if (file.span_size != 0) {
            put("span-size", std::to_string(file.span_size));
        }
        if (file.category) {
            put("category", file.category->name);
            if (!file.category->display.empty()) {
                put("display", file.category->display);
            }
            std::string attributes;
            for (std::size_t i = 0; i < file.category->attributes.size(); ++i) {
                attributes += (i == 0 ? "" : ",") + std::to_string(file.category->attributes[i]);
            }
            put("attributes", attributes);
        }
    }
    return out;
}

}  // namespace mapvale::servers
