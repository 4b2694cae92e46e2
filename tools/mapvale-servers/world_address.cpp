#include "mapvale-servers/world_address.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "model/page_addresses.h"
#include "model/server_config.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

constexpr std::uintmax_t kMaxTextFile = 4u << 20;

bool IsTextFile(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".inf" || extension == ".txt" || extension == ".htm" ||
           extension == ".html";
}

bool ContinuesHost(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == ':' || c == '-' ||
           c == ']';
}

// `text` with the address replaced; unchanged when it does not occur.
std::string Replace(const std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    std::size_t done = 0;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) {
        const std::size_t end = at + from.size();
        const bool after_lead_byte = at > 0 && static_cast<unsigned char>(text[at - 1]) >= 0x81;
        if (after_lead_byte || (end < text.size() && ContinuesHost(text[end]))) {
            continue;
        }
        out.append(text, done, at - done).append(to);
        done = end;
    }
    if (done == 0) {
        return text;
    }
    return out.append(text, done, std::string::npos);
}

}  // namespace

std::string ServersIniText(const ListenAddress& address, const ListenAddress& traffic) {
    std::string text =
        "; Hosts of the servers, by role, for a program folder that talks to a mapvale-servers\n"
        "; world. mapvale-servers serve --world rewrites this file with the ports it listens on.\n"
        "[Servers]\n";
    for (const std::string_view role :
         {ServerConfig::kRegistration, ServerConfig::kService, ServerConfig::kContent,
          ServerConfig::kUpdate, ServerConfig::kMapContent, ServerConfig::kPortal,
          ServerConfig::kPortalStart, ServerConfig::kBrandPortalOv, ServerConfig::kBrandPortalDl,
          ServerConfig::kTarnoPortal}) {
        text += std::string(role) + " = " + address.ToString() + "\n";
    }
    text += std::string(ServerConfig::kTraffic) + " = " + traffic.ToString() + "\n";
    // The sign-in screen's and the install page's pages, served by the world itself.
    text += "\n[Pages]\n";
    for (const std::string_view key :
         {PageAddresses::kFindIdOv, PageAddresses::kFindPasswordOv, PageAddresses::kFindIdDl,
          PageAddresses::kFindPasswordDl, PageAddresses::kOrlaHome, PageAddresses::kProductSite}) {
        text += std::string(key) + " = http://" + address.ToString() + std::string(kSignInPages) +
                "/" + std::string(key) + ".html\n";
    }
    return text;
}

std::optional<int> RehostContent(const std::string& content_folder, const std::string& from,
                                 const std::string& to, std::string& error) {
    const std::string old_prefix = "http://" + from;
    const std::string new_prefix = "http://" + to;
    if (old_prefix == new_prefix) {
        return 0;
    }
    int changed = 0;
    std::error_code failed;
    std::filesystem::recursive_directory_iterator walk(content_folder, failed);
    for (; !failed && walk != std::filesystem::recursive_directory_iterator();
         walk.increment(failed)) {
        const std::filesystem::directory_entry& entry = *walk;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored) || entry.is_symlink(ignored) ||
            !IsTextFile(entry.path()) || entry.file_size(ignored) > kMaxTextFile) {
            continue;
        }
        const std::string path = entry.path().string();
        const auto text = platform::ReadWholeFile(path);
        if (!text) {
            error = "cannot read " + path;
            return std::nullopt;
        }
        const std::string rewritten = Replace(*text, old_prefix, new_prefix);
        if (rewritten == *text) {
            continue;
        }
        if (!platform::WriteFileAtomic(path, rewritten)) {
            error = "cannot rewrite " + path;
            return std::nullopt;
        }
        ++changed;
    }
    if (failed) {
        error = "cannot walk " + content_folder + ": " + failed.message();
        return std::nullopt;
    }
    return changed;
}

}  // namespace mapvale::servers
