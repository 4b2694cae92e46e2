#include "catalog/version_header.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <vector>

#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kReadLimit = 4096;

std::vector<std::string_view> Split(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = line.find('|', start);
        fields.push_back(line.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos) {
            return fields;
        }
        start = bar + 1;
    }
}

std::int32_t Atoi(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    }
    if (negative) {
        return static_cast<std::int32_t>(-value);
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

std::optional<std::string> ToUtf8(std::string_view cp949) {
    platform::Converted converted = platform::Cp949ToUtf8(cp949);
    if (!converted.ok()) {
        return std::nullopt;
    }
    return std::move(converted.text);
}

// The first kReadLimit bytes of a file.
std::optional<std::string> ReadStart(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text(kReadLimit, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    return text;
}

bool EndsWithVer(const std::string& name) {
    if (name.size() <= 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".ver";
}

}  // namespace

std::optional<VersionFileHeader> ParseVersionHeader(std::string_view cp949_text) {
    std::string_view line;
    bool found = false;
    std::size_t start = 0;
    while (start < cp949_text.size()) {
        std::size_t end = cp949_text.find('\n', start);
        const bool whole = end != std::string_view::npos;
        if (!whole) {
            end = cp949_text.size();
        }
        line = cp949_text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            found = true;
            break;
        }
    }
    if (!found || line.size() > kMaxHeaderLine || line.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::vector<std::string_view> fields = Split(line);
    if (fields[0] != "*") {
        return std::nullopt;
    }
    auto field = [&](std::size_t index) {
        return index < fields.size() ? fields[index] : std::string_view();
    };
    VersionFileHeader header;
    header.map_version = Atoi(field(1));
    header.second_version = Atoi(field(2));
    header.completion_mark = Atoi(field(7));
    std::optional<std::string> name = ToUtf8(field(3));
    std::optional<std::string> label = ToUtf8(field(4));
    std::optional<std::string> colour = ToUtf8(field(5));
    std::optional<std::string> option = ToUtf8(field(6));
    if (!name || !label || !colour || !option) {
        return std::nullopt;
    }
    header.package_name = std::move(*name);
    header.version_label = std::move(*label);
    header.colour = std::move(*colour);
    header.option = std::move(*option);
    return header;
}

std::optional<VersionFileHeader> ReadVersionHeader(std::string_view path) {
    const std::optional<std::string> text = ReadStart(std::string(path));
    if (!text) {
        return std::nullopt;
    }
    return ParseVersionHeader(*text);
}

std::string ReadCardModel(std::string_view product_folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator list(std::string(product_folder), error);
         !error && list != fs::directory_iterator(); list.increment(error)) {
        std::error_code type_error;
        std::string name = list->path().filename().string();
        if (EndsWithVer(name) && list->is_regular_file(type_error)) {
            names.push_back(std::move(name));
        }
    }
    if (names.empty()) {
        return {};
    }
    const std::string first = *std::min_element(names.begin(), names.end());
    const std::optional<VersionFileHeader> header =
        ReadVersionHeader(platform::JoinPath(product_folder, first));
    return header ? header->package_name : std::string();
}

std::optional<VersionFileHeader> ReadCardHeader(std::string_view product_folder,
                                            std::string_view model_name) {
    if (model_name.empty() || model_name.find('/') != std::string_view::npos ||
        model_name.find('\\') != std::string_view::npos || model_name == "." ||
        model_name == ".." || model_name.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return ReadVersionHeader(platform::JoinPath(product_folder, std::string(model_name) + ".ver"));
}

}  // namespace mapvale::catalog
