// `cmake --install` of this build into a temporary root (DESTDIR): the exact layout a package
// or an administrator gets, desktop entries the desktop accepts, and the installed console
// front end updating a card through its link in bin/, finding its program folder and the
// unpacker on its own.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "e2e/cli_fixture.h"
#include "platform/files.h"
#include "platform/process.h"

namespace mapvale::testing {
namespace {

namespace fs = std::filesystem;

// What one installed path is: a file with its permission bits, or a link with its target.
struct Entry {
    bool link = false;
    unsigned mode = 0;
    std::string target;

    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& entry) {
    if (entry.link) {
        return out << "link -> " << entry.target;
    }
    return out << "file " << std::oct << entry.mode << std::dec;
}

Entry File(unsigned mode) {
    return {false, mode, {}};
}
Entry Link(std::string target) {
    return {true, 0, std::move(target)};
}

// Every file and link below `root` by path relative to it (folders are implied).
std::map<std::string, Entry> Installed(const std::string& root) {
    std::map<std::string, Entry> found;
    std::error_code error;
    for (fs::recursive_directory_iterator walk(root, error);
         !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        // Lexically: fs::relative would resolve the links being looked at.
        const std::string relative = walk->path().lexically_relative(root).generic_string();
        if (walk->is_symlink()) {
            found[relative] = Link(fs::read_symlink(walk->path()).string());
        } else if (walk->is_regular_file()) {
            struct stat info {};
            ::stat(walk->path().c_str(), &info);
            found[relative] = File(info.st_mode & 07777);
        }
    }
    return found;
}

// The value of `key` in a desktop entry's text, or empty.
std::string EntryValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(key + "=")) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

// Runs `program` and waits for its exit status; its output goes to `output`.
std::optional<int> RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                              const std::vector<std::pair<std::string, std::string>>& environment,
                              const std::string& output) {
    platform::LaunchRequest request;
    request.program = "/bin/sh";
    request.arguments = {"-c", "exec \"$0\" \"$@\" >\"$MAPVALE_TEST_OUTPUT\" 2>&1", program};
    request.arguments.insert(request.arguments.end(), arguments.begin(), arguments.end());
    request.environment = environment;
    request.environment.emplace_back("MAPVALE_TEST_OUTPUT", output);
    platform::PosixProcessLauncher launcher;
    const auto process = launcher.Start(request);
    if (!process || !process->Wait(std::chrono::minutes(10))) {
        return std::nullopt;
    }
    return process->ExitCode();
}

class InstallLayoutTest : public CliEndToEnd {
protected:
    void SetUp() override {
        CliEndToEnd::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        const std::optional<int> status =
            RunProgram(MAPVALE_CMAKE_COMMAND, {"--install", MAPVALE_BUILD_DIR},
                       {{"DESTDIR", Root()}}, box_.Path("install.out"));
        ASSERT_EQ(status, 0) << Sandbox::Read(box_.Path("install.out"));
    }

    std::string Root() const { return box_.Path("root"); }
    // The configured prefix and system configuration folder, relative to the root.
    static std::string Prefix() { return std::string(MAPVALE_INSTALL_PREFIX).substr(1); }
    static std::string Sysconf() { return std::string(MAPVALE_INSTALL_SYSCONFDIR).substr(1); }
    static std::string ProgramDir() { return Prefix() + "/lib/mapvale"; }

