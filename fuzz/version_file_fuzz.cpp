// Feeds version files and package list files (CP949 bytes, as they lie on a PC or a card)
// through the catalogue's readers: the pure line parsers, and the file readers on a copy of the
// input in a temporary folder (the PC state, the card state, the option value update and the
// camera-data header update).
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/card_state.h"
#include "catalog/package_list.h"
#include "catalog/pc_state.h"
#include "catalog/text_file.h"
#include "catalog/version_file.h"
#include "model/card_info.h"
#include "model/device_entry.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;
using mapvale::CardInfo;
using mapvale::DeviceEntry;
using mapvale::FileEntry;

// A folder of this process, removed at exit: data/PKG is the package folder, card/Tarno the
// product folder. In memory when /dev/shm exists: the readers' atomic writes flush to disk,
// which would otherwise make the target too slow to fuzz. The name is never destroyed, so the
// exit handler can still use it.
const std::string& Folder() {
    static const std::string* const folder = [] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "version-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            __builtin_trap();
        }
        atexit([] {
            std::error_code ec;
            fs::remove_all(Folder(), ec);
        });
        return new std::string(pattern);
    }();
    return *folder;
}

DeviceEntry Device() {
    DeviceEntry device;
    device.model_name = "PKG";
    device.kind = 2;
    const char* names[] = {"a.bin", "ND_1GB.VB", "ThemeStyle_basic_low.bin", "b.bin"};
    for (const char* name : names) {
        FileEntry entry;
        entry.file_name = name;
        entry.destination_path = "Tarno/Data";
        entry.file_size = 4;
        entry.version = 3;
        entry.archive_name = "a.zip";
        entry.part_count = 2;
        device.files.push_back(entry);
    }
    device.files.back().destination_path.clear();
    return device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace catalog = mapvale::catalog;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Pure parsers.
    for (std::size_t limit : {catalog::kMaxVersionLineBytes, catalog::kMaxOptionLineBytes}) {
        const auto lines = catalog::SplitCp949Lines(bytes, limit);
        for (const std::string& line : lines) {
            if (line.empty() || line.find('\n') != std::string::npos) {
                __builtin_trap();
            }
        }
        DeviceEntry device = Device();
        for (const auto& line : catalog::ParseVersionLines(lines)) {
            catalog::FindEntryForLine(device.files, line);
        }
        catalog::ParsePackageList(lines);
    }

    // File readers on the input as the version file of the PC and of the card.
    const std::string package_folder = Folder() + "/data/PKG";
    CardInfo card;
    card.root = Folder() + "/card/";
    card.product_folder = Folder() + "/card/Tarno";
    mapvale::platform::CreateFolderChain(package_folder);
    mapvale::platform::CreateFolderChain(card.product_folder);
    for (const std::string& folder : {package_folder, card.product_folder}) {
        std::ofstream(folder + "/PKG.ver", std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    DeviceEntry device = Device();
    catalog::ReadPcState(device, package_folder);
    catalog::ReadCardState(device, &card);
    catalog::UpdateOptionValues(device, Folder() + "/data", &card, 1);
    device.install_type = 200;
    catalog::WriteVersionFile(card.product_folder, device, &card, 1);
    return 0;
}
