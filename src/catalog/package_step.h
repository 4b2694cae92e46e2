#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <string_view>
#include <vector>

#include "model/device_entry.h"
#include "model/package_info.h"
#include "platform/message_target.h"

namespace mapvale::catalog {

// Category given to entries that no category of the package list filed.
inline constexpr std::string_view kUnknownCategory = "알수없음";

// Kind and sub-kind of a device from PACKAGE_TYPE (compared without regard to case):
// ORLA_v4 1/1, orla_v5 8/1, orla_3d 1/3, TARNO_LOW 2/1, TARNO_HIGH 2/2, anything else 1/2.
struct PackageKind {
    std::int32_t kind = 1;
    std::int32_t sub_kind = 2;
};
PackageKind PackageKindFromType(std::string_view package_type);

// What the package step does with one device once its package information file is in
// `context`: header values (notify URL, autostart flag, PDA caption, kind and sub-kind, setup
// flag), then the filing of the entries into device.files, which it replaces:
//  - each category, in list order, walks the entries still in the context: installer entries
//    ("Install_OrLa.exe", "orlasetup.txt") it reaches are dropped; a category of another kind
//    files nothing; otherwise the entry moves to the catalogue with the category's display name
//    and attributes, and only a category whose name contains '*' goes on to the next entry;
//  - entries left over are filed as kUnknownCategory with attributes 255,1,1,1,1,1;
//  - the three variant totals add every filed entry's size as its attributes 4-6 say (all
//    three for an entry of every variant, attribute 3, and for left-over entries).
// The context's entries are used up.
void ApplyPackageInfo(PackageInfo& context, DeviceEntry& device,
                      const std::vector<PackageCategory>& categories);

// Runs the package step over `devices`, in order: stops with 0 when `cancel_flag` is 1; calls
// `process_messages` (may be empty) so the caller's window stays responsive; fetches the
// device's package information file (ReadPackageInfo with its information root and model name
// + ".inf"); a device whose file cannot be fetched keeps its values; otherwise ApplyPackageInfo and
// kMsgPackageStepProgress (0x708) is posted to `owner` (may be null) with wParam = devices filed
// so far and lParam = devices in the list. Returns 1 after the last device, 0 for an empty
// list or a cancel.
//
// Runs on the user-interface thread (sign-in: SignInHooks::package_step, with the result's
// cancel flag and the same message pump) and blocks for each request; `cancel_flag` may be set
// from any thread or from `process_messages`.
int RunPackageStep(PackageInfo& context, platform::MessageTarget* owner,
                   const std::atomic<int>& cancel_flag, std::list<DeviceEntry>& devices,
                   const std::vector<PackageCategory>& categories,
                   const std::function<void()>& process_messages);

}  // namespace mapvale::catalog