    std::map<std::string, Entry> Expected() const {
        const std::string programs = ProgramDir();
        std::map<std::string, Entry> expected;
        for (const fs::directory_entry& info : fs::directory_iterator(MAPVALE_INFO_SOURCE)) {
            expected[programs + "/Info/" + info.path().filename().string()] = File(0644);
        }
        for (const char* program : {"ZipModule", "mapvale-cli", "mapvale-servers"}) {
            expected[programs + "/" + program] = File(0755);
        }
        expected[Prefix() + "/bin/mapvale-cli"] = Link("../lib/mapvale/mapvale-cli");
        expected[Prefix() + "/bin/mapvale-servers"] = Link("../lib/mapvale/mapvale-servers");
        for (const char* doc : {"mapvale", "mapvale-servers"}) {
            expected[Prefix() + "/share/doc/" + doc + "/README.md"] = File(0644);
            expected[Prefix() + "/share/doc/" + doc + "/copyright"] = File(0644);
            expected[Prefix() + "/share/doc/" + doc + "/changelog.gz"] = File(0644);
        }
        if (MAPVALE_INSTALLS_UI) {
            for (const char* program : {"Mapvale", "MapvaleTray"}) {
                expected[programs + "/" + program] = File(0755);
            }
            // Loaded, not run: Debian's rule for shared objects.
            expected[programs + "/libMapvaleTrayNotice.so"] = File(0644);
            expected[Prefix() + "/bin/mapvale"] = Link("../lib/mapvale/Mapvale");
            expected[Prefix() + "/bin/mapvale-tray"] = Link("../lib/mapvale/MapvaleTray");
            expected[Prefix() + "/share/applications/mapvale.desktop"] = File(0644);
            expected[Sysconf() + "/xdg/autostart/mapvale-tray.desktop"] = File(0644);
            for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
                const std::string folder = Prefix() + "/share/icons/hicolor/" +
                                           std::to_string(size) + "x" + std::to_string(size) +
                                           "/apps/";
                expected[folder + "mapvale.png"] = File(0644);
                expected[folder + "mapvale-tray.png"] = File(0644);
            }
        }
        if (MAPVALE_INSTALLS_PACKAGE_MANAGED) {
            expected[programs + "/Info/package-managed"] = File(0644);
            for (const char* name : {"Servers.ini", "PackageInfo.txt"}) {
                expected[Sysconf() + "/mapvale/" + name] = File(0644);
                const fs::path target = fs::path("/" + Sysconf() + "/mapvale/" + name)
                                            .lexically_relative("/" + programs + "/Info");
                expected[programs + "/Info/" + name] = Link(target.string());
            }
        }
        return expected;
    }

    // desktop-file-validate's verdict and the entry's program, which must be installed.
    void ExpectValidEntry(const std::string& path, const std::string& program) {
        SCOPED_TRACE(path);
        const std::string file = Root() + "/" + path;
        const std::optional<int> status =
            RunProgram("desktop-file-validate", {file}, {}, box_.Path("validate.out"));
        EXPECT_EQ(status, 0) << Sandbox::Read(box_.Path("validate.out"));
        const std::string text = Sandbox::Read(file);
        const std::string installed = "/" + ProgramDir() + "/" + program;
        // Any argument would end the updater: the program alone, by its absolute path.
        EXPECT_EQ(EntryValue(text, "Exec"), installed);
        EXPECT_EQ(EntryValue(text, "TryExec"), installed);
        EXPECT_EQ(::access((Root() + installed).c_str(), X_OK), 0) << installed;
    }
};

TEST_F(InstallLayoutTest, InstallsExactlyTheProgramFolderLinksEntriesAndIcons) {
    const auto installed = Installed(Root());
    const auto expected = Expected();
    for (const auto& [path, entry] : expected) {
        const auto found = installed.find(path);
        if (found == installed.end()) {
            ADD_FAILURE() << "missing: " << path;
        } else {
            EXPECT_EQ(found->second, entry) << path;
        }
    }
    for (const auto& [path, entry] : installed) {
        EXPECT_TRUE(expected.contains(path)) << "not expected: " << path << " (" << entry << ")";
    }
    // Every link resolves inside the root.
    for (const auto& [path, entry] : installed) {
        if (entry.link) {
            EXPECT_TRUE(fs::exists(Root() + "/" + path)) << path << " -> " << entry.target;
        }
    }
    if (MAPVALE_INSTALLS_UI) {
        ExpectValidEntry(Prefix() + "/share/applications/mapvale.desktop", "Mapvale");
        ExpectValidEntry(Sysconf() + "/xdg/autostart/mapvale-tray.desktop", "MapvaleTray");
        const std::string autostart =
            Sandbox::Read(Root() + "/" + Sysconf() + "/xdg/autostart/mapvale-tray.desktop");
        EXPECT_EQ(EntryValue(autostart, "NoDisplay"), "true");
        EXPECT_EQ(EntryValue(autostart, "X-GNOME-Autostart-enabled"), "true");
    }
}

TEST_F(InstallLayoutTest, TheInstalledConsoleFrontEndUpdatesACardThroughItsLink) {
    // The world's hosts, package list and patch list, as an administrator would copy them.
    // Serving points the world's Servers.ini at the server.
    Serve();
    const std::string info = Root() + "/" + ProgramDir() + "/Info/";
    for (const fs::directory_entry& file : fs::directory_iterator(WorldPath("program/Info"))) {
        fs::copy_file(file.path(), info + file.path().filename().string(),
                      fs::copy_options::overwrite_existing);
    }
    installed_cli_ = Root() + "/" + Prefix() + "/bin/mapvale-cli";
    const Result result = Run();
    EXPECT_EQ(result.status, 0) << result.output;
    const std::string header = CardVersionHeader();
    EXPECT_TRUE(header.starts_with("*|20240115|2024012|HX100|")) << header;
    EXPECT_TRUE(header.ends_with("|1")) << header;
    // The packages went through the installed unpacker: the self-extracting part is a folder.
    EXPECT_FALSE(FilesBelow(CardPath("MAP/TPEG_IMAGE")).empty());
}

}  // namespace
}  // namespace mapvale::testing
