#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::platform {

// The two registry roots the programs use.
enum class SettingsRoot { kUser, kMachine };

// A hierarchical, typed settings store that stands in for the registry.
//
// Keys are paths whose components are separated by '\' ("Software\VELMORA\TSKN_Waymark+\USER");
// empty components (doubled or trailing separators) are ignored. Key and value names compare
// without regard to ASCII case; the spelling first written is kept. A value is either a DWORD or a
// string: reading a value as the other type finds nothing, as the registry's typed queries do.
//
// Thread safety: every member may be called from any thread; several processes may use the same
// store at once without losing each other's writes.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<std::uint32_t> GetDword(SettingsRoot root, std::string_view key,
                                                  std::string_view name) = 0;
    virtual std::optional<std::string> GetString(SettingsRoot root, std::string_view key,
                                                 std::string_view name) = 0;
    // Both create the key chain when it is missing. False when the store could not be written.
    virtual bool SetDword(SettingsRoot root, std::string_view key, std::string_view name,
                          std::uint32_t value) = 0;
    virtual bool SetString(SettingsRoot root, std::string_view key, std::string_view name,
                           std::string_view value) = 0;
    virtual bool KeyExists(SettingsRoot root, std::string_view key) = 0;
    // False when the value did not exist or the store could not be written.
    virtual bool DeleteValue(SettingsRoot root, std::string_view key, std::string_view name) = 0;
    // Deletes the key with its values and sub-keys.
    virtual bool DeleteKey(SettingsRoot root, std::string_view key) = 0;
};

// The store on disk: one human-readable text file per root in `folder` ("user.reg" and
// "machine.reg"), in the registry's export syntax. Every change is made under an advisory lock on
// a lock file beside it, re-reading the file first and replacing it atomically (temporary file
// and rename), so two processes never lose each other's writes; every read sees the newest file.
// A file with lines that cannot be read loads what can be read; before such a file is first
// replaced, it is copied aside ("user.reg.unreadable-<time>") so nothing a person wrote is lost.
class FileSettingsStore final : public SettingsStore {
public:
    explicit FileSettingsStore(std::filesystem::path folder);
    ~FileSettingsStore() override;

    std::optional<std::uint32_t> GetDword(SettingsRoot root, std::string_view key,
                                          std::string_view name) override;
    std::optional<std::string> GetString(SettingsRoot root, std::string_view key,
                                         std::string_view name) override;
    bool SetDword(SettingsRoot root, std::string_view key, std::string_view name,
                  std::uint32_t value) override;
    bool SetString(SettingsRoot root, std::string_view key, std::string_view name,
                   std::string_view value) override;
    bool KeyExists(SettingsRoot root, std::string_view key) override;
    bool DeleteValue(SettingsRoot root, std::string_view key, std::string_view name) override;
    bool DeleteKey(SettingsRoot root, std::string_view key) override;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path FileOf(SettingsRoot root) const;

private:
    struct Impl;
    std::filesystem::path folder_;
    std::unique_ptr<Impl> impl_;
};

// The folder of the settings files: $MAPVALE_SETTINGS_DIR when set, else
// $XDG_CONFIG_HOME/velmora/registry (XDG_CONFIG_HOME defaulting to ~/.config).
std::filesystem::path DefaultSettingsFolder();

}  // namespace mapvale::platform
