#include "card/stage_copier.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"

namespace mapvale::card {

namespace fs = std::filesystem;

namespace {

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Child names of a folder, sorted so copies run in the same order on every machine; nothing
// when the folder cannot be read.
bool ChildNames(const std::string& folder, std::vector<std::string>& names) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec) {
        return false;
    }
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            return false;
        }
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return true;
}

bool CopyTreeAt(StageCopier& copier, const std::string& source, const std::string& target,
                int depth) {
    if (depth > kMaxTreeDepth || copier.Cancelled()) {
        return false;
    }
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0) {
        return false;
    }
    if (S_ISREG(info.st_mode)) {
        return platform::CreateFolderChain(ParentOf(target)) && copier.CopyOneFile(source, target);
    }
    if (!S_ISDIR(info.st_mode)) {
        return true;  // a link or a special file: not ours to copy
    }
    std::vector<std::string> names;
    if (!platform::CreateFolderChain(target) || !ChildNames(source, names)) {
        return false;
    }
    for (const std::string& name : names) {
        if (!CopyTreeAt(copier, platform::JoinPath(source, name), platform::JoinPath(target, name),
                        depth + 1)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool CopyTree(StageCopier& copier, std::string_view source, std::string_view target) {
    std::string from = platform::NormalizePath(source);
    std::string to = platform::NormalizePath(target);
    while (from.size() > 1 && from.back() == '/') {
        from.pop_back();
    }
    while (to.size() > 1 && to.back() == '/') {
        to.pop_back();
    }
    return CopyTreeAt(copier, from, to, 0);
}

}  // namespace mapvale::card
