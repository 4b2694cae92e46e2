#include "catalog/card_comparison.h"

#include <cstdio>
#include <memory>
#include <unordered_map>

#include "catalog/card_paths.h"
#include "catalog/package_info_parser.h"
#include "catalog/text_fields.h"
#include "model/package_info.h"
#include "net/web_post.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// A folder as both sides are compared: '/' separators, no doubled, leading or trailing one.
std::string ComparableFolder(std::string_view folder) {
    std::string normal = platform::NormalizePath(folder);
    const std::size_t first = normal.find_first_not_of('/');
    if (first == std::string::npos) {
        return {};
    }
    normal.erase(0, first);
    while (!normal.empty() && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

// Reads one version file line after another and judges each.
class CardJudge {
public:
    CardJudge(const std::vector<FileEntry>& entries, std::string_view package_name) {
        for (const FileEntry& entry : entries) {
            by_name_.emplace(
                entry.file_name,
                Known{ComparableFolder(CardVersionFolderText(entry.destination_path, package_name)),
                      entry.version});
        }
    }

    // False once the card is known to be out of date.
    bool Judge(std::string_view line) {
        const std::vector<std::string_view> fields = SplitFields(line, '|');
        if (!fields.front().empty() && fields.front().front() == '*') {
            return !(fields.size() > 7 && fields[7] == "0");
        }
        if (fields.size() < 3 || fields[2] == "-1") {
            return true;
        }
        const std::string folder = ComparableFolder(fields[0]);
        const std::int32_t version = LeadingInt32(fields[2]);
        const auto [begin, end] = by_name_.equal_range(std::string(fields[1]));
        for (auto it = begin; it != end; ++it) {
            if (it->second.folder == folder && it->second.version != version) {
                return false;
            }
        }
        return true;
    }

private:
    struct Known {
        std::string folder;
        std::int32_t version = 0;
    };
    std::unordered_multimap<std::string, Known> by_name_;
};

}  // namespace

std::optional<PackageAddress> SplitPackageAddress(std::string_view address) {
    address = TrimText(address);
    PackageAddress out;
    if (StartsWithNoCase(address, "http://")) {
        address.remove_prefix(7);
    } else if (StartsWithNoCase(address, "https://")) {
        address.remove_prefix(8);
        out.secure = true;
    }
    const std::size_t slash = address.find('/');
    out.host = std::string(address.substr(0, slash));
    out.path = slash == std::string_view::npos ? "/" : std::string(address.substr(slash));
    if (out.host.empty()) {
        return std::nullopt;
    }
    return out;
}

std::vector<FileEntry> FetchPackageFileEntries(net::CWebPOST& web, std::string_view address) {
    const auto location = SplitPackageAddress(address);
    if (!location) {
        return {};
    }
    web.ClearParameters();
    net::WebResponse response;
    if (web.SendRequest(location->host, location->path, response, location->secure ? 443 : 80,
                        "GET", location->secure) != 1) {
        return {};
    }
    PackageInfo context;
    ParsePackageInfoText(context, response.Text(), EntrySections::kFilesOnly);
    return std::move(context.entries);
}

bool IsCardUpToDate(const std::vector<FileEntry>& entries, std::string_view path,
                    std::string_view package_name) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(std::string(path).c_str(), "rb"), &std::fclose);
    if (!file) {
        return true;
    }
    CardJudge judge(entries, package_name);
    std::string line;
    bool too_long = false;
    std::size_t read = 0;
    // Ends a line: false when the card is out of date.
    const auto finish_line = [&]() {
        if (!too_long && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        too_long = too_long || line.size() > kMaxCardVersionLine;
        bool current = true;
        if (!too_long && !line.empty()) {
            current =
                judge.Judge(platform::Cp949ToUtf8(line, platform::InvalidBytes::kReplace).text);
        }
        line.clear();
        too_long = false;
        return current;
    };
    char buffer[16384];
    while (read < kMaxCardVersionFileBytes) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        read += n;
        for (std::size_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                if (!finish_line()) {
                    return false;
                }
            } else if (line.size() <= kMaxCardVersionLine + 1) {  // room for a CR
                line.push_back(c);
            } else {
                too_long = true;
            }
        }
        if (n < sizeof buffer) {
            break;
        }
    }
    return finish_line();
}

}  // namespace mapvale::catalog
