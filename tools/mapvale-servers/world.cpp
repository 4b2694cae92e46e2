#include "mapvale-servers/world.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <vector>

#include "catalog/package_step.h"
#include "mapvale-servers/accounts.h"
#include "mapvale-servers/category_lines.h"
#include "mapvale-servers/manifest.h"
#include "mapvale-servers/packager.h"
#include "mapvale-servers/synthetic_files.h"
#include "mapvale-servers/theme_api.h"
#include "mapvale-servers/tiny_png.h"
#include "mapvale-servers/world_address.h"
#include "mapvale-servers/world_settings.h"
#include "mapvale-servers/world_update_server.h"
#include "model/page_addresses.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

using Attributes = std::array<std::int32_t, 6>;

constexpr std::size_t kKiB = 1024;

// A file of a package of the world, by device kind.
struct FileSpec {
    const char* name;
    const char* destination;
    std::size_t size;  // 0: the self-extracting program
    std::int32_t version;
    std::uint64_t span_size;
    const char* category;
    const char* display;
    Attributes attributes;
};

constexpr Attributes kEveryVariant{1, 0, 1, 0, 0, 0};
constexpr Attributes kOneGigabyte{1, 0, 0, 1, 0, 0};
constexpr Attributes kTwoAndFourGigabytes{1, 0, 0, 0, 1, 1};

// Vehicle units (orla_v5, device kind 8). The '*' category files everything after the map.
const std::vector<FileSpec> kVehicleFiles = {
    {"Nav.bin", "Orla/Program", 48 * kKiB, 3, 1u << 20, "PROGRAM", "프로그램", kEveryVariant},
    {"Korea.map", "Orla/MapData", 300 * kKiB, 5, 128 * kKiB, "MAP", "지도", kEveryVariant},
    {"poi.dat", "Orla/MapData", 20 * kKiB, 5, 1u << 20, "*ETC", "기타", kEveryVariant},
    {"voice.dat", "Orla/Voice", 12 * kKiB, 2, 1u << 20, "*ETC", "기타", kEveryVariant},
};
// Self-extracting parts (a program stub before a zip archive, size 0 here): the client unpacks
// each a second time into a folder named after it beside it ("MAP.exe" into "MAP/", whose
// TPEG_IMAGE folder goes to the card; "HTML.exe" into "HTML/", ...), and installs "ovm.exe" as
// the program itself. One of each shape the client must handle: at the package root and in a
// destination folder, in one span and in several, for each kind of unit.
const std::vector<FileSpec> kVehicleParts = {
    {"MAP.exe", "", 0, 5, 24 * kKiB, "*ETC", "기타", kEveryVariant},
    {"IMAGE.exe", "Orla", 0, 1, 1u << 20, "*ETC", "기타", kEveryVariant},
};
const std::vector<FileSpec> kOrlaParts = {
    {"SPOT.exe", "", 0, 1, 24 * kKiB, "*ETC", "기타", kEveryVariant},
};
const std::vector<FileSpec> kTarnoParts = {
    {"ovm.exe", "", 0, 1, 1u << 20, "*ETC", "기타", kEveryVariant},
    {"HTML.exe", "메모리카드데이터/Tarno", 0, 1, 24 * kKiB, "*ETC", "기타", kEveryVariant},
};
const std::vector<FileSpec> kNoParts;

// ORLA units (ORLA_v4, orla_3d: device kind 1), with the 1 GB and 2 GB map variants.
const std::vector<FileSpec> kOrlaFiles = {
    {"Nav.bin", "Swiftpath_OrLa/Program", 48 * kKiB, 3, 1u << 20, "PROGRAM", "프로그램",
     kEveryVariant},
    {"ND_1GB.VB", "Swiftpath_OrLa/MapData", 150 * kKiB, 5, 100 * kKiB, "MAP_1GB", "지도(1GB)",
     kOneGigabyte},
    {"ND_2GB.VB", "Swiftpath_OrLa/MapData", 220 * kKiB, 5, 100 * kKiB, "MAP_2GB", "지도(2GB)",
     kTwoAndFourGigabytes},
    {"poi.dat", "Swiftpath_OrLa/MapData", 20 * kKiB, 5, 1u << 20, "*ETC", "기타", kEveryVariant},
    {"voice.dat", "Swiftpath_OrLa/Voice", 12 * kKiB, 2, 1u << 20, "*ETC", "기타", kEveryVariant},
};

