#pragma once

#include "app/app_settings.h"
#include "platform/profile.h"

namespace mapvale::app {

// Reads every setting of the updater into `settings`, with `defaults` for the two folders.
// Runs after ReadCommandSwitch, whose consent it keeps. Migrates the consent of older versions
// (USER\TRAFFIC) into USER\TRAFFIC_DEFAULT once. Recovers the password from the scrambled
// credentials when they belong to the stored ID. Always returns 1: what cannot be read takes its
// default.
int LoadSettings(AppSettings& settings, platform::Profile& profile, const FolderDefaults& defaults);

// Writes the settings back at exit; the credentials only when they are to be remembered.
// Always returns 1.
int SaveSettings(AppSettings& settings, platform::Profile& profile);

// The per-user section "USER\<ID>".
std::string UserSection(const std::string& user_id);

}  // namespace mapvale::app
