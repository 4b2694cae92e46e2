#pragma once

#include <string>

#include "card/stage_copier.h"
#include "platform/clock.h"

namespace mapvale::card {

// Stage 1 of the install job: the user's own data goes from the card to the package's backup
// folder on the PC before the card is formatted or overwritten.
struct BackupRequest {
    int kind = 0;                     // BackupKind: 1 whole card, 2 all but maps, 3 user data
    std::string card_root;            // the card's root, ending in '/'
    std::string product_folder;       // the card record's product folder
    std::string product_folder_name;  // its entry name in the card root ("Tarno"), no separator
    std::string user_data_filter;     // name fragment of the user data entries ("UserData")
    std::string package_folder;       // data folder + package name + '/': holds the backups
};

// Folders below the backup root that receive the voice and traffic data of the product folder.
inline constexpr std::string_view kVoiceBackupFolder = "Swiftpath_OrLa/UserData/MyVoice";
inline constexpr std::string_view kTrafficBackupFolder = "Swiftpath_OrLa/Data/TraInfo";

// Runs the backup; true on success. Kind 0 copies nothing. Otherwise:
// - an open "Backup" folder left by an install that never closed it (it may hold the only copy
//   of a card's data) is closed first (CloseBackupFolder); when that fails the backup fails
//   rather than overwrite it;
// - the stamped backups beyond the four newest are deleted unless they hold files no kept
//   backup holds (KeepNewestBackups);
// - a card with no entry at all needs no backup: success, no backup folder is made;
// - "Backup" is made afresh; the voice folders (product folder + "Data/Wav/<folder>") and the
//   traffic data (product folder + "Data/TraInfo/<entry>") go to kVoiceBackupFolder and
//   kTrafficBackupFolder; then by kind: 1 copies every card root entry to "Backup/<name>";
//   2 copies every entry but the product folder that way and, of the product folder, the
//   entries whose names contain the filter, to "Backup/" + their path on the card; 3 copies
//   only those user-data entries, and fails when the card's product folder holds none (a card
//   without that folder has no user data to lose: success).
// Any failed copy of data that exists on the card fails the backup (it comes before a format);
// missing voice or traffic folders and, for kind 2, a product folder without user data do not.
// A cancel (the copier's) ends it with false at the next entry.
//
// Runs on the install job's worker thread.
bool RunBackup(StageCopier& copier, const BackupRequest& request, const platform::Clock& clock);

}  // namespace mapvale::card
