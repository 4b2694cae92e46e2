#include "net/traffic_upload.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include <sys/stat.h>

#include "app/log_file.h"
#include "net/traffic_packet.h"
#include "net/traffic_socket.h"
#include "platform/files.h"
#include "platform/text.h"

namespace mapvale::net {

namespace {

namespace fs = std::filesystem;

constexpr char kTrafficFolder[] = "Data/TraInfo";

// Whether `path`, which lies in `root` (ending in '/'), is reached without passing a symbolic
// link: neither the root's own entry nor any component below it is one. A card may carry links
// to anywhere; following one would upload, and then delete, files that are not the card's.
// Components that do not exist pass (there is nothing to follow).
bool FreeOfLinks(const std::string& root, const std::string& path) {
    if (path.compare(0, root.size(), root) != 0) {
        return false;
    }
    struct stat st {};
    std::string at = root.size() > 1 && root.back() == '/' ? root.substr(0, root.size() - 1) : root;
    if (::lstat(at.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return false;
    }
    at = root;
    std::size_t begin = root.size();
    while (begin < path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos) {
            end = path.size();
        }
        at.append(path, begin, end - begin);
        if (::lstat(at.c_str(), &st) != 0) {
            return true;
        }
        if (S_ISLNK(st.st_mode)) {
            return false;
        }
        at.push_back('/');
        begin = end + 1;
    }
    return true;
}

// The card's probe folder, when it is a real folder there.
bool CardHasTrafficFolder(const std::string& card_root) {
    const std::string folder = card_root + kTrafficFolder;
    return FreeOfLinks(card_root, folder) && platform::FolderExists(folder);
}

std::uint32_t ReadKey(const TrafficUploadState& state) {
    if (!FreeOfLinks(state.card_root, state.key_file)) {
        return 0;
    }
    const auto text = platform::ReadWholeFile(state.key_file);
    if (!text) {
        return 0;
    }
    std::uint32_t key = 0;
    std::string_view digits(*text);
    while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.front()))) {
        digits.remove_prefix(1);
    }
    std::from_chars(digits.data(), digits.data() + digits.size(), key);
    return key;
}

// An entry names a file when its last component has an extension, otherwise a folder.
bool NamesAFile(const std::string& relative) {
    const std::size_t slash = relative.rfind('/');
    const std::string last = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t dot = last.find('.');
    return dot != std::string::npos && dot + 1 < last.size();
}

std::uint8_t FolderFileType(const std::string& path, const std::string& name,
                            std::uint8_t entry_type) {
    const std::string lower = platform::AsciiLower(path);
    if (lower.find("mfgps") != std::string::npos) {
        return 4;
    }
    if (lower.find("linkspeed") != std::string::npos && lower.find(".bin") != std::string::npos &&
        name.size() <= 15) {
        return 3;
    }
    return entry_type;
}

void AddEntryFiles(const TrafficEntry& entry, const std::string& root,
                   std::vector<TrafficFile>& files) {
    const auto path = platform::SafeJoin(root, entry.name);
    if (!path || !FreeOfLinks(root, *path)) {
        return;  // a name from the server that would leave the root, or a link on the way
    }
    std::error_code ec;
    if (NamesAFile(*platform::SafeRelativePath(entry.name))) {
        const auto size = platform::FileSize(*path);
        if (size && *size < kTrafficFileLimit) {
            files.push_back(
                {entry.type, entry.delete_after_upload, static_cast<std::uint32_t>(*size), *path});
        }
        return;
    }
    std::vector<fs::path> found;
    for (const auto& item : fs::directory_iterator(*path, ec)) {
        if (!item.is_symlink(ec) && item.is_regular_file(ec)) {
            found.push_back(item.path());
        }
    }
    // The order of a folder listing is the file system's; sorting keeps uploads repeatable.
    std::sort(found.begin(), found.end());
    for (const fs::path& file : found) {
        const auto size = platform::FileSize(file.string());
        if (!size || *size >= kTrafficFileLimit) {
            continue;
        }
        files.push_back({FolderFileType(file.string(), file.filename().string(), entry.type),
                         entry.delete_after_upload, static_cast<std::uint32_t>(*size),
                         file.string()});
    }
}

// The card's own copy of a file read from either root.
std::string CardCopyOf(const TrafficUploadState& state, const std::string& path) {
    if (!state.backup_root.empty() && path.rfind(state.backup_root, 0) == 0) {
        return state.card_root + path.substr(state.backup_root.size());
    }
    return path;
}

