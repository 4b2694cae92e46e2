// The console front end against the stand-in servers: whole jobs from sign-in to a card that holds
// the package, and how they end when the network, the card or the user interrupts them.

#include <signal.h>
#include <sys/types.h>

#include <filesystem>
#include <fstream>

#include "e2e/cli_fixture.h"
#include "platform/files.h"

namespace mapvale::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

constexpr const char* kNewestHeader = "*|20240115|2024012|HX100|";
// The stand-in servers answer at this many bytes a second where a test needs a job in flight:
// the package (about 440 KB) then takes several seconds.
constexpr const char* kSlowRate = "60000";

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// Files of `expected` that `folder` holds under their final names with another size.
std::vector<std::string> WrongSizes(const std::map<std::string, std::uint64_t>& expected,
                                    const std::string& folder) {
    std::vector<std::string> wrong;
    for (const auto& [path, size] : expected) {
        const auto actual = platform::FileSize(platform::JoinPath(folder, path));
        if (actual && *actual != size) {
            wrong.push_back(path + " has " + std::to_string(*actual) + " bytes, not " +
                            std::to_string(size));
        }
    }
    return wrong;
}

class CliJobTest : public CliEndToEnd {
protected:
    // Every file of the package is on the card with its size, and the card's version file
    // records the newest version as completed.
    void ExpectCardComplete() {
        const auto card = FilesBelow(CardPath());
        for (const auto& [path, size] : PackageFiles()) {
            const auto found = card.find(path);
            ASSERT_NE(found, card.end()) << path << " is not on the card";
            EXPECT_EQ(found->second, size) << path;
        }
        // The self-extracting part arrives as the folder it unpacks to.
        const auto tiles = FilesBelow(DataPath("HX100/MAP/TPEG_IMAGE"));
        EXPECT_FALSE(tiles.empty());
        EXPECT_EQ(FilesBelow(CardPath("MAP/TPEG_IMAGE")), tiles);
        const auto images = FilesBelow(DataPath("HX100/Orla/IMAGE"));
        EXPECT_EQ(images.size(), 3u);
        EXPECT_EQ(FilesBelow(CardPath("Orla/IMAGE")), images);
        const std::string header = CardVersionHeader();
        EXPECT_TRUE(header.starts_with(kNewestHeader)) << header;
        EXPECT_TRUE(header.ends_with("|1")) << header;
    }

    std::uint64_t SizeOf(const std::string& relative) { return PackageFiles().at(relative); }

    // Waits until the download has put the first file of the package (the program) on the PC.
    ::testing::AssertionResult WaitForFirstFile(CliProcess& cli) {
        const std::string program = DataPath("HX100/Orla/Program/Nav.bin");
        const std::uint64_t size = SizeOf("Orla/Program/Nav.bin");
        if (WaitUntil([&] { return platform::FileSize(program) == size; }, seconds(120))) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "no program file on the PC; output:\n"
                                             << cli.Output();
    }

    // The name of the time-stamped backup folder of the package on the PC, or empty.
    std::string BackupFolder() {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(DataPath("HX100"), error)) {
            if (entry.is_directory() && entry.path().filename().string().starts_with("Backup_")) {
                return entry.path().string();
            }
        }
        return {};
    }
};

