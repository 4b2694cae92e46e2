#include "e2e/cli_fixture.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "mapvale-servers/world.h"
#include "platform/files.h"

namespace mapvale::testing {

namespace {

namespace fs = std::filesystem;

// The self-extracting parts a package may hold; they install as folders, not as files.
bool IsFolderPart(const std::string& name) {
    return name == "MAP.exe" || name == "HTML.exe" || name == "IMAGE.exe" || name == "SPOT.exe";
}

}  // namespace

void CliEndToEnd::MakeTheWorld(bool offer_update) {
    servers::WorldOptions options;
    options.folder = WorldPath();
    options.offer_update = offer_update;
    std::string error;
    ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
    // The program folder is the world's overlay with the unpacker beside it.
    const char* programs = std::getenv("MAPVALE_PROGRAM_DIR");
    ASSERT_NE(programs, nullptr) << "run the tests through ctest";
    fs::create_symlink(fs::path(programs) / "ZipModule", WorldPath("program/ZipModule"));
}

void CliEndToEnd::SetUp() {
    MakeTheWorld(false);
    if (HasFatalFailure()) {
        return;
    }
    ASSERT_TRUE(platform::CreateFolderChain(CardPath("TSKN_Ver_Info")));
    box_.Write("card/" + std::string(kModel) + ".ver", kOldVersionFile);
    box_.Write("card/BackUp/my_places.dat", "the user's own places");
    box_.Write("card/Orla/MapData/Korea.map", "an old map");
    DeclareCard("1G");

    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    instance_scope_ = "mapvale-e2e-" + std::to_string(::getpid()) + "-" + test->name();
}

void CliEndToEnd::TearDown() {
    if (server_) {
        server_->Stop();
    }
}

void CliEndToEnd::Serve(const std::vector<std::string>& options, const std::string& log_name) {
    if (server_) {
        server_->Stop();
        server_.reset();
    }
    std::vector<std::string> arguments = {
        "serve",       "--world",       WorldPath(),        "--traffic-listen",
        "127.0.0.1:0", "--request-log", box_.Path(log_name)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    server_ = std::make_unique<ServerProcess>(arguments);
    ASSERT_TRUE(server_->ok()) << server_->error();
}

std::unique_ptr<CliProcess> CliEndToEnd::Start(const std::vector<std::string>& extra,
                                               const std::string& output_name,
                                               const std::string& command) {
    std::vector<std::string> arguments = {command};
    if (installed_cli_.empty()) {
        arguments.insert(arguments.end(), {"--program-folder", WorldPath("program")});
    }
    arguments.insert(arguments.end(), {"--data-folder", box_.Path("data"), "--settings-dir",
                                       box_.Path("settings"), "--user", "hong", "--password",
                                       "1234", "--card", std::string(1, kCardLetter), "--yes"});
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    // Nothing of the machine's own: settings, data, "Program Files" and instances stay here.
    std::vector<std::pair<std::string, std::string>> environment = {
        {"MAPVALE_VIRTUAL_VOLUMES", box_.Path("volumes.conf")},
        {"MAPVALE_INSTANCE_SCOPE", instance_scope_},
        {"MAPVALE_SETTINGS_DIR", box_.Path("settings")},
        {"MAPVALE_PROGRAM_FILES", box_.Path("program-files")},
        {"XDG_DATA_HOME", box_.Path("xdg-data")},
        {"XDG_CONFIG_HOME", box_.Path("xdg-config")},
        {"XDG_CACHE_HOME", box_.Path("xdg-cache")},
    };
    if (!installed_cli_.empty()) {
        environment.emplace_back("MAPVALE_PROGRAM_DIR", "");
    }
    auto process = std::make_unique<CliProcess>(arguments, environment, box_.Path(output_name),
                                                installed_cli_);
    EXPECT_TRUE(process->started()) << process->error();
    return process;
}

CliEndToEnd::Result CliEndToEnd::Run(const std::vector<std::string>& extra,
                                     const std::string& output_name) {
    const auto process = Start(extra, output_name);
    Result result;
    result.status = process->Wait(kRunTimeout);
    result.output = process->Output();
    return result;
}

CliEndToEnd::Result CliEndToEnd::Status(const std::string& output_name) {
    const auto process = Start({}, output_name, "status");
    Result result;
    result.status = process->Wait(kRunTimeout);
    result.output = process->Output();
    return result;
}

void CliEndToEnd::DeclareCard(std::string_view capacity) {
    box_.Write("volumes.conf", std::string(1, kCardLetter) + ": " + std::string(capacity) + " " +
                                   CardPath() + "\n");
}

void CliEndToEnd::PullCard() {
    ASSERT_TRUE(platform::WriteFileAtomic(box_.Path("volumes.conf"), "# the card was pulled\n"));
}

std::vector<LoggedRequest> CliEndToEnd::Requests(const std::string& log_name) const {
    return ReadRequestLog(box_.Path(log_name));
}

std::vector<LoggedRequest> CliEndToEnd::WithPath(const std::vector<LoggedRequest>& requests,
                                                 std::string_view prefix) {
    std::vector<LoggedRequest> found;
    for (const LoggedRequest& request : requests) {
        if (request.path.starts_with(prefix)) {
            found.push_back(request);
        }
    }
    return found;
}

std::map<std::string, std::uint64_t> CliEndToEnd::FilesBelow(const std::string& folder) {
    std::map<std::string, std::uint64_t> files;
    std::error_code error;
    for (fs::recursive_directory_iterator walk(folder, error);
         !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (walk->is_regular_file()) {
            files[fs::relative(walk->path(), folder).generic_string()] = walk->file_size();
        }
    }
    return files;
}

std::map<std::string, std::uint64_t> CliEndToEnd::PackageFiles() const {
    std::map<std::string, std::uint64_t> files;
    for (const auto& [path, size] : FilesBelow(WorldPath("sources/" + std::string(kModel)))) {
        if (!IsFolderPart(fs::path(path).filename().string())) {
            files[path] = size;
        }
    }
    return files;
}

std::vector<std::string> CliEndToEnd::SpanPaths() const {
    const std::string maps = "/vehicle/Waymark/Maps/" + std::string(kModel);
    std::vector<std::string> paths;
    for (const auto& [path, size] : FilesBelow(WorldPath("content" + maps))) {
        paths.push_back(maps + "/" + path);
    }
    return paths;
}

std::string CliEndToEnd::CardPath(std::string_view relative) const {
    return box_.Path("card/" + std::string(relative));
}

std::string CliEndToEnd::DataPath(std::string_view relative) const {
    return box_.Path("data/" + std::string(relative));
}

std::string CliEndToEnd::WorldPath(std::string_view relative) const {
    return box_.Path("world/" + std::string(relative));
}

std::string CliEndToEnd::CardVersionHeader() const {
    std::ifstream file(CardPath(std::string(kModel) + ".ver"));
    std::string line;
    std::getline(file, line);
    return line;
}

}  // namespace mapvale::testing
