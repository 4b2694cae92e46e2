// Whole jobs of the console front end for each kind of unit: a TARNO unit (its product under
// "Tarno" on the card), an ORLA unit (download only) and, in cli_job_test, a vehicle unit.

#include <filesystem>

#include "e2e/cli_fixture.h"
#include "platform/files.h"

namespace mapvale::testing {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class CliUnitKindsTest : public CliEndToEnd {
protected:
    // The vehicle card of the shared set-up becomes a card of `model` that holds `files`.
    void CardOf(const std::map<std::string, std::string>& files) {
        fs::remove_all(CardPath());
        ASSERT_TRUE(platform::CreateFolderChain(CardPath()));
        for (const auto& [path, text] : files) {
            box_.Write("card/" + path, text);
        }
    }
    std::string FirstLine(const std::string& path) const {
        const std::string text = Sandbox::Read(path);
        return text.substr(0, text.find('\n'));
    }
    // The size of a file of the world's sources of `model`.
    std::uint64_t SourceSize(const std::string& model, const std::string& path) const {
        return platform::FileSize(WorldPath("sources/" + model + "/" + path)).value_or(0);
    }
};

TEST_F(CliUnitKindsTest, TarnoUnitIsInstalledUnderItsFolderAndThenFoundCurrent) {
    CardOf({{"Tarno/HT300.ver", "*|20231201|2023121|HT300|2023.12|1|0|1\n"},
            {"Tarno/UserData/route.dat", "the user's route"}});
    Serve();
    const std::vector<std::string> unit = {"--device", "HT300"};

    const Result run = Run(unit);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "지도 설치를 완료했습니다.")) << run.output;
    for (const char* file : {"Tarno/Program/Nav.bin", "Tarno/MapData/M03_Camera/camera.dat",
                             "Tarno/Voice/안내음성.dat"}) {
        const std::string source = std::string("메모리카드데이터/") + file;
        EXPECT_EQ(platform::FileSize(CardPath(file)), SourceSize("HT300", source)) << file;
    }
    // The installer at the package root goes over as it is; the self-extracting part in the
    // unit's folder arrives as the folder it unpacks to.
    EXPECT_EQ(platform::FileSize(CardPath("ovm.exe")), SourceSize("HT300", "ovm.exe"));
    const auto pages = FilesBelow(DataPath("HT300/메모리카드데이터/Tarno/HTML"));
    EXPECT_EQ(pages.size(), 3u);
    EXPECT_EQ(FilesBelow(CardPath("Tarno/HTML")), pages);
    const std::string header = FirstLine(CardPath("Tarno/HT300.ver"));
    EXPECT_TRUE(header.starts_with("*|20240301|2024031|HT300|")) << header;
    EXPECT_TRUE(header.ends_with("|1")) << header;
    EXPECT_FALSE(fs::exists(CardPath("HT300.ver")));

    const Result status = Status();
    EXPECT_TRUE(Contains(status.output, "상태: 최신 버전입니다.")) << status.output;

    // A second run recognises the card as current and asks before installing it again.
    const auto card = FilesBelow(CardPath());
    const std::size_t known = Requests().size();
    std::vector<std::string> again_options = unit;
    again_options.insert(again_options.end(), {"--answers", "재 설치 확인=no"});
    const Result again = Run(again_options, "again.out");
    EXPECT_EQ(again.status, 4) << again.output;
    EXPECT_TRUE(Contains(again.output, "최신 버전이 설치 되어 있습니다.")) << again.output;
    for (const LoggedRequest& request : Requests()) {
        EXPECT_FALSE(request.number > known && request.path.starts_with("/vehicle/Waymark/Maps/"))
            << request.path;
    }
    EXPECT_EQ(FilesBelow(CardPath()), card);
}

// An ORLA unit only downloads, card or not: the job ends as a download. Before it the traffic
// probe files go to the traffic server from the unit's product folder, never from elsewhere on
// the card.
TEST_F(CliUnitKindsTest, OrlaUnitDownloadsOnlyAndSendsItsProbeFilesFromItsFolder) {
    CardOf({{"Swiftpath_OrLa/Data/TraInfo/probe.dat", "the unit's probe"},
            {"Data/TraInfo/decoy.dat", "not the unit's"}});
    Serve();

    const Result run = Run({"--device", "HS200"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "다운로드를 완료했습니다.")) << run.output;
    EXPECT_FALSE(Contains(run.output, "지도 설치를 완료했습니다.")) << run.output;
    EXPECT_EQ(FilesBelow(DataPath("HS200/Swiftpath_OrLa/SPOT")).size(), 3u);
    EXPECT_FALSE(fs::exists(CardPath("Swiftpath_OrLa/SPOT")));  // nothing was installed

    const auto uploads = FilesBelow(WorldPath("traffic-uploads"));
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(Sandbox::Read(WorldPath("traffic-uploads/" + uploads.begin()->first)),
              "the unit's probe");
    EXPECT_FALSE(fs::exists(CardPath("Swiftpath_OrLa/Data/TraInfo/probe.dat")));
    EXPECT_EQ(Sandbox::Read(CardPath("Data/TraInfo/decoy.dat")), "not the unit's");
    EXPECT_TRUE(fs::exists(CardPath("Swiftpath_OrLa/UserData/TraInfoAuth.key")));
    EXPECT_FALSE(fs::exists(CardPath("UserData")));
}

}  // namespace
}  // namespace mapvale::testing
