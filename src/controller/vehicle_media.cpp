#include "controller/vehicle_media.h"

#include "controller/wizard_texts.h"

namespace mapvale::controller {

namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<Medium> ParseMedium(std::string_view word) {
    if (word == "SD") {
        return Medium::kSd;
    }
    if (word == "USB") {
        return Medium::kUsb;
    }
    if (word == "USBDVD") {
        return Medium::kUsbDvd;
    }
    if (word == "DVD") {
        return Medium::kDvd;
    }
    return std::nullopt;
}

}  // namespace

std::map<std::string, Medium> ParseVehicleMedia(std::string_view text) {
    std::map<std::string, Medium> table;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t bar = line.find('|');
        if (bar == std::string_view::npos) {
            continue;
        }
        const std::string_view model = Trim(line.substr(0, bar));
        const auto medium = ParseMedium(Trim(line.substr(bar + 1)));
        if (model.empty() || !medium) {
            continue;
        }
        table.emplace(std::string(model), *medium);
    }
    return table;
}

std::string_view MediumMessage(Medium medium) {
    switch (medium) {
        case Medium::kSd:
            return kMediumSd;
        case Medium::kUsb:
            return kMediumUsb;
        case Medium::kUsbDvd:
            return kMediumUsbDvd;
        case Medium::kDvd:
            return kMediumDvd;
    }
    return {};
}

std::optional<Medium> FindMedium(const std::map<std::string, Medium>& table,
                                 std::string_view model) {
    const auto found = table.find(std::string(model));
    return found != table.end() ? std::optional<Medium>(found->second) : std::nullopt;
}

}  // namespace mapvale::controller
