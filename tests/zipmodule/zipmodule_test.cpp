// Runs the real ZipModule program on archives made here with libzip and Info-ZIP.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "platform/encoding.h"
#include "support/sandbox.h"
#include "support/test_child.h"
#include "zipmodule/zip_fixture.h"

namespace mapvale::zipmodule {
namespace {

namespace fs = std::filesystem;
using test::Entry;
using test::File;
using test::Quoted;
using test::RunResult;
using test::RunZipModule;
using testing::Sandbox;

constexpr int kUsage = 1;
constexpr int kUnreadable = 2;
constexpr int kBadArchive = 3;
constexpr int kBadData = 4;
constexpr int kUnsafeMember = 5;
constexpr int kUnsupported = 6;
constexpr int kWriteFailed = 7;
constexpr int kTransient = 253;

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator());
    }
    return bytes;
}

// Compressible but not trivially: random words.
std::string RandomText(std::size_t size, unsigned seed) {
    static const char* const kWords[] = {"road ", "bridge ", "tunnel ", "exit ", "camera "};
    std::mt19937 generator(seed);
    std::string text;
    while (text.size() < size) {
        text += kWords[generator() % 5];
    }
    text.resize(size);
    return text;
}

Entry Folder(std::string name) {
    Entry entry;
    entry.name = std::move(name);
    entry.kind = Entry::Kind::kFolder;
    return entry;
}

Entry Link(std::string name, std::string target) {
    Entry entry;
    entry.name = std::move(name);
    entry.data = std::move(target);
    entry.kind = Entry::Kind::kLink;
    return entry;
}

// A package part: text and binary files, deflated and stored, in folders.
std::vector<Entry> Sample() {
    return {File("readme.txt", "map package\n"), File("maps/kr/road.dat", RandomText(300000, 1)),
            File("maps/kr/raw.bin", RandomBytes(100000, 2), true),
            File("maps/cam/Camera.db", RandomText(5000, 3)), Folder("maps/empty/")};
}

