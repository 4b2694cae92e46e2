#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/file_entry.h"
#include "model/shared_value.h"

namespace mapvale {

enum class DeviceKind : std::int32_t { kNone = 0, kOrla = 1, kTarno = 2, kVehicle = 8 };

// What a package version file's header says (PC or card copy).
struct VersionHeader {
    std::int32_t map_version = 0;      // field 1
    std::int32_t second_version = 0;   // field 2, the safe-driving data version
    std::string package_name;          // field 3
    std::string version_label;         // field 4
    std::int32_t colour = 1;           // field 5: 1 normal colours, 2 deep colours
    std::int32_t option_value = 0;     // field 6
    std::int32_t completion_mark = 0;  // field 7: 1 = the job that wrote it finished
};

// One navigation unit of the signed-in user, with its package catalogue and the state of a job
// that serves it. Fields marked shared are written by a worker while the user-interface thread
// reads them; all others belong to the user-interface thread.
struct DeviceEntry {
    // Sign-in and device lists.
    std::int32_t kind = 8;      // DeviceKind as a number: 1 ORLA, 2 TARNO, 8 vehicle unit
    std::int32_t sub_kind = 1;  // variant within the kind
    std::string identifier;     // sent as D1 of the download notice
    std::string product_line;   // "PDA" makes the package step read MODEL_CAPTION
    std::string caption;
    std::string option_list;
    std::string model_name;    // also the package name and the package folder's name
    std::string device_class;  // "PDA" is stored as "P"
    std::string picture_path;  // full local path of the product picture, or empty
    std::string shared_value;
    std::int32_t registered = 0;
    std::string registration_text;  // empty when registered
    std::string information_root;   // base URL of the package information files
    std::string extra_value;
    std::array<std::string, 4> extra_fields;

    // Package step.
    std::string notify_url;
    std::int32_t autostart = 0;
    std::int32_t setup_flag = 1;
    std::array<std::int64_t, 3> variant_totals{};  // bytes of the 1 GB, 2 GB and 4 GB variants
    std::vector<FileEntry> files;                  // the file catalogue, in package order
    std::vector<std::string> refused_entries;      // entries of the package left out as unsafe

    // Versions: of the package on the server (records), on the PC and on the card.
    std::int32_t server_map_version = 0;
    std::int32_t server_second_version = 0;
    std::string server_version_label;  // the server's version text: field 4 of version files
    VersionHeader pc_header;
    VersionHeader card_header;
    std::int32_t colour = 1;        // map colour choice: 1 normal, 2 deep
    std::int32_t option_value = 0;  // the device's option value written to version files

    // Selection of files for an install type.
    std::int64_t download_size = 0;     // sum of AG_ZIPSIZE of the selected files
    std::uint32_t installed_size = 0;   // sum of AG_FILESIZE of the selected files
    std::int32_t downloaded_count = 0;  // selected files already downloaded
    std::uint32_t needed_kb = 0;

    // Job (owned by the controller; see the message handlers).
    std::int32_t job_state = 0;  // 0 idle, 1 backup, 2 format, 3 restore, 4 between, 5 run, 6 end
    std::int32_t busy = 0;
    std::int64_t download_start_time = 0;
    std::int64_t copy_start_time = 0;
    SharedValue<std::int32_t> excluded_seconds = 0;      // shared: download worker
    SharedValue<std::int32_t> completed_file_count = 0;  // shared: download worker
    std::int32_t remaining_download_seconds = 0;
    std::int32_t remaining_copy_seconds = 0;
    std::uint16_t download_percent = 0;
    std::uint16_t install_percent = 0;
    double download_speed = 0;  // KB per second
    double copy_speed = 0;      // KB per second
    std::int32_t backup_option = 0;
    std::int32_t format_option = 0;
    std::int32_t install_type = 0;  // 1, 2, 4 GB variants; 100 and 200 special device types
    std::string job_user_id;
};

}  // namespace mapvale
