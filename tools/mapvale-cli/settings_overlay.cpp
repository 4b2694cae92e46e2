#include "mapvale-cli/settings_overlay.h"

#include <type_traits>

#include "platform/text.h"

namespace mapvale::cli {

using platform::SettingsRoot;

namespace {

// Separates the key from the value name in ids; no key or name holds it.
constexpr char kNameMark = '\0';

bool StartsWithKey(std::string_view id, std::string_view key_id) {
    return id.size() > key_id.size() && id.starts_with(key_id) &&
           (id[key_id.size()] == '\\' || id[key_id.size()] == kNameMark);
}

}  // namespace

std::string OverlaySettingsStore::KeyId(SettingsRoot root, std::string_view key) {
    std::string id = root == SettingsRoot::kUser ? "U" : "M";
    for (const std::string_view part : platform::SplitFields(key, '\\')) {
        if (!part.empty()) {
            id += '\\';
            id += platform::AsciiLower(part);
        }
    }
    return id;
}

std::string OverlaySettingsStore::ValueId(SettingsRoot root, std::string_view key,
                                          std::string_view name) {
    return KeyId(root, key) + kNameMark + platform::AsciiLower(name);
}

bool OverlaySettingsStore::UnderDeletedKey(const std::string& key_id) const {
    for (const std::string& deleted : deleted_keys_) {
        if (key_id == deleted || StartsWithKey(key_id, deleted)) {
            return true;
        }
    }
    return false;
}

const OverlaySettingsStore::Slot* OverlaySettingsStore::MemorySlot(
    const std::string& value_id) const {
    const auto found = memory_.find(value_id);
    return found != memory_.end() ? &found->second : nullptr;
}

void OverlaySettingsStore::Override(SettingsRoot root, std::string_view key, std::string_view name,
                                    std::string value) {
    std::lock_guard lock(mutex_);
    overrides_[ValueId(root, key, name)] = std::move(value);
}

template <typename T>
std::optional<std::optional<T>> OverlaySettingsStore::Lookup(SettingsRoot root,
                                                             std::string_view key,
                                                             std::string_view name) const {
    // Settled by the overlay, but without a value of this type. Built in place: an empty inner
    // value copied into the outer one upsets GCC's uninitialised-use analysis.
    const auto absent = [] { return std::optional<std::optional<T>>(std::in_place); };
    const std::string id = ValueId(root, key, name);
    if (const auto found = overrides_.find(id); found != overrides_.end()) {
        // An overridden value is a string.
        if constexpr (std::is_same_v<T, std::string>) {
            return std::optional<T>(found->second);
        } else {
            return absent();
        }
    }
    if (const Slot* slot = MemorySlot(id)) {
        if (const T* value = std::get_if<T>(slot)) {
            return std::optional<T>(*value);
        }
        return absent();
    }
    if (UnderDeletedKey(KeyId(root, key))) {
        return absent();
    }
    return std::nullopt;
}

template <typename T>
std::optional<bool> OverlaySettingsStore::Keep(SettingsRoot root, std::string_view key,
                                               std::string_view name, T value) {
    const std::string id = ValueId(root, key, name);
    if (overrides_.count(id) != 0) {
        return true;
    }
    if (writes_ == Writes::kInMemory) {
        memory_[id] = std::move(value);
        return true;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> OverlaySettingsStore::GetDword(SettingsRoot root, std::string_view key,
                                                            std::string_view name) {
    {
        std::lock_guard lock(mutex_);
        if (auto found = Lookup<std::uint32_t>(root, key, name)) {
            return *found;
        }
    }
    return base_.GetDword(root, key, name);
}

std::optional<std::string> OverlaySettingsStore::GetString(SettingsRoot root, std::string_view key,
                                                           std::string_view name) {
    {
        std::lock_guard lock(mutex_);
        if (auto found = Lookup<std::string>(root, key, name)) {
            return *found;
        }
    }
    return base_.GetString(root, key, name);
}

bool OverlaySettingsStore::SetDword(SettingsRoot root, std::string_view key, std::string_view name,
                                    std::uint32_t value) {
    {
        std::lock_guard lock(mutex_);
        if (const auto kept = Keep(root, key, name, value)) {
            return *kept;
        }
    }
    return base_.SetDword(root, key, name, value);
}

bool OverlaySettingsStore::SetString(SettingsRoot root, std::string_view key, std::string_view name,
                                     std::string_view value) {
    {
        std::lock_guard lock(mutex_);
        if (const auto kept = Keep(root, key, name, std::string(value))) {
            return *kept;
        }
    }
    return base_.SetString(root, key, name, value);
}

bool OverlaySettingsStore::KeyExists(SettingsRoot root, std::string_view key) {
    {
        std::lock_guard lock(mutex_);
        const std::string key_id = KeyId(root, key);
        for (const auto& [id, slot] : memory_) {
            if (StartsWithKey(id, key_id) && !std::holds_alternative<std::monostate>(slot)) {
                return true;
            }
        }
        if (UnderDeletedKey(key_id)) {
            return false;
        }
    }
    return base_.KeyExists(root, key);
}

bool OverlaySettingsStore::DeleteValue(SettingsRoot root, std::string_view key,
                                       std::string_view name) {
    {
        std::lock_guard lock(mutex_);
        const std::string id = ValueId(root, key, name);
        if (overrides_.count(id) != 0) {
            return true;
        }
        if (writes_ == Writes::kInMemory) {
            const Slot* slot = MemorySlot(id);
            const bool existed = slot != nullptr ? !std::holds_alternative<std::monostate>(*slot)
                                                 : !UnderDeletedKey(KeyId(root, key)) &&
                                                       (base_.GetDword(root, key, name) ||
                                                        base_.GetString(root, key, name));
            memory_[id] = std::monostate{};
            return existed;
        }
    }
    return base_.DeleteValue(root, key, name);
}

bool OverlaySettingsStore::DeleteKey(SettingsRoot root, std::string_view key) {
    {
        std::lock_guard lock(mutex_);
        if (writes_ == Writes::kInMemory) {
            const std::string key_id = KeyId(root, key);
            for (auto it = memory_.begin(); it != memory_.end();) {
                it = StartsWithKey(it->first, key_id) ? memory_.erase(it) : std::next(it);
            }
            deleted_keys_.insert(key_id);
            return true;
        }
    }
    return base_.DeleteKey(root, key);
}

}  // namespace mapvale::cli
