// Feeds package information files, as a server would send them (CP949 bytes), through the
// parser and the package step's filing, and checks what no input may break: every stored entry
// has a file name, and no stored name or folder leaves the package folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/package_info_parser.h"
#include "catalog/package_step.h"
#include "model/device_entry.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace {

using mapvale::DeviceEntry;
using mapvale::FileEntry;
using mapvale::PackageCategory;
using mapvale::PackageInfo;

void CheckEntries(const PackageInfo& context) {
    for (const FileEntry& entry : context.entries) {
        if (entry.file_name.empty() || !mapvale::platform::SafeRelativePath(entry.file_name) ||
            entry.file_name.find('|') != std::string::npos) {
            __builtin_trap();
        }
        if (!entry.destination_path.empty() &&
            !mapvale::platform::SafeRelativePath(entry.destination_path)) {
            __builtin_trap();
        }
    }
}

std::vector<PackageCategory> Categories() {
    std::vector<PackageCategory> categories(3);
    categories[0] = {2, {1, 0, 1, 1, 2, 0}, "ONE", "하나"};
    categories[1] = {1, {1, 0, 0, 0, 1, 1}, "MANY*", "여럿"};
    categories[2] = {8, {1, 0, 0, 1, 3, 0}, "REST*", "나머지"};
    return categories;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const std::vector<PackageCategory> categories = Categories();

    // As the HTTP client hands the body over: up to its first zero byte, converted from CP949.
    PackageInfo context;
    context.user_id = "user";
    const std::string_view body = bytes.substr(0, bytes.find('\0'));
    mapvale::catalog::ParsePackageInfoText(
        context,
        mapvale::platform::Cp949ToUtf8(body, mapvale::platform::InvalidBytes::kReplace).text);
    CheckEntries(context);
    DeviceEntry device;
    mapvale::catalog::ApplyPackageInfo(context, device, categories);
    if (!context.entries.empty()) {
        __builtin_trap();
    }

    // The parser itself takes any bytes, zero bytes and broken UTF-8 included.
    mapvale::catalog::ParsePackageInfoText(context, bytes);
    CheckEntries(context);
    return 0;
}
