#pragma once

#include <string>

namespace mapvale::app {

// The settings part of the running updater's state: what the command line and the settings store
// give at start and what is written back at exit. The controller embeds it; everything here
// belongs to the user-interface thread.
struct AppSettings {
    std::string user_id;
    std::string password;
    std::string company = "OV";  // brand code of the account: "OV" or "DL"
    int save = 0;                // 1 = remember ID and password
    int auto_sign_in = 0;        // 1 = sign in automatically at the next start
    int big = 0;                 // notification mode of the tray agent's card check

    int traffic_consent = -1;      // this user's consent: 1 agree, 0 decline, -1 not set
    int traffic_last_ack = -1;     // last consent value confirmed for this user
    int traffic_popup_shown = 0;   // the re-consent dialog was answered with OK once
    int traffic_default = -1;      // consent used when the server gives none
    int consent_from_command_line = 0;

    bool started_from_tray = false;
    std::string first_argument;   // kept for the restart after a self-update
    std::string second_argument;

    std::string program_folder;  // PATH\INSTALL, ends in '/'
    std::string data_folder;     // PATH\DATA, the download folder, ends in '/'
};

// Where the program and its downloads live when the settings do not say.
struct FolderDefaults {
    std::string program_folder;
    std::string data_folder;
};

}  // namespace mapvale::app
