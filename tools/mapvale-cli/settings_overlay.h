#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>

#include "platform/settings_store.h"

namespace mapvale::cli {

// The settings store as the console front end uses it, on top of the updater's own store:
//
// - Values overridden for this run (a folder given on the command line) read as given and are
//   never written back: a one-time choice does not become the updater's setting.
// - In kInMemory mode (the status command, which changes nothing) every write stays in memory
//   and is seen by later reads of this run only.
// - Everything else reads from and writes to the base store.
//
// Keys and names compare without regard to ASCII case and empty key components, as the base
// store's do. Thread safety: every member may be called from any thread.
class OverlaySettingsStore final : public platform::SettingsStore {
public:
    enum class Writes { kThrough, kInMemory };

    // `base` must outlive the overlay.
    OverlaySettingsStore(platform::SettingsStore& base, Writes writes)
        : base_(base), writes_(writes) {}

    // From now on the string value reads as `value` and writes to it are dropped.
    void Override(platform::SettingsRoot root, std::string_view key, std::string_view name,
                  std::string value);

    std::optional<std::uint32_t> GetDword(platform::SettingsRoot root, std::string_view key,
                                          std::string_view name) override;
    std::optional<std::string> GetString(platform::SettingsRoot root, std::string_view key,
                                         std::string_view name) override;
    bool SetDword(platform::SettingsRoot root, std::string_view key, std::string_view name,
                  std::uint32_t value) override;
    bool SetString(platform::SettingsRoot root, std::string_view key, std::string_view name,
                   std::string_view value) override;
    bool KeyExists(platform::SettingsRoot root, std::string_view key) override;
    bool DeleteValue(platform::SettingsRoot root, std::string_view key,
                     std::string_view name) override;
    bool DeleteKey(platform::SettingsRoot root, std::string_view key) override;

private:
    // A value written in memory; monostate marks one deleted in memory.
    using Slot = std::variant<std::monostate, std::uint32_t, std::string>;

    static std::string KeyId(platform::SettingsRoot root, std::string_view key);
    static std::string ValueId(platform::SettingsRoot root, std::string_view key,
                               std::string_view name);
    // Whether `key_id` lies in a key deleted in memory. Caller holds mutex_.
    bool UnderDeletedKey(const std::string& key_id) const;
    // The memory slot of a value, when this run wrote or deleted it. Caller holds mutex_.
    const Slot* MemorySlot(const std::string& value_id) const;
    // What the overlay itself says of a value: its value or "missing"; nothing when the base
    // store decides. Caller holds mutex_.
    template <typename T>
    std::optional<std::optional<T>> Lookup(platform::SettingsRoot root, std::string_view key,
                                           std::string_view name) const;
    // Keeps a write in the overlay (an overridden value, or in memory); the result of the write,
    // or nothing when it goes to the base store. Caller holds mutex_.
    template <typename T>
    std::optional<bool> Keep(platform::SettingsRoot root, std::string_view key,
                             std::string_view name, T value);

    platform::SettingsStore& base_;
    const Writes writes_;
    std::mutex mutex_;
    std::map<std::string, std::string> overrides_;  // value id -> string
    std::map<std::string, Slot> memory_;            // value id -> what this run wrote
    std::set<std::string> deleted_keys_;            // key ids deleted in memory
};

}  // namespace mapvale::cli