TEST_F(CliJobTest, UpdatesTheCardAndThenFindsItCurrent) {
    Serve();
    const Result before = Status("status-before.out");
    ASSERT_EQ(before.status, 0) << before.output;
    EXPECT_TRUE(Contains(before.output, "카드의 패키지: HX100 2023.10 (설치 완료)"))
        << before.output;
    EXPECT_TRUE(Contains(before.output, "맞는 단말기: [Orvin] 그랜드 HX (HX100)")) << before.output;
    EXPECT_TRUE(Contains(before.output, "상태: 설치 대기 중입니다.")) << before.output;
    // The status command signs in but keeps every setting it would write to itself.
    EXPECT_TRUE(FilesBelow(box_.Path("settings")).count("user.reg") == 0);

    const Result run = Run();
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "V드라이브, 그랜드 HX, 전체 패키지 설치")) << run.output;
    EXPECT_TRUE(Contains(run.output, "[백업 중 (1/4)]")) << run.output;
    EXPECT_TRUE(Contains(run.output, "지도 설치를 완료했습니다.")) << run.output;
    ExpectCardComplete();
    // The card was formatted; what the user had on it is kept in the backup on the PC.
    EXPECT_FALSE(fs::exists(CardPath("BackUp/my_places.dat")));
    const std::string backup = BackupFolder();
    ASSERT_FALSE(backup.empty());
    EXPECT_EQ(Sandbox::Read(backup + "/BackUp/my_places.dat"), "the user's own places");

    // The sign-in, the package information, every span once in full, and the download notice.
    ASSERT_TRUE(WaitUntil([&] { return !WithPath(Requests(), "/WMK/WMKChkDown.mms").empty(); }));
    const auto requests = Requests();
    const auto sign_in = WithPath(requests, "/WMK/WMKChkRegist.mms");
    ASSERT_FALSE(sign_in.empty());
    EXPECT_EQ(sign_in.front().Parameter("D1"), "hong");
    EXPECT_FALSE(WithPath(requests, "/vehicle/Waymark/PackageInfo/HX100.inf").empty());
    const auto spans = SpanPaths();
    ASSERT_GE(spans.size(), 5u);
    for (const std::string& span : spans) {
        const auto fetched = WithPath(requests, span);
        ASSERT_EQ(fetched.size(), 1u) << span;
        EXPECT_EQ(fetched.front().status, 200) << span;
        EXPECT_EQ(fetched.front().outcome, "ok") << span;
    }
    const auto notice = WithPath(requests, "/WMK/WMKChkDown.mms");
    ASSERT_EQ(notice.size(), 1u);
    EXPECT_EQ(notice.front().Parameter("D4"), "HX100");

    const Result after = Status("status-after.out");
    EXPECT_TRUE(Contains(after.output, "상태: 최신 버전입니다.")) << after.output;

    // The same card again: the newest version is there, the reinstall is declined, nothing is
    // fetched and the card stays as it is.
    const auto card = FilesBelow(CardPath());
    const std::size_t known = Requests().size();
    const Result again = Run({"--answers", "재 설치 확인=no"}, "again.out");
    EXPECT_EQ(again.status, 4) << again.output;
    EXPECT_TRUE(Contains(again.output, "최신 버전이 설치 되어 있습니다.")) << again.output;
    EXPECT_TRUE(Contains(again.output, "응답: 아니오")) << again.output;
    std::vector<LoggedRequest> later;
    for (const LoggedRequest& request : Requests()) {
        if (request.number > known) {
            later.push_back(request);
        }
    }
    EXPECT_TRUE(WithPath(later, "/vehicle/Waymark/Maps/").empty());
    EXPECT_TRUE(WithPath(later, "/WMK/WMKChkDown.mms").empty());
    EXPECT_EQ(FilesBelow(CardPath()), card);
}

TEST_F(CliJobTest, InstallsAnOfferedSelfUpdateAndGoesOnWithTheJob) {
    MakeTheWorld(/*offer_update=*/true);
    Serve();
    const Result run = Run();
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "프로그램 파일을 업데이트했습니다.")) << run.output;
    ExpectCardComplete();
    // The offered files are in place, plain and unpacked from their archive alike.
    for (const char* file : {"Info/Notice.txt", "Info/UpdateGuide.html"}) {
        EXPECT_EQ(Sandbox::Read(WorldPath(std::string("program/") + file)),
                  Sandbox::Read(WorldPath(std::string("sources/self-update/") + file)))
            << file;
    }
    EXPECT_FALSE(WithPath(Requests(), "/avn/Waymark/SoftwareUpdate/Patch/").empty());
}

TEST_F(CliJobTest, ResumesAfterBeingKilledWithoutFetchingFinishedFiles) {
    Serve({"--throttle", kSlowRate});
    {
        const auto cli = Start();
        ASSERT_TRUE(WaitForFirstFile(*cli));
        cli->Signal(SIGKILL);
        ASSERT_EQ(cli->Wait(seconds(30)), 128 + SIGKILL);
    }
    // Log lines are written as answers end, the program's one shortly after its file arrived.
    ASSERT_TRUE(WaitUntil([&] {
        return !WithPath(Requests(), "/vehicle/Waymark/Maps/HX100/Orla/Program/Nav.zip").empty();
    }));

    Serve({}, "second.log");
    const Result run = Run({}, "second.out");
    ASSERT_EQ(run.status, 0) << run.output;
    ExpectCardComplete();
    ASSERT_TRUE(WaitUntil(
        [&] { return !WithPath(Requests("second.log"), "/WMK/WMKChkDown.mms").empty(); }));
    const auto second = Requests("second.log");
    EXPECT_TRUE(WithPath(second, "/vehicle/Waymark/Maps/HX100/Orla/Program/Nav.zip").empty());
    EXPECT_FALSE(WithPath(second, "/vehicle/Waymark/Maps/HX100/Orla/MapData/").empty());
}