// TARNO units (device kind 2), with the camera data and a file with a Korean name.
const std::vector<FileSpec> kTarnoFiles = {
    {"Nav.bin", "메모리카드데이터/Tarno/Program", 48 * kKiB, 3, 1u << 20, "PROGRAM", "프로그램",
     kEveryVariant},
    {"KOREA_1GB.GPI", "메모리카드데이터/Tarno/MapData", 150 * kKiB, 7, 100 * kKiB, "MAP_1GB",
     "지도(1GB)", kOneGigabyte},
    {"KOREA_2GB.GPI", "메모리카드데이터/Tarno/MapData", 220 * kKiB, 7, 100 * kKiB, "MAP_2GB",
     "지도(2GB)", kTwoAndFourGigabytes},
    {"camera.dat", "메모리카드데이터/Tarno/MapData/M03_Camera", 30 * kKiB, 4, 1u << 20, "CAMERA",
     "안전운전", kEveryVariant},
    {"poi.dat", "메모리카드데이터/Tarno/MapData", 20 * kKiB, 7, 1u << 20, "*ETC", "기타",
     kEveryVariant},
    {"안내음성.dat", "메모리카드데이터/Tarno/Voice", 12 * kKiB, 2, 1u << 20, "*ETC", "기타",
     kEveryVariant},
};

struct Line {
    std::int32_t map_version;
    std::int32_t second_version;
    const char* label;
};
constexpr Line kOrlaLine{20240115, 2024012, "2024.01"};
constexpr Line kTarnoLine{20240301, 2024031, "2024.03"};

struct PackageSpec {
    const char* model;
    const char* package_type;
    const std::vector<FileSpec>* self_extracting;
};

const PackageSpec kPackages[] = {
    {"HX100", "orla_v5", &kVehicleParts}, {"HS200", "ORLA_v4", &kOrlaParts},
    {"HT300", "TARNO_LOW", &kTarnoParts}, {"HV400", "TARNO_HIGH", &kNoParts},
    {"KA10", "orla_3d", &kNoParts},       {"KB20", "orla_v5", &kNoParts},
    {"KC30", "TARNO_HIGH", &kNoParts},    {"KD40", "ORLA_v4", &kNoParts},
};

constexpr const char* kMapsFolder = "/vehicle/Waymark/Maps";
constexpr const char* kPagesFolder = "/orla/Waymark/InstallInfoPlus";

// The accounts of the world. ADDRESS-free: sign-in answers add the world's URLs themselves.
constexpr const char* kAccounts =
    R"(# Accounts of the stand-in registration and service servers (see
# tools/mapvale-servers/README.md for the keys). Passwords are the demo's, not secrets.

# An OV (H) account: its account check is also its vehicle list.
[account hong]
password = 1234
letter = H
name = 홍길동
service = T
registration-text = 등록되지 않은 차량입니다. 차량을 등록해 주세요.
shared-value = OVCLUB
shared-flag = 1

[vehicle]
model = HX100
product-line = HX-100
caption = 그랜드 HX
options = 블랙박스, 하이패스
picture = HX100.png
class = AVN
extra = 2024|OV|SEOUL|A1

[vehicle]
model = HS200
product-line = HS-200
caption = 스포츠 HS
picture = HS200.png
class = PDA
extra = 2023|OV|BUSAN|A2

[vehicle]
model = HT300
product-line = HT-300
caption = 투어러 HT
picture = HT300.png
class = AVN
extra = 2022|OV|DAEGU|A3

[vehicle]
model = HV400
registered = 0
product-line = HV-400
caption = 밴 HV
class = AVN
extra = 2021|OV|INCHEON|A4

# A DL (K) account.
[account kim]
password = 5678
letter = K
name = 김철수
service = F
registration-text = 미등록 차량입니다.
shared-value = DLCLUB
shared-flag = 0

