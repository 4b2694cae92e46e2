#include "net/sign_in.h"

#include <array>
#include <cctype>

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

// Builds the devices of a vehicle list answer. 0 when the answer has no result section or the
// sign-in was cancelled; 1 otherwise (the list may be empty).
int ParseVehicleList(SignInResult& result, std::list<DeviceEntry>& devices,
                     const std::string& answer, const std::string& picture_folder,
                     CWebPOST& web, const SignInHooks& hooks) {
    const AnswerEnvelope envelope(answer);
    const std::string result_section = envelope.Section(1);
    if (result_section.empty()) {
        result.message = std::string(kTextNoDetail0);
        return 0;
    }
    const std::string code = Field(result_section, 0);
    result.result_code = LeadingNumber(code);
    if (code != "200" && hooks.message_box) {
        hooks.message_box(kTextNoDetailBox);
    }
    result.account_text = Field(result_section, 1);
    const std::string registration_text = Field(result_section, 2);

    const std::string shared = envelope.Section(2);
    const std::string shared_value =
        SubField(shared, 1).rfind('1', 0) == 0 ? SubField(shared, 0) : std::string();
    const std::string information_root = envelope.Section(4);
    const std::string lines = envelope.Section(5);
    const std::string pictures = envelope.Section(6);
    const std::string picture_root = envelope.Section(7);
    const std::string classes = envelope.Section(8);
    const std::string extras = envelope.Section(9);

    for (std::size_t n = 0; HasPiece(result_section, n + 3, "|"); ++n) {
        if (result.cancel.load() == 1) {
            return 0;
        }
        if (hooks.pump_messages) {
            hooks.pump_messages();
        }
        DeviceEntry device;
        device.kind = 8;
        device.sub_kind = 1;
        const std::string entry = Field(result_section, n + 3);
        const std::string name = SubField(entry, 0);
        device.model_name = name.substr(0, name.find('.'));
        device.registered = SubField(entry, 1) == "1" ? 1 : 0;
        device.registration_text = device.registered == 1 ? std::string() : registration_text;
        device.shared_value = shared_value;
        device.information_root = information_root;

        const std::vector<std::string> parts = Pieces(ListEntry(lines, n), "$");
        device.product_line = parts[0];
        device.caption = parts.size() > 1 ? parts[1] : std::string();
        device.option_list = device.product_line + "/" + device.caption;
        for (std::size_t k = 2; k < parts.size(); ++k) {
            device.option_list += "," + parts[k];
        }
        device.device_class = ListEntry(classes, n);
        if (device.device_class == "PDA") {
            device.device_class = "P";
        }
        device.extra_value = ListEntry(extras, n);
        for (std::size_t k = 0; k < device.extra_fields.size(); ++k) {
            device.extra_fields[k] = Field(extras, k);
        }
        device.picture_path = FetchPicture(ListEntry(pictures, n), picture_root, picture_folder, web);
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
    devices.sort([](const DeviceEntry& a, const DeviceEntry& b) {
        return DeviceLabel(a) < DeviceLabel(b);
    });
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