// An install without formatting that stops half-way leaves the card's version file behind; the
// next run must still copy every file the first did not, even where the card holds an old file
// of the same size.
TEST_F(CliJobTest, AnInterruptedInstallWithoutFormattingIsResumedFromWhatLanded) {
    const std::string new_map = Sandbox::Read(WorldPath("sources/HX100/Orla/MapData/Korea.map"));
    box_.Write("card/Orla/MapData/Korea.map", std::string(new_map.size(), 'o'));
    Serve({"--status", "500:*/Korea002.zip"});
    const Result failed = Run({"--no-format"});
    ASSERT_EQ(failed.status, 1) << failed.output;
    EXPECT_EQ(Sandbox::Read(CardPath("Orla/Program/Nav.bin")),
              Sandbox::Read(WorldPath("sources/HX100/Orla/Program/Nav.bin")));
    EXPECT_TRUE(CardVersionHeader().ends_with("|0")) << CardVersionHeader();

    Serve({}, "second.log");
    const Result status = Status();
    EXPECT_FALSE(Contains(status.output, "상태: 최신 버전입니다.")) << status.output;
    const Result run = Run({"--no-format"}, "second.out");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Sandbox::Read(CardPath("Orla/MapData/Korea.map")) == new_map)
        << "the old map of the same size was kept";
    EXPECT_TRUE(CardVersionHeader().ends_with("|1")) << CardVersionHeader();
}

// An entry whose name would leave its folder is refused; the package is then incomplete, so the
// job fails before anything is fetched or written, never ending as a complete install.
TEST_F(CliJobTest, APackageWithARefusedEntryFailsBeforeTouchingTheCard) {
    const std::string information = WorldPath("content/vehicle/Waymark/PackageInfo/HX100.inf");
    std::string text = Sandbox::Read(information);
    const std::string plain = "AG_FILENAME=poi.dat";
    ASSERT_NE(text.find(plain), std::string::npos);
    text.replace(text.find(plain), plain.size(), "AG_FILENAME=../poi.dat");
    box_.Write("world/content/vehicle/Waymark/PackageInfo/HX100.inf", text);
    const auto card = FilesBelow(CardPath());
    Serve();

    const Result run = Run();
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "오류코드 : 5")) << run.output;
    EXPECT_FALSE(Contains(run.output, "지도 설치를 완료했습니다.")) << run.output;
    EXPECT_EQ(FilesBelow(CardPath()), card);
    EXPECT_TRUE(WithPath(Requests(), "/vehicle/Waymark/Maps/").empty());
}

TEST_F(CliJobTest, CompletesThroughAConnectionResetInTheMiddleOfASpan) {
    Serve({"--reset-after", "50000", "--reset-path", "*/Korea002.zip"});
    const Result run = Run();
    ASSERT_EQ(run.status, 0) << run.output;
    ExpectCardComplete();
    const auto span = WithPath(Requests(), "/vehicle/Waymark/Maps/HX100/Orla/MapData/Korea002.zip");
    ASSERT_GE(span.size(), 2u);
    EXPECT_EQ(span.front().outcome, "cut");
    EXPECT_EQ(span.front().sent, 50000u);
    EXPECT_EQ(span.back().outcome, "ok");
}

TEST_F(CliJobTest, CardPulledDuringTheInstallFailsAndKeepsThePcSide) {
    Serve({"--throttle", kSlowRate});
    const auto cli = Start();
    // In the install stage, with the program copied to the erased card and the map still on
    // its way.
    const std::string program = CardPath("Orla/Program/Nav.bin");
    ASSERT_TRUE(WaitUntil(
        [&] {
            return platform::FileSize(program) == SizeOf("Orla/Program/Nav.bin") &&
                   CardVersionHeader().starts_with(kNewestHeader);
        },
        seconds(120)))
        << cli->Output();
    PullCard();
    const std::optional<int> status = cli->Wait(kRunTimeout);
    const std::string output = cli->Output();
    EXPECT_EQ(status, 1) << output;
    EXPECT_TRUE(Contains(output, "지도 설치에 실패하였습니다.\n[복사 중 오류가 발생했습니다.]"))
        << output;

    // The download folder keeps its version file and every file it finished, whole; the
    // backup of the card keeps the user's data.
    EXPECT_TRUE(fs::exists(DataPath("HX100/HX100.ver")));
    EXPECT_EQ(platform::FileSize(DataPath("HX100/Orla/Program/Nav.bin")),
              SizeOf("Orla/Program/Nav.bin"));
    EXPECT_EQ(WrongSizes(PackageFiles(), DataPath("HX100")), std::vector<std::string>{});
    const std::string backup = BackupFolder();
    ASSERT_FALSE(backup.empty());
    EXPECT_EQ(Sandbox::Read(backup + "/BackUp/my_places.dat"), "the user's own places");
    EXPECT_EQ(Sandbox::Read(backup + "/HX100.ver"), kOldVersionFile);
}

