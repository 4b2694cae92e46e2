#include "card/folder_size.h"

#include <filesystem>
#include <limits>
#include <string>

namespace mapvale::card {

namespace fs = std::filesystem;

std::uint64_t FolderSize(std::string_view folder) {
    std::uint64_t total = 0;
    std::error_code error;
    fs::recursive_directory_iterator walk(std::string(folder),
                                          fs::directory_options::skip_permission_denied, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        std::error_code entry_error;
        if (walk->is_symlink(entry_error) || !walk->is_regular_file(entry_error)) {
            continue;
        }
        const std::uintmax_t size = walk->file_size(entry_error);
        if (!entry_error) {
            total += size;
        }
    }
    return total;
}

std::uint32_t KbFromBytes(std::uint64_t bytes) {
    const std::uint64_t kb = bytes / 1024;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(kb < kMax ? kb : kMax);
}

}  // namespace mapvale::card
