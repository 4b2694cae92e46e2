// The packager's output as the client reads it: the catalogue's parser for the package
// information file, the download engine's span names, the ZipModule program for the archives.

#include "mapvale-servers/packager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "catalog/package_info_parser.h"
#include "catalog/package_list.h"
#include "mapvale-servers/crc32.h"
#include "mapvale-servers/pack_command.h"
#include "mapvale-servers/synthetic_files.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/process.h"
#include "support/sandbox.h"

namespace mapvale::servers {
namespace {

using testing::Sandbox;

// Where the built programs are ($MAPVALE_PROGRAM_DIR, set by ctest), ending in '/'; empty when
// not known.
std::string ProgramFolder() {
    const char* folder = std::getenv("MAPVALE_PROGRAM_DIR");
    return folder == nullptr || *folder == '\0' ? std::string() : std::string(folder) + "/";
}

ManifestFile File(std::string source, std::string destination, std::uint64_t span_size,
                  std::optional<ManifestCategory> category = std::nullopt) {
    ManifestFile file;
    file.source = std::move(source);
    file.destination = std::move(destination);
    file.version = 7;
    file.span_size = span_size;
    file.category = std::move(category);
    return file;
}

ManifestCategory Category(std::string name,
                          std::array<std::int32_t, 6> attributes = {1, 0, 1, 0, 0, 0}) {
    const std::string display = "표시 " + name;
    return {std::move(name), display, attributes};
}

class PackagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        map_ = SyntheticBytes("map", 300 * 1024);
        box_.Write("files/Tarno/MapData/Korea.map", map_);
        box_.Write("files/Tarno/안내.dat", "안내음성");
        box_.Write("files/orlasetup.txt", "setup");
        manifest_.model = "HX100";
        manifest_.package_type = "TARNO_LOW";
        manifest_.caption = "그랜드";
        manifest_.map_version = 20240115;
        manifest_.second_version = 2024012;
        manifest_.version_label = "2024 겨울";
        manifest_.root_url = "http://127.0.0.1:1/maps/HX100/";
        manifest_.information_folder = "/info";
        manifest_.files = {
            File("Tarno/MapData/Korea.map", "/Tarno/MapData", 100 * 1024, Category("MAP")),
            File("orlasetup.txt", "", 0),
            File("Tarno/안내.dat", "Tarno", 0, Category("*ETC")),
        };
    }

    std::optional<PackResult> PackNow() {
        error_.clear();
        return Pack(manifest_, box_.Path("files"), box_.Path("content"), error_);
    }

    Sandbox box_;
    std::string map_;
    Manifest manifest_;
    std::string error_;
};

