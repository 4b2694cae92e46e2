// The demo world: what `world` writes, and `serve --world` serving it on the ports it gets.

#include "mapvale-servers/world.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "catalog/package_info_parser.h"
#include "catalog/package_list.h"
#include "mapvale-servers/accounts.h"
#include "mapvale-servers/manifest.h"
#include "mapvale-servers/serve_options.h"
#include "mapvale-servers/world_address.h"
#include "mapvale-servers/world_settings.h"
#include "mapvale-servers/world_update_server.h"
#include "model/page_addresses.h"
#include "model/server_config.h"
#include "net/answer_envelope.h"
#include "net/server_versions.h"
#include "net/traffic_consent.h"
#include "net/traffic_upload.h"
#include "net/web_post.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "update/patch_list.h"
#include "update/update_job.h"

namespace mapvale::servers {
namespace {

using testing::Sandbox;
using testing::ServerProcess;

std::string Utf8File(const std::string& path) {
    return platform::Cp949ToUtf8(Sandbox::Read(path), platform::InvalidBytes::kReplace).text;
}

// Every file below `folder`, by relative path.
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), folder).string()] =
                Sandbox::Read(entry.path());
        }
    }
    return files;
}

class WorldTest : public ::testing::Test {
protected:
    WorldTest() : layout_(box_.Path("world")) {}

    void Make(bool offer_update = false) {
        WorldOptions options;
        options.folder = layout_.folder;
        options.offer_update = offer_update;
        std::string error;
        ASSERT_TRUE(MakeWorld(options, error)) << error;
    }

    Sandbox box_;
    WorldLayout layout_;
};

TEST_F(WorldTest, EverythingInItReadsAsTheClientReadsIt) {
    Make();
    std::string error;
    const auto accounts = Accounts::Load(layout_.Accounts(), error);
    ASSERT_TRUE(accounts) << error;
    EXPECT_EQ(accounts->all().size(), 5u);

    // Every package: its manifest, and an information file with one entry per file.
    std::size_t packages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(layout_.Manifests())) {
        const auto manifest = Manifest::Load(entry.path().string(), error);
        ASSERT_TRUE(manifest) << error;
        PackageInfo context;
        catalog::ParsePackageInfoText(context,
                                      Utf8File(layout_.Content() + "/vehicle/Waymark/PackageInfo/" +
                                               manifest->model + ".inf"));
        EXPECT_EQ(context.entries.size(), manifest->files.size()) << manifest->model;
        EXPECT_EQ(catalog::LookupVariable(context, "PACKAGE_TYPE"), manifest->package_type);
        ++packages;
    }
    EXPECT_EQ(packages, 8u);

    std::vector<PackageListRecord> records;
    std::vector<PackageCategory> categories;
    ASSERT_EQ(catalog::ReadPackageList(records, categories, layout_.PackageList()), 1);
    EXPECT_EQ(records.size(), 3u);
    std::map<std::int32_t, int> per_kind;
    for (const PackageCategory& category : categories) {
        ++per_kind[category.kind];
    }
    EXPECT_EQ(per_kind, (std::map<std::int32_t, int>{{1, 4}, {2, 5}, {8, 3}}));

    std::string text;
    std::int32_t map = 0;
    std::int32_t camera = 0;
    net::ParseVersionRecord(Utf8File(layout_.Content() + "/tarno/_Waymark/Wmk_Version_Tarno.inf"),
                            text, map, camera);
    EXPECT_EQ(map, 20240301);
    EXPECT_EQ(camera, 2024031);

    const std::string banners =
        Utf8File(layout_.Content() + "/orla/Waymark/SoftwareUpdatePlus/wmk_banner_edit_g.txt");
    EXPECT_NE(banners.find("\r\nS,30,http://127.0.0.1:18080/orla/Waymark/InstallInfoPlus/"),
              std::string::npos);
    EXPECT_EQ(Sandbox::Read(layout_.Content() + "/vehicle/Waymark/Product/HX100.png").substr(0, 8),
              "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(Sandbox::Read(layout_.Sources() + "/HX100/MAP.exe").substr(0, 2), "MZ");

    const ServerConfig servers = ServerConfig::Parse(Sandbox::Read(layout_.ServersIni()));
    EXPECT_EQ(servers.HostText(ServerConfig::kRegistration), "127.0.0.1:18080");
    EXPECT_EQ(servers.HostText(ServerConfig::kContent), "127.0.0.1:18080");
    EXPECT_EQ(servers.HostText(ServerConfig::kTraffic), "127.0.0.1:10400");

    // The install page's option pages of both lines, and the product site its [Pages] names.
    for (const char* line : {"orla", "tarno"}) {
        for (const char* page : {"Opt_Basic", "Opt_SD1G", "Opt_SD2G", "Opt_SD2G_LOW",
                                 "Opt_SD2G_HIGH", "Opt_SD4G", "Opt_User", "Opt_Cam"}) {
            EXPECT_TRUE(std::filesystem::exists(layout_.Content() + "/" + line +
                                                "/Waymark/InstallInfoPlus/" + page + ".html"))
                << line << " " << page;
        }
    }
    const std::string product_site =
        PageAddresses::Parse(Sandbox::Read(layout_.ServersIni())).Find(PageAddresses::kProductSite);
    const std::string host = "http://127.0.0.1:18080";
    ASSERT_EQ(product_site.rfind(host, 0), 0u) << product_site;
    EXPECT_TRUE(std::filesystem::exists(layout_.Content() + product_site.substr(host.size())));
}

