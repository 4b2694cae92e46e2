#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mapvale::servers {

// The category a package file is filed under on the client: a line of the second section of
// Info/PackageInfo.txt.
struct ManifestCategory {
    std::string name;                          // a name holding '*' files every later file
    std::string display;                       // shown on the client; the name when empty
    std::array<std::int32_t, 6> attributes{};  // attributes 1-6
};

struct ManifestFile {
    std::string source;         // the file, relative to the files folder given to the packager
    std::string name;           // AG_FILENAME; the source's own name when empty
    std::string destination;    // DEST_PATH, the folder on the card ('/' separators)
    std::string server_folder;  // where the spans lie below the root URL; the destination
                                // when not given
    std::string archive;        // AG_ZIPNAME; the name up to its first '.' + ".zip" when empty
    std::int32_t version = 0;   // AG_VER
    std::int32_t package_number = 1;  // AG_PACKAGE
    std::string product_info;         // PRODUCT_INFO
    std::uint64_t span_size = 0;      // bytes per span; the manifest's when 0
    std::optional<ManifestCategory> category;
    int line = 0;  // where the file's section starts, for messages; 0 when built in code
};

// What `mapvale-servers pack` makes a package from (syntax of conf_text.h):
//
//   model = HX100                       the package information file is HX100.inf
//   package-type = orla_v5              PACKAGE_TYPE
//   caption = 그랜드 HX                  MODEL_CAPTION (optional)
//   map-version = 20240115              MAP_VERSION
//   second-version = 2024012            SECOND_VERSION
//   version-label = 2024.01             VERSION_LABEL
//   root-url = http://127.0.0.1:18080/vehicle/Waymark/Maps/HX100     ROOT_URL
//   information-folder = /vehicle/Waymark/PackageInfo   where the .inf goes in the content tree
//   notify-url = http://...             NOTIFY_URL (optional)
//   autostart = 1                       ENABLE_AUTOSTART_WMKINSTALLER (optional, default 0)
//   variable = NAME = VALUE             any further header variable (optional, repeatable)
//   span-size = 1048576                 bytes per span (default 1 MiB)
//
//   [file]                              one per file, in package order
//   source = maps/Korea.map             relative to the files folder
//   name = Korea.map                    optional
//   dest = Orla/MapData                 optional
//   server-folder = maps                optional
//   archive = Korea.zip                 optional
//   version = 5
//   package = 1                         optional
//   product-info = ...                  optional
//   span-size = 131072                  optional
//   category = MAP                      optional: the category and ...
//   display = 지도                       ... its display name and ...
//   attributes = 1,0,1,0,0,0            ... six attributes (required with a category)
struct Manifest {
    std::string model;
    std::string package_type;
    std::string caption;
    std::int32_t map_version = 0;
    std::int32_t second_version = 0;
    std::string version_label;
    std::string root_url;
    std::string information_folder;
    std::string notify_url;
    bool autostart = false;
    std::vector<std::pair<std::string, std::string>> variables;
    std::uint64_t span_size = 1u << 20;
    std::vector<ManifestFile> files;

    // Nothing, with `error` naming the line, when the text is not a manifest. Checks the syntax
    // and that the required keys are there; what the values may hold is the packager's check.
    static std::optional<Manifest> Parse(std::string_view text, std::string& error);
    static std::optional<Manifest> Load(const std::string& path, std::string& error);
    // The manifest as text that Parse reads back.
    std::string Format() const;
};

}  // namespace mapvale::servers