TEST_F(PackagerTest, WritesSpansAndAnInformationFileTheClientReads) {
    const auto result = PackNow();
    ASSERT_TRUE(result) << error_;
    ASSERT_EQ(result->files.size(), 3u);

    // More than one span: "%s%03d.%s"; the last one may be short; together they are the archive.
    const PackedFile& map = result->files[0];
    EXPECT_EQ(map.archive, "Korea.zip");
    ASSERT_EQ(map.spans.size(), 4u);  // the archive is a little larger than the file
    std::uint64_t sum = 0;
    for (std::size_t j = 0; j < map.spans.size(); ++j) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "Korea%03zu.zip", j + 1);
        EXPECT_EQ(std::filesystem::path(map.spans[j]).filename().string(), expected);
        sum += *platform::FileSize(map.spans[j]);
    }
    EXPECT_EQ(sum, map.archive_size);
    EXPECT_EQ(*platform::FileSize(map.spans[0]), 100u * 1024);
    EXPECT_EQ(map.last_name, "Korea004.zip");
    EXPECT_EQ(map.spans[0], box_.Path("content/maps/HX100/Tarno/MapData/Korea001.zip"));
    EXPECT_EQ(map.crc, ComputeCrc32(map_));
    // One span carries the archive's own name.
    const PackedFile& voice = result->files[2];
    ASSERT_EQ(voice.spans.size(), 1u);
    EXPECT_EQ(voice.spans[0], box_.Path("content/maps/HX100/Tarno/안내.zip"));
    EXPECT_EQ(voice.last_name, "안내.zip");

    // The file is CP949 with CR LF and reads back through the catalogue's parser.
    EXPECT_EQ(result->information_file, box_.Path("content/info/HX100.inf"));
    const std::string bytes = Sandbox::Read(result->information_file);
    const platform::Converted text = platform::Cp949ToUtf8(bytes);
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(text.text.substr(text.text.size() - 7), "# END\r\n");
    PackageInfo context;
    catalog::ParsePackageInfoText(context, text.text);
    EXPECT_EQ(catalog::LookupVariable(context, "PACKAGE_TYPE"), "TARNO_LOW");
    EXPECT_EQ(catalog::LookupVariable(context, "MODEL_CAPTION"), "그랜드");
    EXPECT_EQ(catalog::LookupVariable(context, "VERSION_LABEL"), "2024 겨울");
    EXPECT_EQ(context.root_url, "http://127.0.0.1:1/maps/HX100/");
    ASSERT_EQ(context.entries.size(), 3u);
    const FileEntry& entry = context.entries[0];
    EXPECT_EQ(entry.file_name, "Korea.map");
    EXPECT_EQ(entry.destination_path, "Tarno/MapData");
    EXPECT_EQ(entry.information_path, "http://127.0.0.1:1/maps/HX100//Tarno/MapData");
    EXPECT_EQ(entry.file_size, 300 * 1024);
    EXPECT_EQ(entry.crc, ComputeCrc32(map_));  // above 2^31 or not, it reads back whole
    EXPECT_EQ(entry.part_count, 4);
    EXPECT_EQ(entry.archive_size, static_cast<std::int32_t>(map.archive_size));
    EXPECT_EQ(entry.version, 7);
    EXPECT_EQ(context.entries[1].file_name, "orlasetup.txt");
    EXPECT_EQ(context.entries[1].destination_path, "");  // written, not inherited
    EXPECT_EQ(context.entries[2].file_name, "안내.dat");

    // Category lines: none for the installer file, one for the '*' run; kind 2 from TARNO_LOW.
    ASSERT_EQ(result->categories.size(), 2u);
    EXPECT_EQ(result->categories[0].kind, 2);
    EXPECT_EQ(result->categories[0].name, "MAP");
    EXPECT_EQ(result->categories[0].display_name, "표시 MAP");
    EXPECT_EQ(result->categories[1].name, "*ETC");
}

TEST_F(PackagerTest, SpansJoinedAsTheDownloadEngineJoinsThemUnpackWithZipModule) {
    const std::string program = ProgramFolder() + "ZipModule";
    if (ProgramFolder().empty() || !platform::FileExists(program)) {
        GTEST_SKIP() << "ZipModule is not built beside mapvale-servers";
    }
    const auto result = PackNow();
    ASSERT_TRUE(result) << error_;
    // The engine renames Korea001..004.zip to Korea.000, .001, .002 and the last to Korea.zip.
    const PackedFile& map = result->files[0];
    const std::string pc = box_.Path("pc/Tarno/MapData/");
    ASSERT_TRUE(platform::CreateFolderChain(pc));
    for (std::size_t j = 0; j < map.spans.size(); ++j) {
        char target[32];
        std::snprintf(target, sizeof target, "Korea.%03zu", j);
        std::filesystem::copy_file(map.spans[j],
                                   pc + (j + 1 == map.spans.size() ? "Korea.zip" : target));
    }
    platform::PosixProcessLauncher launcher;
    const auto unpack = [&](const std::string& archive, const std::string& destination) {
        platform::LaunchRequest request;
        request.program = program;
        request.arguments = {"\"" + archive + "\"", "\"" + destination + "\""};
        auto process = launcher.Start(request);
        EXPECT_TRUE(process && process->Wait(std::chrono::seconds(60)));
        return process ? process->ExitCode().value_or(-1) : -1;
    };
    ASSERT_EQ(unpack(pc + "Korea.zip", pc), 0);
    EXPECT_EQ(Sandbox::Read(pc + "Korea.map"), map_);
    // A CP949 member name comes out as the UTF-8 name.
    ASSERT_EQ(unpack(result->files[2].spans[0], box_.Path("pc/Tarno")), 0);
    EXPECT_EQ(Sandbox::Read(box_.Path("pc/Tarno/안내.dat")), "안내음성");
}

