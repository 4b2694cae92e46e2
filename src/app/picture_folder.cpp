#include "app/picture_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/constants.h"
#include "platform/files.h"

namespace mapvale::app {

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

}  // namespace

bool MayWriteFolder(const std::string& folder) {
    std::filesystem::path path(folder);
    std::error_code error;
    while (!std::filesystem::exists(path, error) && path.has_parent_path() &&
           path.parent_path() != path) {
        path = path.parent_path();
    }
    return ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string PictureCacheFolder() {
    const std::string cache = EnvOr("XDG_CACHE_HOME", EnvOr("HOME", "/tmp") + "/.cache");
    return platform::NormalizeFolder(cache + "/Velmora/TSKN_Waymark+/" +
                                     std::string(kProductFolder));
}

std::string ProductPictureFolder(const std::string& program_folder, const std::string& cache_folder,
                                 const FolderWriteTest& may_write) {
    const std::string own = platform::NormalizeFolder(program_folder) + std::string(kProductFolder);
    const bool writable = may_write ? may_write(own) : MayWriteFolder(own);
    return writable ? own : platform::NormalizeFolder(cache_folder);
}

}  // namespace mapvale::app