bool HasTempFile(const std::string& folder) {
    for (const std::string& path : test::Tree(folder)) {
        if (path.find(".ZipModule-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// One line on standard error, from the program.
void ExpectOneLineReason(const RunResult& run) {
    EXPECT_EQ(run.errors.rfind("ZipModule: ", 0), 0u) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
}

class ZipModuleTest : public ::testing::Test {
  protected:
    std::string Path(std::string_view relative = {}) const { return sandbox_.Path(relative); }

    // Writes the sample's files below `folder` (for Info-ZIP to pack).
    static void WriteSample(const std::string& folder) {
        for (const Entry& entry : Sample()) {
            if (entry.kind == Entry::Kind::kFolder) {
                fs::create_directories(folder + "/" + entry.name);
            } else {
                test::WriteFile(folder + "/" + entry.name, entry.data);
            }
        }
    }

    static void ExpectSample(const std::string& folder) {
        for (const Entry& entry : Sample()) {
            if (entry.kind == Entry::Kind::kFolder) {
                EXPECT_TRUE(fs::is_directory(folder + "/" + entry.name)) << entry.name;
            } else {
                EXPECT_TRUE(test::ReadFile(folder + "/" + entry.name) == entry.data)
                    << entry.name << " differs";
            }
        }
        EXPECT_FALSE(HasTempFile(folder));
    }

    Sandbox sandbox_;
};

// --- spanned archives ----------------------------------------------------------------------

enum class Maker { kLibzip, kInfoZip };

class SpannedArchiveTest : public ZipModuleTest,
                           public ::testing::WithParamInterface<std::tuple<Maker, int>> {};

TEST_P(SpannedArchiveTest, VolumesAreReadAsOneArchive) {
    const auto [maker, volumes] = GetParam();
    if (maker == Maker::kLibzip) {
        test::MakeZip(Path("whole.zip"), Sample());
    } else {
        WriteSample(Path("files"));
        test::MakeInfoZip(Path("whole.zip"), Path("files"));
    }
    test::WriteVolumes(test::ReadFile(Path("whole.zip")), Path("dl/Korea.zip"),
                       static_cast<std::size_t>(volumes));

    const RunResult run = RunZipModule({Quoted(Path("dl/Korea.zip")), Quoted(Path("dl/out"))});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    ExpectSample(Path("dl/out"));
    // The volumes are left for the caller to delete, and nothing was joined beside them.
    EXPECT_TRUE(fs::exists(Path("dl/Korea.zip")));
    EXPECT_EQ(test::Tree(Path("dl")).size(),
              static_cast<std::size_t>(volumes) + test::Tree(Path("dl/out")).size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Volumes, SpannedArchiveTest,
                         ::testing::Combine(::testing::Values(Maker::kLibzip, Maker::kInfoZip),
                                            ::testing::Values(1, 2, 37)));

TEST_F(ZipModuleTest, LeftoverVolumesOfALongerEarlierSetAreIgnored) {
    test::MakeZip(Path("whole.zip"), Sample());
    test::WriteVolumes(test::ReadFile(Path("whole.zip")), Path("dl/Korea.zip"), 3);
    test::WriteFile(Path("dl/Korea.002"), RandomBytes(4000, 7));
    test::WriteFile(Path("dl/Korea.003"), RandomBytes(3000, 8));

    const RunResult run = RunZipModule({Path("dl/Korea.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    ExpectSample(Path("out"));
}

TEST_F(ZipModuleTest, Zip64ArchivesInVolumesAndBehindAStub) {
    WriteSample(Path("files"));
    test::MakeInfoZip(Path("z64.zip"), Path("files"), {"-fz"});
    const std::string archive = test::ReadFile(Path("z64.zip"));
    test::WriteVolumes(archive, Path("dl/Big.zip"), 4);
    test::WriteFile(Path("MAP.exe"), RandomBytes(3000, 4) + archive);

    RunResult run = RunZipModule({Path("dl/Big.zip"), Path("out1")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    ExpectSample(Path("out1"));
    run = RunZipModule({Path("MAP.exe"), Path("out2")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    ExpectSample(Path("out2"));
}

// --- damaged archives ----------------------------------------------------------------------

TEST_F(ZipModuleTest, MissingOrShortVolumeFailsAndLeavesTheOldFiles) {
    test::MakeZip(Path("whole.zip"), Sample());
    const std::string whole = test::ReadFile(Path("whole.zip"));
    struct Damage {
        const char* what;
        void (*apply)(const std::string& folder);
    };
    const Damage damages[] = {
        {"a middle volume missing", [](const std::string& d) { fs::remove(d + "/Korea.002"); }},
        {"a middle volume cut short",
         [](const std::string& d) { fs::resize_file(d + "/Korea.001", 1000); }},
        {"the last volume cut short",
         [](const std::string& d) {
             fs::resize_file(d + "/Korea.zip", fs::file_size(d + "/Korea.zip") - 30);
         }},
        {"only the first volume",
         [](const std::string& d) {
             for (const char* name : {"/Korea.001", "/Korea.002", "/Korea.003"}) {
                 fs::remove(d + name);
             }
         }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        const std::string folder = Path(damage.what);
        test::WriteVolumes(whole, folder + "/Korea.zip", 5);
        damage.apply(folder);
        test::WriteFile(folder + "/out/maps/kr/road.dat", "old version");

        const RunResult run = RunZipModule({folder + "/Korea.zip", folder + "/out"});
        EXPECT_EQ(run.exit_code, kBadArchive) << run.errors;
        ExpectOneLineReason(run);
        EXPECT_EQ(test::ReadFile(folder + "/out/maps/kr/road.dat"), "old version");
        EXPECT_EQ(test::Tree(folder + "/out"),
                  (std::vector<std::string>{"maps/", "maps/kr/", "maps/kr/road.dat"}));
    }
}

TEST_F(ZipModuleTest, CrcMismatchFailsWithoutTouchingTheFinalName) {
    const std::string payload = "PAYLOAD-" + RandomBytes(20000, 5);
    test::MakeZip(Path("a.zip"), {File("first.txt", "fine"), File("second.bin", payload, true),
                                  File("third.txt", "never reached")});
    std::string archive = test::ReadFile(Path("a.zip"));
    const std::size_t at = archive.find("PAYLOAD-");
    ASSERT_NE(at, std::string::npos);
    archive[at + 5000] = static_cast<char>(archive[at + 5000] ^ 0x01);
    test::WriteVolumes(archive, Path("dl/a.zip"), 3);
    test::WriteFile(Path("out/second.bin"), "old version");

    const RunResult run = RunZipModule({Path("dl/a.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, kBadData) << run.errors;
    ExpectOneLineReason(run);
    EXPECT_NE(run.errors.find("second.bin"), std::string::npos);
    EXPECT_EQ(test::ReadFile(Path("out/second.bin")), "old version");
    EXPECT_EQ(test::Tree(Path("out")), (std::vector<std::string>{"first.txt", "second.bin"}));
}

// --- self-extracting parts -----------------------------------------------------------------

TEST_F(ZipModuleTest, SelfExtractingPartsWithAndWithoutAdjustedOffsets) {
    WriteSample(Path("files"));
    test::MakeInfoZip(Path("part.zip"), Path("files"));
    test::MakeZip(Path("libzip.zip"), Sample());
    const std::string stub = RandomBytes(6000, 6);
    test::WriteFile(Path("dl/HTML.exe"), stub + test::ReadFile(Path("part.zip")));
    test::WriteFile(Path("dl/SPOT.exe"), stub + test::ReadFile(Path("libzip.zip")));
    test::WriteFile(Path("dl/MAP.exe"), stub + test::ReadFile(Path("part.zip")));
    ASSERT_EQ(test::RunTool("zip", {"-q", "-A", "MAP.exe"}, Path("dl")), 0);
    ASSERT_NE(test::ReadFile(Path("dl/MAP.exe")), test::ReadFile(Path("dl/HTML.exe")))
        << "zip -A adjusted nothing";

    for (const char* part : {"HTML", "SPOT", "MAP"}) {
        SCOPED_TRACE(part);
        const RunResult run =
            RunZipModule({Quoted(Path("dl/") + part + ".exe"), Quoted(Path("dl/") + part)});
        EXPECT_EQ(run.exit_code, 0) << run.errors;
        ExpectSample(Path("dl/") + part);
    }
}

// --- unsafe members ------------------------------------------------------------------------

TEST_F(ZipModuleTest, MembersLeavingTheDestinationAreRefusedBeforeAnythingIsWritten) {
    const std::string absolute = Path("absolute-evil.txt");
    const std::vector<Entry> unsafe = {
        File("../evil.txt", "x"),    File("maps/../../evil.txt", "x"),
        File("..\\evil.txt", "x"),   File("maps\\..\\..\\evil.txt", "x"),
        File(absolute, "x"),         File("C:evil.txt", "x"),
        File("\\evil.txt", "x"),     Link("maps/link", "../../evil-target"),
        Link("link", "/etc/passwd"),
    };
    for (std::size_t i = 0; i < unsafe.size(); ++i) {
        SCOPED_TRACE(unsafe[i].name);
        const std::string folder = Path("case" + std::to_string(i));
        test::MakeZip(folder + "/a.zip", {File("good.txt", "good"), unsafe[i]});

        const RunResult run = RunZipModule({folder + "/a.zip", folder + "/out/dest"});
        EXPECT_EQ(run.exit_code, kUnsafeMember) << run.errors;
        ExpectOneLineReason(run);
        EXPECT_FALSE(fs::exists(folder + "/out")) << "the good member was written first";
    }
    for (const std::string& path : test::Tree(Path())) {
        EXPECT_EQ(path.find("evil"), std::string::npos) << path;
    }
}

TEST_F(ZipModuleTest, LinkStayingInsideIsWrittenAsAPlainFile) {
    test::MakeZip(Path("a.zip"), {File("good.txt", "good"), Link("maps/link", "../good.txt")});
    const RunResult run = RunZipModule({Path("a.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_FALSE(fs::is_symlink(Path("out/maps/link")));
    EXPECT_EQ(test::ReadFile(Path("out/maps/link")), "../good.txt");
    // Not with the link's own bits (rwxrwxrwx).
    EXPECT_EQ(fs::status(Path("out/maps/link")).permissions() & fs::perms::others_write,
              fs::perms::none);
}

// --- call forms and exit codes -------------------------------------------------------------

TEST_F(ZipModuleTest, SelfUpdateFormWritesUnderTheProgramFolder) {
    Entry program = File("Mapvale", "#!/bin/sh\necho new\n");
    program.unix_mode = 0755;
    const std::vector<Entry> patch = {program, File("Info/UpdateInfo.txt", "12|1|Info/\n")};
    test::MakeZip(Path("tmp/Patch.zip"), patch);

    // The folder named by MAPVALE_PROGRAM_DIR.
    RunResult run =
        RunZipModule({Quoted(Path("tmp/Patch.zip"))}, {"MAPVALE_PROGRAM_DIR=" + Path("prog")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_EQ(test::ReadFile(Path("prog/Info/UpdateInfo.txt")), "12|1|Info/\n");
    EXPECT_EQ(fs::status(Path("prog/Mapvale")).permissions() & fs::perms::owner_exec,
              fs::perms::owner_exec);
    EXPECT_EQ(test::Tree(Path("tmp")), std::vector<std::string>{"Patch.zip"});

    // Otherwise the folder of the program itself; a read-only old file is replaced.
    fs::create_directories(Path("app"));
    fs::copy_file(test::ZipModulePath(), Path("app/ZipModule"));
    test::WriteFile(Path("app/Info/UpdateInfo.txt"), "old");
    fs::permissions(Path("app/Info/UpdateInfo.txt"), fs::perms::owner_read);
    run = test::WaitZipModule(test::StartZipModule({Quoted(Path("tmp/Patch.zip"))},
                                                   {"MAPVALE_PROGRAM_DIR"}, Path("app/ZipModule")));
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_EQ(test::ReadFile(Path("app/Info/UpdateInfo.txt")), "12|1|Info/\n");
    EXPECT_EQ(test::ReadFile(Path("app/Mapvale")), "#!/bin/sh\necho new\n");
}

TEST_F(ZipModuleTest, ExitCodesSayWhatWentWrong) {
    test::MakeZip(Path("good.zip"), {File("a.txt", "a")});
    test::WriteFile(Path("junk.zip"), RandomBytes(10000, 9));
    test::WriteVolumes(test::ReadFile(Path("good.zip")), Path("joining/Korea.zip"), 3);
    fs::remove(Path("joining/Korea.zip"));  // the last span not yet renamed into place
    test::WriteFile(Path("files/a.txt"), "secret");
    test::MakeInfoZip(Path("locked.zip"), Path("files"), {"-P", "password"});
    test::WriteFile(Path("a-file"), "not a folder");

    struct Case {
        std::vector<std::string> args;
        int exit_code;
    };
    const Case cases[] = {
        {{}, kUsage},
        {{Path("good.zip"), Path("out"), "extra"}, kUsage},
        {{"\"\"", Path("out")}, kUsage},
        {{Path("good.zip"), "\"\""}, kUsage},
        {{Path("missing.zip"), Path("out")}, kUnreadable},
        {{Path("junk.zip"), Path("out")}, kBadArchive},
        {{Path("joining/Korea.zip"), Path("out")}, kTransient},
        {{Path("locked.zip"), Path("out")}, kUnsupported},
        {{Path("good.zip"), Path("a-file")}, kWriteFailed},
        {{Path("good.zip"), Path("a-file/below")}, kWriteFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const RunResult run = RunZipModule(c.args);
        EXPECT_EQ(run.exit_code, c.exit_code) << run.errors;
        ExpectOneLineReason(run);
    }
    EXPECT_FALSE(fs::exists(Path("out")));
}

TEST_F(ZipModuleTest, ArchiveStillBeingWrittenIsTransient) {
    test::MakeZip(Path("whole.zip"), Sample());
    test::WriteVolumes(test::ReadFile(Path("whole.zip")), Path("dl/Korea.zip"), 3);
    const int writer = ::open(Path("dl/Korea.001").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);

    RunResult run = RunZipModule({Path("dl/Korea.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, kTransient) << run.errors;
    ExpectOneLineReason(run);
    EXPECT_FALSE(fs::exists(Path("out")));

    ::close(writer);
    run = RunZipModule({Path("dl/Korea.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    ExpectSample(Path("out"));
}

// --- names and odd archives ----------------------------------------------------------------

TEST_F(ZipModuleTest, KoreanNamesBecomeUtf8FileNames) {
    const std::string road = "도로/길.txt";
    const std::string camera = "카메라\\단속.db";
    Entry unmarked = File(platform::Utf8ToCp949(road).text, "cp949");
    unmarked.name_encoding = ZIP_FL_ENC_CP437;  // stores the bytes as they are, unmarked
    Entry marked = File(camera, "utf-8");
    test::MakeZip(Path("names.zip"), {unmarked, marked});
    ASSERT_NE(test::ReadFile(Path("names.zip")).find(platform::Utf8ToCp949("도로").text),
              std::string::npos);

    RunResult run = RunZipModule({Path("names.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_EQ(test::ReadFile(Path("out/도로/길.txt")), "cp949");
    EXPECT_EQ(test::ReadFile(Path("out/카메라/단속.db")), "utf-8");

    // Info-ZIP on a UTF-8 system writes UTF-8 names without marking them.
    test::WriteFile(Path("files/지도/서울.dat"), "seoul");
    test::MakeInfoZip(Path("infozip.zip"), Path("files"));
    run = RunZipModule({Path("infozip.zip"), Path("out2")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_EQ(test::ReadFile(Path("out2/지도/서울.dat")), "seoul");
}

TEST_F(ZipModuleTest, EmptyArchiveAndFolderOnlyMembers) {
    test::WriteFile(Path("empty.zip"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    RunResult run = RunZipModule({Path("empty.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_TRUE(fs::is_directory(Path("out")));
    EXPECT_TRUE(test::Tree(Path("out")).empty());

    test::MakeZip(Path("folders.zip"), {Folder("maps/empty/"), Folder("a/b/c/")});
    run = RunZipModule({Path("folders.zip"), Path("out")});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_EQ(test::Tree(Path("out")),
              (std::vector<std::string>{"a/", "a/b/", "a/b/c/", "maps/", "maps/empty/"}));
}

// --- a large member ------------------------------------------------------------------------

// One archive for the suite: a 300 MiB member of zeros, deflated to a few hundred KiB.
class LargeMemberTest : public ::testing::Test {
  protected:
    static constexpr std::uint64_t kMemberSize = 300ull << 20;

    static void SetUpTestSuite() {
        folder_ = new Sandbox;
        const std::string zeros = folder_->Path("zeros.bin");
        test::WriteFile(zeros, "");
        fs::resize_file(zeros, kMemberSize);  // sparse: nothing to write
        Entry big;
        big.name = "maps/zeros.bin";
        big.source_file = zeros;
        test::MakeZip(folder_->Path("big.zip"), {big});
        fs::remove(zeros);
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    static std::string Archive() { return folder_->Path("big.zip"); }

    Sandbox sandbox_;
    static Sandbox* folder_;
};

Sandbox* LargeMemberTest::folder_ = nullptr;

// Runs ZipModule with the arguments after the first and writes "<exit code> <peak KiB>" to the
// file named by the first. A process forked from the test starts with the test's resident size
// counted in its ru_maxrss, and the test (under sanitizers above all) is large; this small,
// freshly started process forks ZipModule instead, so the figure is ZipModule's own.
MAPVALE_TEST_CHILD(zipmodule_peak) {
    const RunResult run = RunZipModule({args.begin() + 1, args.end()});
    std::ofstream(args.at(0)) << run.exit_code << ' ' << run.peak_kib;
    return run.errors.empty() ? 0 : 1;
}

TEST_F(LargeMemberTest, StreamsInFlatMemory) {
    const std::string report = sandbox_.Path("report.txt");
    const RunResult run = test::WaitZipModule(test::StartZipModule(
        testing::ChildArguments("zipmodule_peak", {report, Archive(), sandbox_.Path("out")}), {},
        testing::SelfPath()));
    ASSERT_EQ(run.exit_code, 0) << run.errors;
    int exit_code = -1;
    long peak_kib = 0;
    std::ifstream(report) >> exit_code >> peak_kib;
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(fs::file_size(sandbox_.Path("out/maps/zeros.bin")), kMemberSize);
    // Well below the member's size: the data passes through one fixed buffer.
    EXPECT_GT(peak_kib, 0);
    EXPECT_LT(peak_kib, 48 * 1024) << "peak resident memory in KiB";
    std::printf("ZipModule peak memory for a %llu MiB member: %ld KiB\n",
                static_cast<unsigned long long>(kMemberSize >> 20), peak_kib);
}

TEST_F(LargeMemberTest, InterruptedRunLeavesTheOldFileAndNoTemporaryFile) {
    const std::string out = sandbox_.Path("out");
    test::WriteFile(out + "/maps/zeros.bin", "old version");
    const test::Child child = test::StartZipModule({Archive(), out});
    ASSERT_GT(child.pid, 0);
    const bool writing =
        testing::WaitUntil([&] { return HasTempFile(out); }, std::chrono::seconds(60));
    ::kill(child.pid, SIGTERM);
    const RunResult run = test::WaitZipModule(child);
    if (!writing && run.exit_code == 0) {
        GTEST_SKIP() << "the extraction ended before it could be interrupted";
    }
    EXPECT_EQ(run.signal, SIGTERM);
    EXPECT_EQ(test::ReadFile(out + "/maps/zeros.bin"), "old version");
    EXPECT_FALSE(HasTempFile(out));
}

}  // namespace
}  // namespace mapvale::zipmodule