TEST_F(WorldTest, SameOptionsMakeTheSameContent) {
    Make();
    const auto first = Files(layout_.Content());
    WorldOptions options;
    options.folder = box_.Path("again");
    std::string error;
    ASSERT_TRUE(MakeWorld(options, error)) << error;
    EXPECT_TRUE(first == Files(options.folder + "/content"));
    EXPECT_TRUE(Files(layout_.ProgramFolder()) ==
                Files(WorldLayout(options.folder).ProgramFolder()));
    // Between 3 and 5 MB of content: small, but several spans per package.
    std::size_t bytes = 0;
    for (const auto& [name, content] : first) {
        bytes += content.size();
    }
    EXPECT_GT(bytes, 3u << 20);
    EXPECT_LT(bytes, 5u << 20);
}

// Both patch areas list the overlay's entries (newer ones with offer_update) and hand out each
// entry twice, the size probe's copy and the download identical; the notice is there too.
TEST_F(WorldTest, TheUpdateServerMatchesTheOverlay) {
    for (const bool offer_update : {false, true}) {
        SCOPED_TRACE(offer_update ? "offering an update" : "current");
        Make(offer_update);
        const std::vector<update::PatchEntry> local =
            update::ReadLocalPatchList(layout_.UpdateList());
        ASSERT_EQ(local.size(), 2u);
        EXPECT_TRUE(local[1].is_archive());
        for (const std::string_view area : {update::kUpdaterPatchArea, update::kTrayPatchArea}) {
            const std::string folder = layout_.Content() + std::string(area);
            const update::ServerPatchList list =
                update::ParseServerPatchList(Sandbox::Read(folder + "UpdateInfo.txt"));
            EXPECT_TRUE(list.show_dialog);
            EXPECT_EQ(list.refused_lines, 0u);
            ASSERT_EQ(list.entries.size(), local.size());
            for (std::size_t i = 0; i < local.size(); ++i) {
                const update::PatchEntry& entry = list.entries[i];
                EXPECT_EQ(entry.path(), local[i].path());
                EXPECT_EQ(entry.archive, local[i].archive);
                EXPECT_EQ(entry.version, local[i].version + (offer_update ? 1 : 0));
                EXPECT_EQ(update::IsCurrent(entry, local), !offer_update);

                const std::string name = update::DownloadName(entry);
                const std::string offered = Sandbox::Read(folder + name);
                EXPECT_FALSE(offered.empty()) << name;
                EXPECT_EQ(Sandbox::Read(folder + "Patch/" + name), offered) << name;
                const std::string installed = Sandbox::Read(layout_.ProgramFolder() + entry.path());
                const std::string next =
                    Sandbox::Read(layout_.SelfUpdateSources() + "/" + entry.path());
                EXPECT_FALSE(installed.empty());
                EXPECT_EQ(installed == next, !offer_update) << entry.path();
                if (!entry.is_archive()) {
                    EXPECT_EQ(offered, next);
                } else {
                    EXPECT_EQ(offered.substr(0, 4), "PK\x03\x04");
                }
            }
        }
    }

    const std::string splash = layout_.Content() + std::string(kNoticeFolder);
    const std::string code = Sandbox::Read(splash + "WebShpashEvent_Code.txt");
    EXPECT_GT(net::LeadingNumber(net::AnswerEnvelope(code).Section(1)), 0) << code;
    const std::string page = Sandbox::Read(splash + "index_plus.html");
    EXPECT_TRUE(platform::IsValidUtf8(page));
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("업데이트"), std::string::npos);
}

