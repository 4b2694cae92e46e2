#include "mapvale-servers/byte_range.h"

#include <limits>
#include <optional>

namespace mapvale::servers {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal number; values too large for 64 bits saturate, which keeps their meaning ("past
// any end") without overflow.
std::optional<std::uint64_t> ParseNumber(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

ByteRange ParseByteRange(std::string_view header, std::uint64_t size) {
    const ByteRange whole;
    ByteRange unsatisfiable;
    unsatisfiable.kind = ByteRange::Kind::kUnsatisfiable;

    header = Trim(header);
    const std::size_t equals = header.find('=');
    if (equals == std::string_view::npos ||
        !EqualsIgnoringCase(Trim(header.substr(0, equals)), "bytes")) {
        return whole;
    }
    const std::string_view spec = Trim(header.substr(equals + 1));
    if (spec.find(',') != std::string_view::npos) {
        return whole;
    }
    const std::size_t dash = spec.find('-');
    if (dash == std::string_view::npos) {
        return whole;
    }
    const std::string_view first_text = Trim(spec.substr(0, dash));
    const std::string_view last_text = Trim(spec.substr(dash + 1));

    ByteRange part;
    part.kind = ByteRange::Kind::kPart;
    if (first_text.empty()) {
        const auto suffix = ParseNumber(last_text);
        if (!suffix) {
            return whole;
        }
        if (*suffix == 0 || size == 0) {
            return unsatisfiable;
        }
        part.first = *suffix >= size ? 0 : size - *suffix;
        part.last = size - 1;
        return part;
    }
    const auto first = ParseNumber(first_text);
    if (!first) {
        return whole;
    }
    std::optional<std::uint64_t> last;
    if (!last_text.empty()) {
        last = ParseNumber(last_text);
        if (!last || *last < *first) {
            return whole;
        }
    }
    if (*first >= size) {
        return unsatisfiable;
    }
    part.first = *first;
    part.last = last && *last < size ? *last : size - 1;
    return part;
}

std::string ContentRangeValue(const ByteRange& range, std::uint64_t size) {
    return "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" +
           std::to_string(size);
}

}  // namespace mapvale::servers
