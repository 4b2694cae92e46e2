#include "net/traffic_upload.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include "app/log_file.h"
#include "net/traffic_packet.h"
#include "net/traffic_socket.h"
#include "platform/files.h"
#include "platform/text.h"

namespace mapvale::net {

namespace {

namespace fs = std::filesystem;

constexpr char kTrafficFolder[] = "Data/TraInfo";

std::uint32_t ReadKey(const std::string& key_file) {
    const auto text = platform::ReadWholeFile(key_file);
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
    if (!path) {
        return;  // a name from the server that would leave the root
    }
    std::error_code ec;
    if (NamesAFile(*platform::SafeRelativePath(entry.name))) {
        const auto size = platform::FileSize(*path);
        if (size && *size < kTrafficFileLimit) {
            files.push_back({entry.type, entry.delete_after_upload,
                             static_cast<std::uint32_t>(*size), *path});
        }
        return;
    }
    std::vector<fs::path> found;
    for (const auto& item : fs::directory_iterator(*path, ec)) {
        if (item.is_regular_file(ec) && !item.is_symlink(ec)) {
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

}  // namespace

void PrepareTrafficUpload(TrafficUploadState& state, const std::string& card_root,
                          const std::string& backup_root, std::uint16_t unit_mode) {
    state = TrafficUploadState{};
    state.card_root = card_root.empty() ? std::string() : platform::NormalizeFolder(card_root);
    state.backup_root =
        backup_root.empty() ? std::string() : platform::NormalizeFolder(backup_root);
    state.card_has_trainfo =
        !state.card_root.empty() && platform::FolderExists(state.card_root + kTrafficFolder);
    state.key_file = state.card_root + "UserData/TraInfoAuth.key";
    state.unit_mode = unit_mode;
}

int RunTrafficUpload(TrafficUploadState& state, const ServerConfig& servers, app::LogFile* log,
                     platform::Sleeper& sleeper) {
    const std::string root = state.card_has_trainfo ? state.card_root : state.backup_root;
    if (root.empty() || !platform::FolderExists(root)) {
        return 0;
    }
    const auto server = servers.Find(ServerConfig::kTraffic, kTrafficPort);
    if (!server) {
        return 0;
    }

    // Key exchange.
    KeyAnswer answer;
    {
        TrafficSocket socket(log, sleeper);
        if (socket.Connect(server->host, server->port) != 1) {
            return 0;
        }
        state.key = ReadKey(state.key_file);
        if (socket.SendMessage(BuildKeyRequest(state.key, state.unit_mode)) != 1) {
            return 0;
        }
        std::string reply;
        if (socket.ReceiveMessage(reply) != TrafficSocket::kReceived) {
            return 0;
        }
        auto parsed = ParseKeyAnswer(reply);
        if (!parsed) {
            return 0;
        }
        answer = std::move(*parsed);
    }
    if (state.key == 0) {
        state.key = answer.key;
        const std::size_t slash = state.key_file.rfind('/');
        platform::CreateFolderChain(state.key_file.substr(0, slash));
        platform::WriteFileAtomic(state.key_file, std::to_string(state.key));
    }

    state.files.clear();
    for (const TrafficEntry& entry : answer.entries) {
        AddEntryFiles(entry, root, state.files);
    }
    if (state.files.empty()) {
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
    TrafficSocket socket(log, sleeper);
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
            platform::DeleteFileForce(CardCopyOf(state, file.path));
        }
    }
    const std::string card_folder = state.card_root + kTrafficFolder;
    std::error_code ec;
    if (platform::FolderExists(card_folder) && fs::is_empty(card_folder, ec)) {
        fs::remove(card_folder, ec);
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