// Deletes the card's copy of an uploaded file, unless a link stands in its way (a file read from
// the backup names a card path that may lead through one).
void DeleteCardCopy(const TrafficUploadState& state, const std::string& path) {
    const std::string copy = CardCopyOf(state, path);
    if (!state.card_root.empty() && FreeOfLinks(state.card_root, copy)) {
        platform::DeleteFileForce(copy);
    }
}

}  // namespace

void PrepareTrafficUpload(TrafficUploadState& state, const std::string& card_root,
                          const std::string& backup_root, std::uint16_t unit_mode) {
    state = TrafficUploadState{};
    state.card_root = card_root.empty() ? std::string() : platform::NormalizeFolder(card_root);
    state.backup_root =
        backup_root.empty() ? std::string() : platform::NormalizeFolder(backup_root);
    state.card_has_trainfo = !state.card_root.empty() && CardHasTrafficFolder(state.card_root);
    state.key_file = state.card_root + "UserData/TraInfoAuth.key";
    state.unit_mode = unit_mode;
}

int RunTrafficUpload(TrafficUploadState& state, const ServerConfig& servers, app::LogFile* log,
                     platform::Sleeper& sleeper, const TrafficLimits& limits) {
    const std::string root = state.card_has_trainfo ? state.card_root : state.backup_root;
    if (root.empty() || !FreeOfLinks(root, root) || !platform::FolderExists(root)) {
        return 0;
    }
    const auto server = servers.Find(ServerConfig::kTraffic, kTrafficPort);
    if (!server) {
        return 0;
    }

    // Key exchange. Both connections share one deadline.
    TrafficLimits upload_limits = limits;
    KeyAnswer answer;
    {
        TrafficSocket socket(log, sleeper, limits);
        if (socket.Connect(server->host, server->port) != 1) {
            return 0;
        }
        state.key = ReadKey(state);
        if (socket.SendMessage(BuildKeyRequest(state.key, state.unit_mode)) != 1) {
            return 0;
        }
        std::string reply;
        if (socket.ReceiveMessage(reply) != TrafficSocket::kReceived) {
            return 0;
        }
        answer = ParseKeyAnswer(reply);
        upload_limits.deadline -= socket.waited();
    }
    if (state.key == 0) {
        state.key = answer.key;
        if (FreeOfLinks(state.card_root, state.key_file)) {
            const std::size_t slash = state.key_file.rfind('/');
            platform::CreateFolderChain(state.key_file.substr(0, slash));
            platform::WriteFileAtomic(state.key_file, std::to_string(state.key));
        }
    }

    state.files.clear();
    for (const TrafficEntry& entry : answer.entries) {
        AddEntryFiles(entry, root, state.files);
    }
    if (state.files.empty() || upload_limits.deadline.count() <= 0) {
        return 0;
    }

    std::string upload =
        BuildUploadHead(state.key, state.unit_mode, static_cast<std::uint32_t>(state.files.size()));
    for (const TrafficFile& file : state.files) {
        const auto bytes = platform::ReadWholeFile(file.path);
        if (!bytes || bytes->size() >= kTrafficFileLimit) {
            return 0;  // changed since it was listed: send nothing rather than a wrong size
        }
        AppendUploadFile(upload, file.type, *bytes);
    }
    TrafficSocket socket(log, sleeper, upload_limits);
    if (socket.Connect(server->host, server->port) != 1 || socket.SendMessage(upload) != 1) {
        return 0;
    }
    std::string verdict;
    if (socket.ReceiveMessage(verdict) != TrafficSocket::kReceived || verdict.size() < 2 ||
        verdict[1] == 1) {
        return 0;
    }

    // Only now that the server holds the data may the card's copies go.
    for (const TrafficFile& file : state.files) {
        if (file.delete_after_upload) {
            DeleteCardCopy(state, file.path);
        }
    }
    if (CardHasTrafficFolder(state.card_root)) {
        const std::string card_folder = state.card_root + kTrafficFolder;
        std::error_code ec;
        if (fs::is_empty(card_folder, ec)) {
            fs::remove(card_folder, ec);
        }
    }
    return 1;
}

std::unique_ptr<app::LogFile> MakeTrafficLog(const std::string& data_folder,
                                             const platform::Clock& clock) {
    const std::string folder = platform::NormalizeFolder(data_folder) + "Log";
    platform::CreateFolderChain(folder);
    return std::make_unique<app::LogFile>(folder, "traffic.log", 30, clock);
}

}  // namespace mapvale::net
