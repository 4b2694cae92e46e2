#include "catalog/package_list.h"

#include <string>

#include "catalog/text_fields.h"
#include "catalog/text_file.h"

namespace mapvale::catalog {

namespace {

// The file has no stated line limit; this only keeps a damaged file from holding one line of
// unbounded length in memory.
constexpr std::size_t kMaxPackageListLineBytes = 4096;

std::string_view Field(const std::vector<std::string_view>& fields, std::size_t n) {
    return n < fields.size() ? fields[n] : std::string_view();
}

}  // namespace

PackageList ParsePackageList(const std::vector<std::string>& lines) {
    PackageList list;
    bool categories = false;
    for (const std::string& line : lines) {
        const std::vector<std::string_view> fields = SplitFields(line, '|');
        if (!categories) {
            if (fields[0] == "##") {
                categories = true;
                continue;
            }
            PackageListRecord record;
            record.code = fields[0].empty() ? '\0' : fields[0].front();
            record.number = LeadingInt32(Field(fields, 1));
            record.text = std::string(TrimText(Field(fields, 2)));
            list.records.push_back(std::move(record));
            continue;
        }
        PackageCategory category;
        category.kind = LeadingInt32(Field(fields, 0));
        for (std::size_t k = 0; k < category.attributes.size(); ++k) {
            category.attributes[k] = LeadingInt32(Field(fields, k + 1));
        }
        category.name = std::string(TrimText(Field(fields, 7)));
        category.display_name = std::string(TrimText(Field(fields, 8)));
        if (!category.name.empty()) {
            list.categories.push_back(std::move(category));
        }
    }
    return list;
}

int ReadPackageList(std::vector<PackageListRecord>& records,
                    std::vector<PackageCategory>& categories, std::string_view path) {
    records.clear();
    categories.clear();
    const auto lines = ReadCp949Lines(path, kMaxPackageListLineBytes);
    if (!lines) {
        return 0;
    }
    PackageList list = ParsePackageList(*lines);
    records = std::move(list.records);
    categories = std::move(list.categories);
    return 1;
}

}  // namespace mapvale::catalog
