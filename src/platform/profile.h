#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace mapvale::platform {

// The application profile functions on top of the settings store: every section lives under
// "Software\<company>\<profile>\" of the user root, as the Windows framework's profile functions
// place it once a registry key has been set.
class Profile {
public:
    Profile(SettingsStore& store, std::string company, std::string profile_name);

    // A DWORD value read as a signed number (0xFFFFFFFF reads as -1), or `default_value` when the
    // value is absent or not a DWORD.
    int GetProfileInt(std::string_view section, std::string_view entry, int default_value) const;
    // A string value, or `default_value` when it is absent or not a string.
    std::string GetProfileString(std::string_view section, std::string_view entry,
                                 std::string_view default_value = {}) const;
    bool WriteProfileInt(std::string_view section, std::string_view entry, int value);
    bool WriteProfileString(std::string_view section, std::string_view entry,
                            std::string_view value);

    // "Software\<company>\<profile>\<section>".
    std::string SectionKey(std::string_view section) const;
    SettingsStore& store() const { return store_; }

private:
    SettingsStore& store_;
    std::string root_key_;
};

}  // namespace mapvale::platform