[vehicle]
model = KA10
product-line = KA-10
caption = 알파 KA
picture = KA10.png
class = AVN
extra = 2024|DL|SEOUL|B1

[vehicle]
model = KB20
product-line = KB-20
caption = 브라보 KB
picture = KB20.png
class = AVN
extra = 2023|DL|ULSAN|B2

[vehicle]
model = KC30
product-line = KC-30
caption = 찰리 KC
picture = KC30.png
class = AVN
extra = 2022|DL|SUWON|B3

[vehicle]
model = KD40
registered = 0
product-line = KD-40
caption = 델타 KD
class = AVN
extra = 2021|DL|JEJU|B4

# An ORLA unit account: its units come from the service server.
[account orla]
password = 1111
letter = G
name = 박영희

[vehicle]
model = HS200
product-line = GO-1
caption = 오를라 포켓
picture = HS200.png
class = PDA

# A TARNO unit account (the client lists no devices for it).
[account tarno]
password = 2222
letter = M
name = 이민수

# An account the server knows but reports as "no account".
[account nobody]
password = 0000
letter = X
)";

constexpr const char* kTrafficConf =
    R"(# The stand-in traffic-information server (serve --traffic-listen): see
# tools/mapvale-servers/traffic_server.h. Entries: <type>|<delete after upload 0/1>|<path below
# the card's product folder>; a path without an extension is a folder.
key = 20240510
entry = 3|1|Data/TraInfo
upload = accept
key-request = answer
)";