TEST_F(WorldTest, ReplacesAnEarlierWorldButNoOtherFolder) {
    Make();
    box_.Write("world/content/stale.txt", "old");
    Make();
    EXPECT_FALSE(platform::FileExists(layout_.Content() + "/stale.txt"));

    box_.Write("mine/notes.txt", "keep");
    WorldOptions options;
    options.folder = box_.Path("mine");
    std::string error;
    EXPECT_FALSE(MakeWorld(options, error));
    EXPECT_NE(error.find("no world.conf"), std::string::npos) << error;
    EXPECT_EQ(Sandbox::Read(box_.Path("mine/notes.txt")), "keep");
}

TEST_F(WorldTest, ServesOnTheGivenPortsAndPointsTheWorldThere) {
    Make();
    ServerProcess server({"serve", "--world", layout_.folder, "--traffic-listen", "127.0.0.1:0"});
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_GT(server.traffic_port(), 0);

    const auto servers = ServerConfig::Load(layout_.ServersIni());
    ASSERT_TRUE(servers);
    EXPECT_EQ(servers->HostText(ServerConfig::kRegistration), server.address());
    EXPECT_EQ(servers->HostText(ServerConfig::kTraffic),
              "127.0.0.1:" + std::to_string(server.traffic_port()));
    std::string error;
    const auto settings = WorldSettings::Load(layout_.Settings(), error);
    ASSERT_TRUE(settings) << error;
    EXPECT_EQ(settings->address.ToString(), server.address());
    EXPECT_NE(Sandbox::Read(layout_.Content() + "/vehicle/Waymark/PackageInfo/KA10.inf")
                  .find("ROOT_URL=" + server.Url("/vehicle/Waymark/Maps/KA10\r\n")),
              std::string::npos);

    // The tray agent's version query.
    net::CWebPOST web;
    const std::string answer =
        web.FetchText(server.address(), "/WMK/WMKChkVersion.mms", "HX100", "OV", "", 80);
    EXPECT_EQ(answer,
              "#!#200|*|20240115|*|1|*|" + server.Url("/vehicle/Waymark/PackageInfo/HX100.inf"));
    // Maintenance is switched on and off in world.conf while the servers run.
    auto maintenance = *settings;
    maintenance.version_status = 2;
    box_.Write("world/world.conf", maintenance.Format());
    EXPECT_EQ(
        net::Piece(net::AnswerEnvelope(web.FetchText(server.address(), "/WMK/WMKChkVersion.mms",
                                                     "HX100", "OV", "", 80))
                       .Section(1),
                   2, "|*|"),
        "2");
    box_.Write("world/world.conf", settings->Format());

    // A reported consent is what later sign-ins answer.
    const auto service_flag = [&] {
        return net::AnswerEnvelope(web.FetchText(server.address(), "/WMK/WMKChkRegist.mms", "hong",
                                                 "OV", "1234", 80))
            .Section(3);
    };
    EXPECT_EQ(service_flag(), "T");
    EXPECT_TRUE(net::ReportTrafficConsent("hong", false, web, *servers));
    EXPECT_EQ(service_flag(), "F");

    // The traffic server answers from traffic.conf and records the upload in the world.
    box_.Write("card/Orla/Data/TraInfo/probe.dat", "probe bytes");
    net::TrafficUploadState state;
    net::PrepareTrafficUpload(state, box_.Path("card/Orla/"), box_.Path("backup/Orla/"), 1);
    EXPECT_EQ(net::RunTrafficUpload(state, *servers, nullptr, platform::DefaultSleeper()), 1);
    EXPECT_EQ(Sandbox::Read(layout_.TrafficUploads() + "/upload-0/0-type3.bin"), "probe bytes");
    EXPECT_EQ(Sandbox::Read(box_.Path("card/Orla/UserData/TraInfoAuth.key")), "20240510");

    EXPECT_TRUE(testing::WaitUntil(
        [&] { return testing::ReadRequestLog(layout_.RequestLog()).size() >= 4; }));
    EXPECT_EQ(server.Stop(), 0);
}