TEST_F(CliJobTest, RefusesACardWithoutRoomBeforeWritingAnything) {
    // 700 MB, all but 64 KB taken by the user's video: with the backup the wizard starts with,
    // no variant of the package fits.
    DeclareCard("700M");
    fs::resize_file(box_.Write("card/video/trip.mp4", ""), 700ull * 1024 * 1024 - 64 * 1024);
    const auto card = FilesBelow(CardPath());
    Serve();

    const Result run = Run();
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "선택된(입력된) 드라이브의 용량이 작아 설치할 수 없습니다."))
        << run.output;
    EXPECT_EQ(FilesBelow(CardPath()), card);
    EXPECT_EQ(CardVersionHeader() + "\n", kOldVersionFile);
    EXPECT_FALSE(fs::exists(DataPath("HX100")));
    EXPECT_TRUE(WithPath(Requests(), "/vehicle/Waymark/Maps/").empty());
}

// A Ctrl-C while the card is backed up (the user chose the wrong card) stops the job before the
// card is erased. Should the backup already be over, the console says it cannot stop now and
// the job completes; either way it never says "cancelled" over an erased card.
TEST_F(CliJobTest, CtrlCDuringTheBackupStopsBeforeTheCardIsErased) {
    std::string video(64u << 20, 'v');
    {
        std::ofstream file(box_.Write("card/video/trip.mp4", ""), std::ios::binary);
        for (int i = 0; i < 4; ++i) {
            file.write(video.data(), static_cast<std::streamsize>(video.size()));
        }
    }
    const std::uint64_t video_size = 4 * video.size();
    Serve({"--throttle", kSlowRate});
    const auto cli = Start();
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(DataPath("HX100/Backup/video")); }, seconds(120)))
        << cli->Output();
    cli->Signal(SIGINT);
    const std::optional<int> status = cli->Wait(kRunTimeout);
    const std::string output = cli->Output();
    if (status == 130) {
        EXPECT_TRUE(Contains(output, "사용자가 작업을 취소했습니다.")) << output;
        EXPECT_EQ(platform::FileSize(CardPath("video/trip.mp4")), video_size) << output;
        EXPECT_EQ(Sandbox::Read(CardPath("BackUp/my_places.dat")), "the user's own places");
        EXPECT_EQ(CardVersionHeader() + "\n", kOldVersionFile);
    } else {
        EXPECT_EQ(status, 0) << output;
        EXPECT_TRUE(Contains(output, "중지 불가")) << output;
        ExpectCardComplete();
    }
}

TEST_F(CliJobTest, ACardThatIsNotThereIsNamedBeforeAnyUnitIsAskedFor) {
    PullCard();
    Serve();

    const Result run = Run();
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "지정한 메모리카드가 연결되어 있지 않습니다: V"))
        << run.output;
    EXPECT_FALSE(Contains(run.output, "설치할 단말기를 정할 수 없습니다.")) << run.output;
    EXPECT_FALSE(fs::exists(DataPath("HX100")));
}

TEST_F(CliJobTest, CtrlCCancelsTheJobAndLeavesNoPartialFile) {
    Serve({"--throttle", kSlowRate});
    const auto cli = Start();
    ASSERT_TRUE(WaitForFirstFile(*cli));
    cli->Signal(SIGINT);
    const std::optional<int> status = cli->Wait(kRunTimeout);
    const std::string output = cli->Output();
    EXPECT_EQ(status, 130) << output;
    EXPECT_TRUE(Contains(output, "사용자가 작업을 취소했습니다.")) << output;
    EXPECT_EQ(WrongSizes(PackageFiles(), DataPath("HX100")), std::vector<std::string>{});
    EXPECT_EQ(WrongSizes(PackageFiles(), CardPath()), std::vector<std::string>{});
    // Not complete, so a later run installs again.
    EXPECT_FALSE(CardVersionHeader().ends_with("|1") &&
                 CardVersionHeader().starts_with(kNewestHeader));
}

}  // namespace
}  // namespace mapvale::testing
