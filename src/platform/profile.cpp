#include "platform/profile.h"

#include <cstdint>
#include <utility>

namespace mapvale::platform {

namespace {

// Appends the non-empty '\'-separated components of `path` to `key`: sections are built by
// callers as "USER\" + id + "\TRA_NOTI_TIME\", so doubled and trailing separators (and an empty
// id) must name the same key as the clean spelling.
void AppendComponents(std::string& key, std::string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            if (!key.empty()) {
                key += '\\';
            }
            key.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
}

}  // namespace

Profile::Profile(SettingsStore& store, std::string company, std::string profile_name)
    : store_(store) {
    AppendComponents(root_key_, "Software");
    AppendComponents(root_key_, company);
    AppendComponents(root_key_, profile_name);
}

std::string Profile::SectionKey(std::string_view section) const {
    std::string key = root_key_;
    AppendComponents(key, section);
    return key;
}

int Profile::GetProfileInt(std::string_view section, std::string_view entry,
                           int default_value) const {
    const auto value = store_.GetDword(SettingsRoot::kUser, SectionKey(section), entry);
    if (!value) {
        return default_value;
    }
    return static_cast<int>(static_cast<std::int32_t>(*value));
}

std::string Profile::GetProfileString(std::string_view section, std::string_view entry,
                                      std::string_view default_value) const {
    auto value = store_.GetString(SettingsRoot::kUser, SectionKey(section), entry);
    if (!value) {
        return std::string(default_value);
    }
    return std::move(*value);
}

bool Profile::WriteProfileInt(std::string_view section, std::string_view entry, int value) {
    return store_.SetDword(SettingsRoot::kUser, SectionKey(section), entry,
                           static_cast<std::uint32_t>(value));
}

bool Profile::WriteProfileString(std::string_view section, std::string_view entry,
                                 std::string_view value) {
    return store_.SetString(SettingsRoot::kUser, SectionKey(section), entry, value);
}

}  // namespace mapvale::platform