std::string Crlf(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += "\r\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

class WorldWriter {
public:
    WorldWriter(const WorldOptions& options, std::string& error)
        : options_(options), layout_(options.folder), error_(error) {}

    bool Write() {
        return Prepare() && WriteSettings() && WriteAccounts() && WritePackages() &&
               WriteVersionRecords() && WritePictures() && WriteThemes() &&
               WriteBannersAndPages() && WriteProgramFolder() &&
               WriteUpdateServer(layout_, options_.offer_update, error_) && WriteReadme();
    }

private:
    std::string BaseUrl() const { return "http://" + options_.address.ToString(); }

    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool Put(const std::string& path, std::string_view bytes) {
        if (!platform::CreateFolderChain(std::filesystem::path(path).parent_path().string()) ||
            !platform::WriteFileAtomic(path, bytes)) {
            return Fail("cannot write " + path);
        }
        return true;
    }

    bool PutCp949(const std::string& path, std::string_view utf8) {
        return Put(path, platform::Utf8ToCp949(Crlf(utf8), platform::InvalidBytes::kReplace).text);
    }

    std::string ContentPath(std::string_view relative) const {
        return platform::JoinPath(layout_.Content(), relative);
    }

    bool Prepare() {
        const std::filesystem::path folder(options_.folder);
        std::error_code failed;
        if (std::filesystem::exists(folder, failed) && !std::filesystem::is_empty(folder, failed) &&
            !platform::FileExists(layout_.Settings())) {
            return Fail(options_.folder + " holds files but no world.conf; choose an empty folder");
        }
        for (const std::string& part : {layout_.Content(), layout_.Manifests(), layout_.Sources(),
                                        layout_.TrafficUploads(), layout_.ProgramFolder()}) {
            if (!platform::DeleteFolderTree(part)) {
                return Fail("cannot remove the earlier " + part);
            }
        }
        platform::DeleteFileForce(layout_.RequestLog());
        if (!platform::CreateFolderChain(layout_.Content())) {
            return Fail("cannot create " + layout_.Content());
        }
        return true;
    }

    bool WriteSettings() {
        WorldSettings settings;
        settings.address = options_.address;
        settings.traffic_address = options_.traffic_address;
        settings_ = settings;
        return Put(layout_.Settings(), settings.Format()) &&
               Put(layout_.TrafficConf(), kTrafficConf);
    }

    bool WriteAccounts() {
        std::string problem;
        if (!Accounts::Parse(kAccounts, problem)) {
            return Fail("the world's own accounts do not read: " + problem);
        }
        return Put(layout_.Accounts(), kAccounts);
    }

    bool WriteSource(const std::string& path, std::string_view bytes) {
        if (!Put(path, bytes)) {
            return false;
        }
        // Dated like the members made in memory, so that a world made twice is the same.
        std::error_code ignored;
        std::filesystem::last_write_time(
            path,
            std::filesystem::file_time_type::clock::from_sys(
                std::chrono::sys_seconds(std::chrono::seconds(1704067200))),
            ignored);
        return true;
    }

    bool WritePackages() {
        std::vector<PackageCategory> categories;
        for (const PackageSpec& package : kPackages) {
            const std::int32_t kind = catalog::PackageKindFromType(package.package_type).kind;
            const std::vector<FileSpec>& files = kind == 8   ? kVehicleFiles
                                                 : kind == 2 ? kTarnoFiles
                                                             : kOrlaFiles;
            const Line& line = kind == 2 ? kTarnoLine : kOrlaLine;

            Manifest manifest;
            manifest.model = package.model;
            manifest.package_type = package.package_type;
            manifest.map_version = line.map_version;
            manifest.second_version = line.second_version;
            manifest.version_label = line.label;
            manifest.root_url = BaseUrl() + kMapsFolder + "/" + package.model;
            manifest.information_folder = settings_.information_folder;
            manifest.notify_url = BaseUrl() + kPagesFolder + "/notice.html";
            const std::string sources = platform::JoinPath(layout_.Sources(), package.model);
            std::vector<FileSpec> specs = files;
            specs.insert(specs.end(), package.self_extracting->begin(),
                         package.self_extracting->end());
            for (const FileSpec& spec : specs) {
                ManifestFile file;
                file.source = platform::JoinPath(spec.destination, spec.name);
                while (!file.source.empty() && file.source.front() == '/') {
                    file.source.erase(0, 1);
                }
                file.destination = spec.destination;
                file.version = spec.version;
                file.span_size = spec.span_size;
                file.category = ManifestCategory{spec.category, spec.display, spec.attributes};
                std::string bytes;
                if (spec.size == 0) {
                    auto program = SelfExtractingPart(package.model, spec.name);
                    if (!program) {
                        return false;
                    }
                    bytes = std::move(*program);
                } else {
                    bytes = SyntheticBytes(std::string(package.model) + "/" + spec.name, spec.size);
                }
                if (!WriteSource(platform::JoinPath(sources, file.source), bytes)) {
                    return false;
                }
                manifest.files.push_back(std::move(file));
            }
            if (!Put(platform::JoinPath(layout_.Manifests(), std::string(package.model) + ".txt"),
                     manifest.Format())) {
                return false;
            }
            const auto packed = Pack(manifest, sources, layout_.Content(), error_);
            if (!packed) {
                error_ = std::string(package.model) + ": " + error_;
                return false;
            }
            if (!MergeCategoryLines(categories, packed->categories, error_)) {
                return false;
            }
        }
        categories_ = std::move(categories);
        return true;
    }

    // "MAP.exe" holds TPEG_IMAGE/ tiles, every other part a few files of its own.
    std::optional<std::string> SelfExtractingPart(const std::string& model,
                                                  std::string_view program_name) {
        const std::string part(program_name.substr(0, program_name.find('.')));
        const std::string folder = part == "MAP" ? "TPEG_IMAGE/" : "";
        std::vector<ZipMember> members;
        for (const char* tile : {"Tile001.dat", "Tile002.dat", "Tile003.dat"}) {
            members.push_back(
                {folder + tile, {}, SyntheticBytes(model + "/" + part + "/" + tile, 16 * kKiB)});
        }
        const std::string stub =
            "MZ" + SyntheticBytes(model + "/" + (part == "MAP" ? "stub" : part + "/stub"), 4094);
        auto program = SelfExtractingProgram(
            stub, members, platform::JoinPath(layout_.Sources(), ".scratch"), error_);
        platform::DeleteFolderTree(platform::JoinPath(layout_.Sources(), ".scratch"));
        return program;
    }

    bool WriteVersionRecords() {
        const auto record = [](const Line& line, int month, int count, int camera_count) {
            const int year = line.map_version / 10000 - 2000;
            return "[INFO]\nver=" + std::string(line.label) +
                   "\n[MAP]\nyear=" + std::to_string(year) + "\nmonth=" + std::to_string(month) +
                   "\ncount=" + std::to_string(count) + "\n[CAMERA]\nyear=" + std::to_string(year) +
                   "\nmonth=" + std::to_string(month) + "\ncount=" + std::to_string(camera_count) +
                   "\n";
        };
        // The numbers the packages carry: 20240115 and 2024012, 20240301 and 2024031.
        return PutCp949(ContentPath("orla/_Waymark/Wmk_Version_Orla.inf"),
                        record(kOrlaLine, 1, 15, 2)) &&
               PutCp949(ContentPath("tarno/_Waymark/Wmk_Version_Tarno.inf"),
                        record(kTarnoLine, 3, 1, 1));
    }

    bool WritePictures() {
        struct Picture {
            const char* name;
            std::uint8_t red, green, blue;
        };
        const Picture pictures[] = {
            {"HX100.png", 200, 40, 40}, {"HS200.png", 40, 160, 60}, {"HT300.png", 40, 80, 200},
            {"KA10.png", 220, 180, 30}, {"KB20.png", 120, 40, 160}, {"KC30.png", 30, 160, 160},
        };
        const std::string folder = platform::JoinPath(layout_.Content(), settings_.picture_folder);
        for (const Picture& picture : pictures) {
            if (!Put(platform::JoinPath(folder, picture.name),
                     TinyPng(48, 32, picture.red, picture.green, picture.blue))) {
                return false;
            }
        }
        return true;
    }

    bool WriteBannersAndPages() {
        const std::string base = BaseUrl();
        const auto page = [](std::string_view title) {
            // Banners show from a narrow column to a wide strip: a small centred heading fits all.
            return "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"euc-kr\"><title>" +
                   std::string(title) +
                   "</title><style>html,body{height:100%;margin:0}body{display:flex;"
                   "align-items:center;justify-content:center;text-align:center;"
                   "font-family:sans-serif;color:#1e3a5f;background:linear-gradient(#f4f8fb,"
                   "#dde8f0)}h1{font-size:17px;margin:6px}</style></head>\n<body><h1>" +
                   std::string(title) + "</h1></body></html>\n";
        };
        const struct {
            const char* line;  // "orla" or "tarno"
            const char* list;  // the banner list's name
        } lines[] = {{"orla", "wmk_banner_edit_g.txt"}, {"tarno", "wmk_banner_edit_m.txt"}};
        for (const auto& line : lines) {
            const std::string pages = std::string("/") + line.line + "/Waymark/InstallInfoPlus";
            const std::string list =
                "# 배너 목록: 글자(S 메인 화면, E 설치 진행 화면), 표시 초, 주소\n"
                "S,30," +
                base + pages +
                "/banner_s1.html\n"
                "S,20," +
                base + pages +
                "/banner_s2.html\n"
                "E,30," +
                base + pages + "/banner_e1.html\n";
            if (!PutCp949(ContentPath(std::string(line.line) + "/Waymark/SoftwareUpdatePlus/" +
                                      line.list),
                          list)) {
                return false;
            }
            for (const char* name :
                 {"banner_s1.html", "banner_s2.html", "banner_e1.html", "Opt_Basic.html",
                  "Opt_SD1G.html", "Opt_SD2G.html", "Opt_SD2G_LOW.html", "Opt_SD2G_HIGH.html",
                  "Opt_SD4G.html", "Opt_User.html", "Opt_Cam.html"}) {
                if (!PutCp949(ContentPath(pages + "/" + name),
                              page(std::string(line.line) + " " + name))) {
                    return false;
                }
            }
        }
        return PutCp949(ContentPath(std::string(kPagesFolder) + "/BanerH10.html"),
                        page("설치 안내")) &&
               PutCp949(ContentPath(std::string(kPagesFolder) + "/traffic.html"),
                        page("교통정보 서비스")) &&
               PutCp949(ContentPath(std::string(kPagesFolder) + "/notice.html"), NoticePage()) &&
               WriteSignInPages(page);
    }

    template <typename Page>
    bool WriteSignInPages(const Page& page) {
        for (const std::string_view key : {PageAddresses::kFindIdOv, PageAddresses::kFindPasswordOv,
                                           PageAddresses::kFindIdDl, PageAddresses::kFindPasswordDl,
                                           PageAddresses::kOrlaHome, PageAddresses::kProductSite}) {
            if (!PutCp949(ContentPath(std::string(kSignInPages) + "/" + std::string(key) + ".html"),
                          page(std::string(key)))) {
                return false;
            }
        }
        return true;
    }

    // The notice before a job: its buttons give the program's answer through window.external.
    static std::string NoticePage() {
        return "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"euc-kr\">"
               "<title>업데이트 안내</title>\n<style>body{font-family:NanumGothic,sans-serif;"
               "margin:12px;color:#0F2A44;background:#F4F7FA}h1{font-size:16px;color:#1E4566}"
               "button{width:120px;height:30px;margin:6px}</style></head>\n<body>"
               "<h1>업데이트 안내</h1><p>새 지도로 업데이트합니다.</p>"
               "<button id=\"start\" onclick=\"window.external.__StartUpdate()\">업데이트 시작"
               "</button><br><button id=\"stop\" onclick=\"window.external.__StopUpdate()\">"
               "업데이트 안 함</button></body></html>\n";
    }

    bool WriteProgramFolder() {
        const std::vector<PackageListRecord> families = {
            {'1', 1, "ORLA 내비게이션"},
            {'8', 1, "ORLA 차량용 내비게이션"},
            {'2', 1, "TARNO 내비게이션"},
        };
        // The card unit HX100 updates from SD; the other media go to units that no card flow
        // depends on.
        return Put(layout_.ServersIni(),
                   ServersIniText(options_.address, options_.traffic_address)) &&
               Put(layout_.PackageList(), PackageListText(families, categories_)) &&
               Put(layout_.VehicleMedia(), "HX100|SD\nKB20|USB\nKC30|USBDVD\nKD40|DVD\n");
    }

    // Small theme files whose bytes say which theme they are, so a copy on a card is recognised.
    bool WriteThemes() {
        for (const WorldTheme& theme : WorldThemes()) {
            std::string bytes =
                "THEME " + std::string(theme.kind) + " " + std::string(theme.id_code) + "\n";
            bytes.resize(4096, static_cast<char>(theme.id_code.back()));
            if (!Put(layout_.Themes() + "/" + std::string(theme.kind) + "/" +
                         std::string(theme.id_code) + ".bin",
                     bytes)) {
                return false;
            }
        }
        return true;
    }

    bool WriteReadme() {
        return Put(options_.folder + "/README.txt",
                   "A demo world of mapvale-servers (tools/mapvale-servers/README.md).\n\n"
                   "Serve it:   mapvale-servers serve --world " +
                       options_.folder + " [--traffic-listen " +
                       options_.traffic_address.ToString() +
                       "]\n"
                       "Point a program folder at it: copy program/Info/ over its Info/\n"
                       "(Servers.ini, PackageInfo.txt, the self-update's UpdateInfo.txt and\n"
                       "files).\n\n"
                       "Sign-in: hong / 1234 (brand OV), kim / 5678 (brand DL); the other\n"
                       "accounts of accounts.txt show the other answers.\n\n" +
                       (options_.offer_update
                            ? std::string("The update server offers newer program files "
                                          "(Info/Notice.txt,\nInfo/UpdateGuide.html) than "
                                          "program/Info/ holds: a check finds an update.\n")
                            : std::string("A program folder made from program/Info/ is current; "
                                          "make the world with\n--offer-update to see a "
                                          "self-update.\n")));
    }

    const WorldOptions& options_;
    WorldLayout layout_;
    std::string& error_;
    WorldSettings settings_;
    std::vector<PackageCategory> categories_;
};

}  // namespace

bool MakeWorld(const WorldOptions& options, std::string& error) {
    if (options.folder.empty()) {
        error = "no world folder given";
        return false;
    }
    return WorldWriter(options, error).Write();
}

}  // namespace mapvale::servers