TEST_F(PackagerTest, RepackingRemovesSpansItNoLongerHas) {
    ASSERT_TRUE(PackNow()) << error_;
    manifest_.files[0].span_size = 200 * 1024;
    const auto result = PackNow();
    ASSERT_TRUE(result) << error_;
    EXPECT_EQ(result->files[0].spans.size(), 2u);
    const std::string folder = box_.Path("content/maps/HX100/Tarno/MapData/");
    EXPECT_TRUE(platform::FileExists(folder + "Korea002.zip"));
    EXPECT_FALSE(platform::FileExists(folder + "Korea003.zip"));
    EXPECT_FALSE(platform::FileExists(folder + "Korea004.zip"));
    manifest_.files[0].span_size = 1u << 20;
    ASSERT_TRUE(PackNow()) << error_;
    EXPECT_TRUE(platform::FileExists(folder + "Korea.zip"));
    EXPECT_FALSE(platform::FileExists(folder + "Korea001.zip"));
}

TEST_F(PackagerTest, RefusesWhatTheClientWouldMisread) {
    const struct {
        std::function<void(Manifest&)> change;
        const char* error;
    } cases[] = {
        {[](Manifest& m) { m.model = "HX.100"; }, "model must not hold '.'"},
        {[](Manifest& m) { m.version_label = "a \"b\""; }, "version-label must not hold"},
        {[](Manifest& m) { m.caption = "$ROOT$"; }, "caption must not hold"},
        {[](Manifest& m) { m.caption = "x # END"; }, "# END"},
        {[](Manifest& m) { m.caption = "😀"; }, "CP949"},
        {[](Manifest& m) { m.root_url = "ftp://h/x"; }, "http://"},
        {[](Manifest& m) { m.root_url = "http://h/a b"; }, "plain folder path"},
        {[](Manifest& m) { m.information_folder = "../up"; }, "information-folder"},
        {[](Manifest& m) {
             m.variables = {{"ROOT_URL", "x"}};
         },
         "one the packager writes"},
        {[](Manifest& m) { m.files[0].source = "../escape"; }, "inside the files folder"},
        {[](Manifest& m) { m.files[0].source = "missing.map"; }, "cannot read"},
        {[](Manifest& m) { m.files[0].name = "a|b.map"; }, "plain file name"},
        {[](Manifest& m) { m.files[0].destination = "../../x"; }, "dest"},
        {[](Manifest& m) { m.files[0].archive = "Korea.map.zip"; }, "no other '.'"},
        {[](Manifest& m) {
             m.files[2].archive = "Korea.zip";
             m.files[2].destination = "/Tarno/MapData";
         },
         "share archive or span names"},
        {[](Manifest& m) {
             m.files[2].archive = "Korea001.zip";
             m.files[2].server_folder = "Tarno/MapData";
         },
         "share archive or span names"},
        {[](Manifest& m) { m.files[0].category.reset(); }, "has none"},
        {[](Manifest& m) { m.files[0].category = Category("*ALL"); }, "must be of that category"},
        {[](Manifest& m) { m.files[0].category->name = "a|b"; }, "category must not"},
    };
    for (const auto& c : cases) {
        Manifest saved = manifest_;
        c.change(manifest_);
        EXPECT_FALSE(PackNow()) << c.error;
        EXPECT_NE(error_.find(c.error), std::string::npos) << c.error << " -> " << error_;
        manifest_ = saved;
    }
    // Checked before anything is written.
    EXPECT_FALSE(platform::FolderExists(box_.Path("content")));
    // Only the archive tells how many spans it takes.
    manifest_.files[0].span_size = 100;
    EXPECT_FALSE(PackNow());
    EXPECT_NE(error_.find("more than 999 spans"), std::string::npos) << error_;
    EXPECT_FALSE(platform::FileExists(box_.Path("content/info/HX100.inf")));
}

