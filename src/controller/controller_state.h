#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "controller/banners.h"
#include "controller/job_progress.h"
#include "model/card_info.h"
#include "model/device_entry.h"
#include "model/package_info.h"
#include "model/page_addresses.h"
#include "model/server_config.h"
#include "net/server_versions.h"

namespace mapvale::controller {

// Screen numbers: the wizard's screens and "none". The main screen has no number; leaving the
// wizard for it leaves the number at 0.
inline constexpr int kNoScreen = -1;
inline constexpr int kScreenOptions = 22;
inline constexpr int kScreenNoCard = 1;
inline constexpr int kScreenCountdown = 2;
inline constexpr int kScreenProgress = 3;
inline constexpr int kScreenFinished = 4;

// Everything the running updater knows, owned by CMainFrame and touched only on the
// user-interface thread. Workers write only the device fields that DeviceEntry marks as shared;
// the current file names are copied from the workers after their messages.
struct ControllerState {
    app::AppSettings settings;
    ServerConfig servers;
    PageAddresses pages;  // the sign-in screen's web pages

    // Screens. `screen_number` is the current wizard screen (1, 2, 3, 4, 22), 0 after the
    // wizard was left for the main screen, -1 before the first screen; `wizard_screen` says
    // whether a wizard screen exists (a number without a screen is possible after ShowScreen of
    // a number that names none).
    int screen_number = kNoScreen;
    bool wizard_screen = false;
    bool main_screen = false;
    bool sign_in_dialog_open = false;
    bool notice_dialog_open = false;
    int notice_answer = 0;  // 1 go ahead, 2 stop; set by the page scripts of the notice

    net::ServerVersions server_versions;

    // Catalogue: the records of the package list by device family, the list of the selected
    // device's kind, and the categories the package step files entries with.
    std::vector<PackageListRecord> package_records;  // as read; emptied once sorted
    std::vector<PackageListRecord> first_family;     // codes '1' and '8'
    std::vector<PackageListRecord> second_family;    // code '2'
    std::vector<PackageListRecord> current_records;
    std::vector<PackageCategory> categories;

    std::list<DeviceEntry> devices;   // a list: selections point into it
    std::map<char, CardInfo> drives;  // by drive letter

    // Selection: a drive letter present in `drives` (0 none) and a device of `devices`.
    char selected_drive = 0;
    DeviceEntry* selected_device = nullptr;

    // Job.
    int job_running = 0;
    std::uint32_t last_progress_kind = 0;
    std::string current_download_item;
    std::string current_install_item;
    ProgressTracker progress;
    bool last_job_on_card = false;  // the last finished job installed onto a card

    // Sign-in.
    std::string sign_in_error;
    std::string account_kind;
    std::string account_text;

    // Banners.
    BannerLists banners;
    std::string current_s;
    std::string current_e;

    // The record of the selected drive; null without one.
    const CardInfo* SelectedCard() const;
    CardInfo* SelectedCard();
};

}  // namespace mapvale::controller
