#include "app/program_folders.h"

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"

namespace mapvale::app {

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string DataHome() {
    const std::string home = EnvOr("HOME", "/tmp");
    return EnvOr("XDG_DATA_HOME", home + "/.local/share");
}

}  // namespace

std::string DefaultProgramFolder() {
    const std::string overridden = EnvOr("MAPVALE_PROGRAM_DIR", "");
    if (!overridden.empty()) {
        return platform::NormalizeFolder(overridden);
    }
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return platform::NormalizeFolder(std::filesystem::current_path(ec).string());
    }
    const std::string folder = platform::NormalizeFolder(self.parent_path().string());
    if (platform::FolderExists(folder + "Info")) {
        return folder;
    }
    const std::string shared = folder + "../share/mapvale/";
    if (platform::FolderExists(shared + "Info")) {
        return platform::NormalizeFolder(
            std::filesystem::weakly_canonical(shared, ec).string());
    }
    return folder;
}

std::string DefaultDataFolder() {
    return platform::NormalizeFolder(DataHome() + "/Velmora/TSKN_Waymark+/Data");
}

std::string ProgramFilesFolder() {
    return platform::NormalizeFolder(EnvOr("MAPVALE_PROGRAM_FILES", DataHome()));
}

FolderDefaults DefaultFolders() { return {DefaultProgramFolder(), DefaultDataFolder()}; }

}  // namespace mapvale::app