TEST(ManifestTest, FormatReadsBackAndParseNamesTheLine) {
    Manifest manifest;
    manifest.model = "M1";
    manifest.package_type = "orla_v5";
    manifest.map_version = 20240115;
    manifest.version_label = "2024 겨울";
    manifest.root_url = "http://h/m";
    manifest.information_folder = "/info";
    manifest.autostart = true;
    manifest.variables = {{"EXTRA", "a = b"}};
    manifest.files = {File("a.bin", "Data", 4096, Category("*ETC", {1, 2, 3, 4, 5, 6}))};
    std::string error;
    const auto parsed = Manifest::Parse(manifest.Format(), error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->Format(), manifest.Format());
    EXPECT_EQ(parsed->variables, manifest.variables);
    EXPECT_EQ(parsed->files[0].category->attributes,
              (std::array<std::int32_t, 6>{1, 2, 3, 4, 5, 6}));

    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"model = M\n", "no package-type"},
        {"model = M\npackage-type = t\nmap-version = x\n", "line 3: map-version wants a number"},
        {"model = M\nwhat = 1\n", "line 2: unknown manifest key"},
        {"model = M\npackage-type = t\nmap-version = 1\nsecond-version = 1\nroot-url = http://h\n"
         "information-folder = /i\n",
         "lists no [file]"},
        {"model = M\npackage-type = t\nmap-version = 1\nsecond-version = 1\nroot-url = http://h\n"
         "information-folder = /i\n[file]\nsource = a\n",
         "line 7: a [file] needs a source and a version"},
        {"model = M\n[file]\nattributes = 1,2,3\n", "line 3: attributes wants six numbers"},
        {"model = M\npackage-type = t\nmap-version = 1\nsecond-version = 1\nroot-url = http://h\n"
         "information-folder = /i\n[file]\nsource = a\nversion = 1\ncategory = C\n",
         "needs a name and six"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Manifest::Parse(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(PackCommandTest, PacksFromTheCommandLine) {
    Sandbox box;
    box.Write("files/a.bin", "abc");
    box.Write(
        "manifest.txt",
        "model = M1\npackage-type = orla_v5\nmap-version = 1\nsecond-version = 2\n"
        "root-url = http://h/m\ninformation-folder = /info\n"
        "[file]\nsource = a.bin\nversion = 3\ncategory = 프로그램\nattributes = 1,0,1,0,0,0\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunPack({"--manifest", box.Path("manifest.txt"), "--files", box.Path("files"),
                       "--out", box.Path("content"), "--categories=" + box.Path("lines.txt")},
                      out, err),
              0)
        << err.str();
    EXPECT_TRUE(platform::FileExists(box.Path("content/info/M1.inf")));
    EXPECT_TRUE(platform::FileExists(box.Path("content/m/a.zip")));
    // Ready to paste into Info/PackageInfo.txt: CP949 with CR LF.
    const std::string lines = Sandbox::Read(box.Path("lines.txt"));
    EXPECT_EQ(platform::Cp949ToUtf8(lines).text, "8|1|0|1|0|0|0|프로그램|프로그램\r\n");

    EXPECT_EQ(RunPack({"--manifest", box.Path("manifest.txt")}, out, err), 2);
    EXPECT_EQ(RunPack({"--bogus", "1"}, out, err), 2);
    EXPECT_EQ(RunPack({"--manifest", box.Path("none.txt"), "--files", "f", "--out", "o"}, out, err),
              1);
}

}  // namespace
}  // namespace mapvale::servers
