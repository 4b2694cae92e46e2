#include "app/settings_io.h"

#include "app/constants.h"
#include "app/text_scrambler.h"
#include "platform/files.h"

namespace mapvale::app {

namespace {

// The password stored for `user_id`, or empty when the credentials belong to someone else or do
// not read. They were written as "<ID>:<password>".
std::string RecoverPassword(const std::string& info, const std::string& user_id) {
    if (info.empty()) {
        return {};
    }
    const auto text = UnscrambleText(info);
    if (!text) {
        return {};
    }
    // The separator must follow the ID at once, so the credentials of "alice2" never give
    // "alice" a password.
    if (text->size() <= user_id.size() || text->compare(0, user_id.size(), user_id) != 0 ||
        (*text)[user_id.size()] != ':') {
        return {};
    }
    return text->substr(user_id.size() + 1);
}

// A stored folder, normalised, or the default when none (or an empty one) is stored: an empty
// text would otherwise become "/", the root of the file system, as the download folder.
std::string FolderSetting(const std::string& stored, const std::string& fallback) {
    return platform::NormalizeFolder(stored.empty() ? fallback : stored);
}

}  // namespace

std::string UserSection(const std::string& user_id) {
    return std::string(kSectionUser) + "\\" + user_id;
}

int LoadSettings(AppSettings& settings, platform::Profile& profile, const FolderDefaults& defaults) {
    const std::string user(kSectionUser);
    settings.user_id = profile.GetProfileString(user, "ID");
    const std::string info = profile.GetProfileString(user, "INFO");
    settings.save = profile.GetProfileInt(user, "SAVE", 1);
    settings.auto_sign_in = profile.GetProfileInt(user, "AUTO", 1);
    settings.big = profile.GetProfileInt(user, "BIG", 0);
    settings.company = profile.GetProfileString(user, "Company");

    const std::string user_section = UserSection(settings.user_id);
    if (settings.consent_from_command_line == 0 && !settings.user_id.empty()) {
        settings.traffic_consent = profile.GetProfileInt(user_section, "TRAFFIC", -1);
    }
    // With no ID this reads "USER\", which is the USER section itself.
    settings.traffic_last_ack = profile.GetProfileInt(user_section, "TRAFFIC_LAST_ACK", -1);

    settings.traffic_default = profile.GetProfileInt(user, "TRAFFIC_DEFAULT", -1);
    if (settings.traffic_default == -1) {
        settings.traffic_default = profile.GetProfileInt(user, "TRAFFIC", 0);
        profile.WriteProfileInt(user, "TRAFFIC_DEFAULT", settings.traffic_default);
    }

    const std::string path(kSectionPath);
    settings.program_folder =
        FolderSetting(profile.GetProfileString(path, "INSTALL"), defaults.program_folder);
    settings.data_folder = FolderSetting(profile.GetProfileString(path, "DATA"), defaults.data_folder);

    settings.password = RecoverPassword(info, settings.user_id);
    return 1;
}

int SaveSettings(AppSettings& settings, platform::Profile& profile) {
    const std::string user(kSectionUser);
    const std::string info =
        settings.save == 1 ? ScrambleText(settings.user_id + ":" + settings.password) : "";
    profile.WriteProfileString(user, "ID", settings.user_id);
    profile.WriteProfileString(user, "INFO", info);
    profile.WriteProfileInt(user, "SAVE", settings.save);
    profile.WriteProfileInt(user, "AUTO", settings.auto_sign_in);
    profile.WriteProfileInt(user, "BIG", settings.big);
    profile.WriteProfileString(user, "Company", settings.company);
    if (!settings.user_id.empty()) {
        profile.WriteProfileInt(UserSection(settings.user_id), "TRAFFIC", settings.traffic_consent);
    }
    if (!settings.data_folder.empty()) {
        settings.data_folder = platform::NormalizeFolder(settings.data_folder);
    }
    profile.WriteProfileString(std::string(kSectionPath), "DATA", settings.data_folder);
    profile.WriteProfileInt(user, "TRAFFIC_DEFAULT", settings.traffic_default);
    return 1;
}

}  // namespace mapvale::app
