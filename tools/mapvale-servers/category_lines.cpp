#include "mapvale-servers/category_lines.h"

#include <algorithm>

#include "platform/encoding.h"

namespace mapvale::servers {
namespace {

bool SameLine(const PackageCategory& a, const PackageCategory& b) {
    return a.kind == b.kind && a.attributes == b.attributes && a.name == b.name &&
           a.display_name == b.display_name;
}

std::vector<std::size_t> IndicesOfKind(const std::vector<PackageCategory>& lines,
                                       std::int32_t kind) {
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == kind) {
            indices.push_back(i);
        }
    }
    return indices;
}

}  // namespace

std::string FormatCategoryLine(const PackageCategory& category) {
    std::string line = std::to_string(category.kind);
    for (const std::int32_t attribute : category.attributes) {
        line += "|" + std::to_string(attribute);
    }
    return line + "|" + category.name + "|" + category.display_name;
}

bool MergeCategoryLines(std::vector<PackageCategory>& merged,
                        const std::vector<PackageCategory>& adding, std::string& error) {
    std::vector<std::int32_t> kinds;
    for (const PackageCategory& line : adding) {
        if (std::find(kinds.begin(), kinds.end(), line.kind) == kinds.end()) {
            kinds.push_back(line.kind);
        }
    }
    for (const std::int32_t kind : kinds) {
        const std::vector<std::size_t> have = IndicesOfKind(merged, kind);
        const std::vector<std::size_t> add = IndicesOfKind(adding, kind);
        const std::size_t common = std::min(have.size(), add.size());
        for (std::size_t i = 0; i < common; ++i) {
            if (!SameLine(merged[have[i]], adding[add[i]])) {
                error = "packages of device kind " + std::to_string(kind) +
                        " file their entries differently: category " + std::to_string(i + 1) +
                        " is \"" + FormatCategoryLine(merged[have[i]]) + "\" in one and \"" +
                        FormatCategoryLine(adding[add[i]]) + "\" in another";
                return false;
            }
        }
        std::size_t at = have.empty() ? merged.size() : have.back() + 1;
        for (std::size_t i = common; i < add.size(); ++i) {
            merged.insert(merged.begin() + static_cast<std::ptrdiff_t>(at++), adding[add[i]]);
        }
    }
    return true;
}

std::string PackageListText(const std::vector<PackageListRecord>& records,
                            const std::vector<PackageCategory>& categories) {
    std::string text;
    for (const PackageListRecord& record : records) {
        text += std::string(1, record.code) + "|" + std::to_string(record.number) + "|" +
                record.text + "\r\n";
    }
    text += "##\r\n";
    for (const PackageCategory& category : categories) {
        text += FormatCategoryLine(category) + "\r\n";
    }
    return platform::Utf8ToCp949(text, platform::InvalidBytes::kReplace).text;
}

}  // namespace mapvale::servers
