#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>

#include "model/device_entry.h"
#include "model/server_config.h"
#include "platform/message_target.h"

namespace mapvale::net {

class CWebPOST;

// The outcome of one sign-in attempt, made empty by the caller for each attempt.
struct SignInResult {
    std::string service_flag;  // traffic consent given by the server: 'T', 'F' or other
    std::string account_kind;  // one letter: H, K, G, M, D, X
    std::string account_text;  // the name shown in the welcome line
    std::int32_t result_code = 0;
    std::string message;  // the failure text shown to the user
    platform::MessageTarget* owner = nullptr;
    std::atomic<int> cancel{0};  // set to 1 by the user interface to abandon the sign-in
};

// What sign-in needs from its caller while it runs on the user-interface thread.
struct SignInHooks {
    // Lets pending window messages be processed (before each device).
    std::function<void()> pump_messages;
    // Shows a plain message box and returns when it is closed.
    std::function<void(std::string_view text)> message_box;
    // Runs the package step over the device list; its result is the result of sign-in. 0 with an
    // empty device list.
    std::function<int(std::list<DeviceEntry>& devices)> package_step;
};

// The most devices one vehicle list yields. An owner has a handful of vehicles; entries past this
// bound are dropped (and reported on stderr), so that a broken or hostile answer cannot make the
// sign-in build, picture-fetch and package-step devices without end.
inline constexpr std::size_t kMaxSignInDevices = 1000;

// Signs the user in and builds the device list (vehicles with their units, sorted by label,
// product pictures downloaded into `picture_folder` when missing), then runs the package step.
// A device whose model name could not serve as a package folder and file name (empty, starting
// with '.', holding a separator or "..", absolute) is dropped with a line on stderr; the other
// devices of the answer stay.
// Returns 1 when the list was built and the package step succeeded, 0 otherwise with the reason
// in `result.message` and `result.result_code`.
int SignIn(SignInResult& result, std::list<DeviceEntry>& devices, std::string_view user_id,
           std::string_view brand_code, std::string_view password,
           const std::string& picture_folder, const ServerConfig& servers, CWebPOST& web,
           const SignInHooks& hooks);

// "[ORLA     ] ", "[Tarno] " or "[OV] " by kind, followed by the product line; empty for other
// kinds. Sorting and display use it.
std::string DeviceLabel(const DeviceEntry& device);

// Tells the maker's server that a device's package was downloaded. The answer is ignored.
void SendDownloadNotice(const DeviceEntry& device, CWebPOST& web, const ServerConfig& servers);

// Texts of sign-in failures.
inline constexpr std::string_view kTextNoLoginAnswer =
    "서버로부터 로그인인증 응답데이터가 없습니다.";
inline constexpr std::string_view kTextNoResult0 = "로그인 결과 값이 없습니다. [0]";
inline constexpr std::string_view kTextNoResult1 = "로그인 결과 값이 없습니다. [1]";
inline constexpr std::string_view kTextNoAccount = "서버에 사용자 인증정보가 없습니다.";
inline constexpr std::string_view kTextBadAccount =
    "서버로부터 잘못된 사용자인증정보가 수신되었습니다.";
inline constexpr std::string_view kTextNoDeviceList = "서버로부터 단말정보리스트 응답이 없습니다.";
inline constexpr std::string_view kTextNoDetail0 = "로그인 상세 결과 값이 없습니다. [0]";
inline constexpr std::string_view kTextNoDetailBox = "로그인 상세 결과 값이 없습니다";

}  // namespace mapvale::net