TEST(RehostContentTest, ChangesWholeAddressesInTextFilesOnly) {
    Sandbox box;
    box.Write("c/a.inf", "ROOT_URL=http://h:80/x\r\nNOTIFY=http://h:8080/y\r\nhttp://h:80");
    box.Write("c/deep/b.TXT", "S,30,http://h:80/z\n");
    box.Write("c/c.zip", "http://h:80/");
    // After a CP949 lead byte the bytes belong to a character, not to an address.
    box.Write("c/d.html", std::string("\xB0http://h:80/"));
    std::string error;
    EXPECT_EQ(RehostContent(box.Path("c"), "h:80", "k:9", error), 2) << error;
    EXPECT_EQ(Sandbox::Read(box.Path("c/a.inf")),
              "ROOT_URL=http://k:9/x\r\nNOTIFY=http://h:8080/y\r\nhttp://k:9");
    EXPECT_EQ(Sandbox::Read(box.Path("c/deep/b.TXT")), "S,30,http://k:9/z\n");
    EXPECT_EQ(Sandbox::Read(box.Path("c/c.zip")), "http://h:80/");
    EXPECT_EQ(Sandbox::Read(box.Path("c/d.html")), std::string("\xB0http://h:80/"));
    EXPECT_EQ(RehostContent(box.Path("c"), "k:9", "k:9", error), 0);
    EXPECT_FALSE(RehostContent(box.Path("none"), "a", "b", error));
}

TEST(ServeWorldOptionsTest, WorldAndTrafficOptions) {
    const ServeCommandLine line = ParseServeCommandLine(
        {"--world", "/w", "--traffic-listen", "127.0.0.1:0", "--listen", "127.0.0.1:5"});
    ASSERT_TRUE(line.ok()) << line.error;
    EXPECT_EQ(line.options.world_folder, "/w");
    ASSERT_TRUE(line.options.traffic_listen);
    EXPECT_EQ(line.options.traffic_listen->port, 0);
    EXPECT_TRUE(line.options.listen_given);
    EXPECT_FALSE(ParseServeCommandLine({"--world", "/w"}).options.listen_given);

    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"--world", "w", "--content", "c"}, "either --content FOLDER or --world DIR"},
        {{"--content", "c", "--traffic-listen", "[::1]:0"}, "IPv4"},
        {{"--content", "c", "--traffic-listen", "10400"}, "IPv4"},
        {{"--content", "c", "--traffic-listen", "10.0.0.1:10400"}, "--allow-remote"},
    };
    for (const auto& c : cases) {
        const ServeCommandLine bad = ParseServeCommandLine(c.args);
        EXPECT_NE(bad.error.find(c.error), std::string::npos) << bad.error;
    }
}

}  // namespace
}  // namespace mapvale::servers
