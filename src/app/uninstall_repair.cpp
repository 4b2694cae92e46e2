#include "app/uninstall_repair.h"

#include "app/constants.h"
#include "platform/files.h"

namespace mapvale::app {

namespace {

using platform::SettingsRoot;

// The old entry's command line is read into a 260-byte buffer; a longer one does not fit and
// counts as absent.
constexpr std::size_t kUninstallStringBuffer = 260;

bool PointsAtDesktop(const std::string& command) {
    if (command.find("바탕 화면") != std::string::npos) {
        return true;
    }
    return command.size() >= 2 && command[command.size() - 2] == ':';
}

}  // namespace

void RepairUninstallEntry(platform::SettingsStore& store, const std::string& program_files_folder,
                          const std::string& installer_script) {
    const std::string product_key =
        std::string(kUninstallRoot) + "\\" + std::string(kProductGuid);
    if (!store.KeyExists(SettingsRoot::kMachine, product_key)) {
        return;
    }
    const auto version = store.GetDword(SettingsRoot::kMachine, product_key, "Version");
    if (!version || *version != kVersionNeedingRepair) {
        return;
    }
    const std::string old_key =
        std::string(kUninstallRoot) + "\\" + std::string(kOldUninstallName);
    std::string command =
        store.GetString(SettingsRoot::kMachine, old_key, "UninstallString").value_or("");
    if (command.size() + 1 > kUninstallStringBuffer) {
        command.clear();
    }
    if (!PointsAtDesktop(command)) {
        return;
    }

    if (!program_files_folder.empty() && !installer_script.empty()) {
        if (auto bytes = platform::ReadWholeFile(installer_script)) {
            const std::string folder = platform::JoinPath(
                program_files_folder,
                std::string(kInstallerScriptFolder) + "/" + std::string(kProductGuid));
            if (platform::CreateFolderChain(folder)) {
                platform::WriteFileAtomic(platform::JoinPath(folder, kInstallerScriptName), *bytes);
            }
        }
    }
    store.SetString(SettingsRoot::kMachine, product_key, "DisplayVersion",
                    kDisplayVersionAfterRepair);
    store.SetDword(SettingsRoot::kMachine, product_key, "Version", kVersionAfterRepair);
}

}  // namespace mapvale::app
