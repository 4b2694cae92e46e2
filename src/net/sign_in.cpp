#include "net/sign_in.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

#include "net/answer_envelope.h"
#include "net/web_post.h"
#include "platform/files.h"

namespace mapvale::net {

namespace {

constexpr std::string_view kRegistrationPath = "/WMK/WMKChkRegist.mms";
constexpr std::string_view kOrlaListPath = "/WMK/orlaWMKChkRegist.mms";

// The first UTF-8 character of `text` (a lead byte and its continuation bytes).
std::string FirstCharacter(std::string_view text) {
    std::size_t length = text.empty() ? 0 : 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return std::string(text.substr(0, length));
}

int Fail(SignInResult& result, std::string_view message, std::int32_t code) {
    result.message = std::string(message);
    result.result_code = code;
    return 0;
}

// The product picture of a device, fetched into the picture folder when it is not there yet.
// Names that would leave the folder are refused. The local path, or empty.
std::string FetchPicture(const std::string& name, const std::string& picture_root,
                         const std::string& picture_folder, CWebPOST& web) {
    if (name.empty()) {
        return {};
    }
    const auto local = platform::SafeJoin(picture_folder, name);
    if (!local) {
        return {};
    }
    if (platform::FileExists(*local)) {
        return *local;
    }
    const std::string url = picture_root + "/" + name;
    if (web.DownloadToFile(url, *local, false, nullptr, nullptr) != 1) {
        // A failed download must not leave a broken picture behind to be "found" next time.
        platform::DeleteFileForce(*local);
        return {};
    }
    return *local;
}

// Whether a model name from the server can name the unit's package folder and its package
// information file: one plain name that stays inside the folder it is joined to. An empty name
// or "." would make the package folder the data folder itself, whose clean-up would then delete
// everything in it.
bool IsSafePackageName(std::string_view name) {
    if (name.empty() || name.front() == '.' ||
        name.find_first_of("/\\") != std::string_view::npos ||
        name.find("..") != std::string_view::npos) {
        return false;
    }
    const auto relative = platform::SafeRelativePath(name);
    return relative && *relative == name;
}

// A server's text made fit for a one-line report: at most 64 bytes, control bytes as '?'.
std::string Printable(std::string_view text) {
    std::string out(text.substr(0, 64));
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return out;
}

// The n-th piece of a list split once, or empty when the list is shorter.
std::string_view At(const std::vector<std::string_view>& pieces, std::size_t n) {
    return n < pieces.size() ? pieces[n] : std::string_view();
}

// Builds the devices of a vehicle list answer. 0 when the answer has no result section or the
// sign-in was cancelled; 1 otherwise (the list may be empty).
//
// Every section is split once and each device takes its pieces by index, so the work grows
// with the answer, not with its square.
int ParseVehicleList(SignInResult& result, std::list<DeviceEntry>& devices,
                     const std::string& answer, const std::string& picture_folder, CWebPOST& web,
                     const SignInHooks& hooks) {
    const AnswerEnvelope envelope(answer);
    const std::string result_section = envelope.Section(1);
    if (result_section.empty()) {
        result.message = std::string(kTextNoDetail0);
        return 0;
    }
    // Fields 0-2 are the result; one entry per device follows. One field past the bound tells
    // whether entries were dropped.
    constexpr std::size_t kFirstEntry = 3;
    const std::vector<std::string_view> fields =
        PieceViews(result_section, "|", kFirstEntry + kMaxSignInDevices + 1);
    const std::string code(At(fields, 0));
    result.result_code = LeadingNumber(code);
    if (code != "200" && hooks.message_box) {
        hooks.message_box(kTextNoDetailBox);
    }
    result.account_text = std::string(At(fields, 1));
    const std::string registration_text(At(fields, 2));
    std::size_t entry_count = fields.size() > kFirstEntry ? fields.size() - kFirstEntry : 0;
    if (entry_count > kMaxSignInDevices) {
        std::fprintf(stderr,
                     "mapvale: sign-in: the vehicle list names more than %zu devices; "
                     "the rest are ignored\n",
                     kMaxSignInDevices);
        entry_count = kMaxSignInDevices;
    }

    const std::string shared = envelope.Section(2);
    const std::string shared_value =
        SubField(shared, 1).rfind('1', 0) == 0 ? SubField(shared, 0) : std::string();
    const std::string information_root = envelope.Section(4);
    const std::string lines_section = envelope.Section(5);
    const std::string pictures_section = envelope.Section(6);
    const std::string picture_root = envelope.Section(7);
    const std::string classes_section = envelope.Section(8);
    const std::string extras_section = envelope.Section(9);
    const auto lines = PieceViews(lines_section, "|*|", entry_count);
    const auto pictures = PieceViews(pictures_section, "|*|", entry_count);
    const auto classes = PieceViews(classes_section, "|*|", entry_count);
    const auto extras = PieceViews(extras_section, "|*|", entry_count);
    // The same four fields for every device of the answer.
    std::array<std::string, 4> extra_fields;
    const auto extra_pieces = PieceViews(extras_section, "|", extra_fields.size());
    for (std::size_t k = 0; k < extra_fields.size(); ++k) {
        extra_fields[k] = std::string(At(extra_pieces, k));
    }

    for (std::size_t n = 0; n < entry_count; ++n) {
        if (result.cancel.load() == 1) {
            return 0;
        }
        if (hooks.pump_messages) {
            hooks.pump_messages();
        }
        const std::string_view entry = fields[kFirstEntry + n];
        const std::string_view name = entry.substr(0, entry.find('$'));
        const std::string_view model_name = name.substr(0, name.find('.'));
        if (!IsSafePackageName(model_name)) {
            std::fprintf(stderr,
                         "mapvale: sign-in: device %zu dropped: its model name \"%s\" "
                         "cannot name a package folder\n",
                         n, Printable(name).c_str());
            continue;
        }
        DeviceEntry device;
        device.kind = 8;
        device.sub_kind = 1;
        device.model_name = std::string(model_name);
        device.registered = SubField(entry, 1) == "1" ? 1 : 0;
        device.registration_text = device.registered == 1 ? std::string() : registration_text;
        device.shared_value = shared_value;
        device.information_root = information_root;

        const std::vector<std::string_view> parts = PieceViews(At(lines, n), "$");
        device.product_line = std::string(parts[0]);
        device.caption = std::string(At(parts, 1));
        device.option_list = device.product_line + "/" + device.caption;
        for (std::size_t k = 2; k < parts.size(); ++k) {
            device.option_list += ",";
            device.option_list += parts[k];
        }
        device.device_class = std::string(At(classes, n));
        if (device.device_class == "PDA") {
            device.device_class = "P";
        }
        device.extra_value = std::string(At(extras, n));
        device.extra_fields = extra_fields;
        device.picture_path =
            FetchPicture(std::string(At(pictures, n)), picture_root, picture_folder, web);
        devices.push_back(std::move(device));
    }
    return 1;
}

}  // namespace

std::string DeviceLabel(const DeviceEntry& device) {
    switch (device.kind) {
        case 1:
            return "[ORLA     ] " + device.product_line;
        case 2:
            return "[Tarno] " + device.product_line;
        case 8:
            return "[OV] " + device.product_line;
        default:
            return {};
    }
}

int SignIn(SignInResult& result, std::list<DeviceEntry>& devices, std::string_view user_id,
           std::string_view brand_code, std::string_view password,
           const std::string& picture_folder, const ServerConfig& servers, CWebPOST& web,
           const SignInHooks& hooks) {
    const std::string registration = servers.HostText(ServerConfig::kRegistration);
    const std::string answer =
        web.FetchText(registration, kRegistrationPath, user_id, brand_code, password, 80);
    if (answer.empty()) {
        return Fail(result, kTextNoLoginAnswer, -1);
    }
    const AnswerEnvelope envelope(answer);
    const std::string result_section = envelope.Section(1);
    if (result_section.empty()) {
        result.message = std::string(kTextNoResult0);
        return 0;
    }
    const std::string code = Field(result_section, 0);
    result.result_code = LeadingNumber(code);
    if (code != "200") {
        const std::string text = Field(result_section, 1);
        result.message = text.empty() ? std::string(kTextNoResult1) : text;
        return 0;
    }
    result.account_text = Field(result_section, 1);
    // Section 5 of an H or K account's answer is also its vehicle list (the same request serves
    // both), so only its first character is the account kind.
    result.account_kind = FirstCharacter(envelope.Section(5));
    result.service_flag = envelope.Section(3);

    const char letter = result.account_kind.empty()
                            ? '\0'
                            : static_cast<char>(std::toupper(
                                  static_cast<unsigned char>(result.account_kind.front())));
    std::string list;
    switch (letter) {
        case 'H':
        case 'K':
            list = web.FetchText(registration, kRegistrationPath, user_id,
                                 letter == 'H' ? "OV" : "DL", password, 80);
            break;
        case 'G':
            list = web.FetchText(servers.HostText(ServerConfig::kService), kOrlaListPath, user_id,
                                 brand_code, password, 80);
            break;
        case 'M':
        case 'D':
            break;  // these accounts list no devices here
        case 'X':
            return Fail(result, kTextNoAccount, -1);
        default:
            return Fail(result, kTextBadAccount, -1);
    }
    if (list.empty()) {
        return Fail(result, kTextNoDeviceList, -1);
    }

    devices.clear();
    if ((letter == 'H' || letter == 'K') &&
        ParseVehicleList(result, devices, list, picture_folder, web, hooks) == 0) {
        return 0;
    }
    devices.sort(
        [](const DeviceEntry& a, const DeviceEntry& b) { return DeviceLabel(a) < DeviceLabel(b); });
    if (devices.empty()) {
        // The package step has nothing to file: say so instead of failing without a text.
        return Fail(result, kTextNoDeviceList, -1);
    }
    return hooks.package_step ? hooks.package_step(devices) : 0;
}

void SendDownloadNotice(const DeviceEntry& device, CWebPOST& web, const ServerConfig& servers) {
    std::string_view role;
    std::string_view path;
    switch (device.kind) {
        case 1:
            role = ServerConfig::kService;
            path = "WMK/orlaWMKChkDown.mms";
            break;
        case 2:
            role = ServerConfig::kService;
            path = "WMK/tarnoWMKChkDown.mms";
            break;
        case 8:
            role = ServerConfig::kRegistration;
            path = "WMK/WMKChkDown.mms";
            break;
        default:
            return;
    }
    web.ClearParameters();
    web.AddParameter("D1", device.identifier.empty() ? "UNKNOWN" : device.identifier);
    web.AddParameter("D2", device.product_line);
    web.AddParameter("D3", device.caption);
    web.AddParameter("D4", device.model_name);
    web.AddParameter("D5", "M");
    web.AddParameter("D6", device.device_class);
    static constexpr std::array<std::string_view, 4> kExtraNames{"D7", "D8", "D9", "D10"};
    for (std::size_t k = 0; k < device.extra_fields.size() && k < kExtraNames.size(); ++k) {
        web.AddParameter(kExtraNames[k], device.extra_fields[k]);
    }
    WebResponse ignored;
    web.SendRequest(servers.HostText(role), path, ignored, 80, "GET", false);
}

}  // namespace mapvale::net
