// "ThemeDownload" from the map page, over the controller against the world's theme server.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "app/text_scrambler.h"
#include "controller/frame_fixture.h"
#include "platform/files.h"

namespace mapvale::controller::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

// The page's call ThemeDownload(code, gbn, flag, argument), as the handler receives it.
std::vector<ScriptValue> Call(ScriptValue code, std::string gbn, int flag, int argument) {
    return {std::int64_t{argument}, std::int64_t{flag}, std::move(gbn), std::move(code)};
}

class ThemeDownloadTest : public FrameTest {
protected:
    // Signed in as hong with a card at E: and the unit `model` chosen.
    CMainFrame& Ready(std::string_view model) {
        card_ = InsertCard('E', "1G");
        Serve({"--request-log", box_.Path("requests.log")});
        CMainFrame& frame = StartedFrame();
        Pump();
        frame.SelectDevice(Device(model));
        frame.SelectDrive('E');
        return frame;
    }
    std::vector<testing::LoggedRequest> ThemeRequests() const {
        std::vector<testing::LoggedRequest> found;
        for (testing::LoggedRequest& request : testing::ReadRequestLog(box_.Path("requests.log"))) {
            if (request.path == "/Scripts/Common/Service/ThemeDownload.aspx") {
                found.push_back(std::move(request));
            }
        }
        return found;
    }
    static std::string Read(const std::string& path) {
        return platform::ReadWholeFile(path).value_or("<missing>");
    }

    std::string card_;
};

TEST_F(ThemeDownloadTest, EachLineGetsItsThemeInItsOwnFolderAndTheDataFolderKeepsNone) {
    CMainFrame& frame = Ready("HS200");
    ASSERT_EQ(Device("HS200")->kind, 1);
    EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{101}, "map", 1, 7)), 1);
    const std::string orla = card_ + "Swiftpath_OrLa/UserData/Theme/ThemeFile.bin";
    EXPECT_THAT(Read(orla), ::testing::StartsWith("THEME ORLA 101\n"));
    EXPECT_FALSE(platform::FileExists(DataFolder() + "ThemeFile.bin"));
    // The page hears first, then the user.
    ASSERT_GE(ui_.log.size(), 2u);
    EXPECT_EQ(ui_.log[ui_.log.size() - 2], "page closeUI(7)");
    ASSERT_FALSE(ui_.boxes.empty());
    EXPECT_EQ(ui_.boxes.back().text, "다운로드 후 메모리카드에 복사를 완료하였습니다.");
    EXPECT_EQ(ui_.boxes.back().caption, "처리 완료");
    EXPECT_EQ(ui_.boxes.back().icon, Icon::kInformation);

    // A TARNO unit, and a vehicle unit (whose themes are TARNO's), without the close flag: silent.
    const std::size_t boxes = ui_.boxes.size();
    frame.SelectDevice(Device("HT300"));
    ASSERT_EQ(Device("HT300")->kind, 2);
    EXPECT_EQ(frame.DownloadTheme(Call(std::string("201"), "map", 0, 0)), 1);
    EXPECT_THAT(Read(card_ + "Tarno/UserData/MyTheme/TM_save.dat"),
                ::testing::StartsWith("THEME TARNO 201\n"));
    frame.SelectDevice(Device("HX100"));
    EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{202}, "map", 0, 0)), 1);
    EXPECT_THAT(Read(card_ + "UserData/Theme/TM_save.dat"),
                ::testing::StartsWith("THEME TARNO 202\n"));
    EXPECT_EQ(ui_.boxes.size(), boxes);

    ASSERT_TRUE(testing::WaitUntil([&] { return ThemeRequests().size() == 3; }));
    const testing::LoggedRequest first = ThemeRequests().front();
    EXPECT_THAT(first.query, ElementsAre(Pair("IDCode", "101"), Pair("Kind", "ORLA"),
                                         Pair("UserID", app::ScrambleText("hong")),
                                         Pair("gbn", "map"), Pair("app", "With")));
    EXPECT_EQ(ThemeRequests().back().Parameter("Kind"), "TARNO");
}

TEST_F(ThemeDownloadTest, ANameTakenOnTheCardGetsTheNextFreeOneAndAnEmptyOneIsReused) {
    CMainFrame& frame = Ready("HS200");
    const std::string folder = card_ + "Swiftpath_OrLa/UserData/Theme/";
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(frame.DownloadTheme(Call(std::int64_t{101 + (i % 2)}, "map", 0, 0)), 1);
    }
    EXPECT_THAT(Read(folder + "ThemeFile.bin"), ::testing::StartsWith("THEME ORLA 101"));
    EXPECT_THAT(Read(folder + "ThemeFile(2).bin"), ::testing::StartsWith("THEME ORLA 102"));
    EXPECT_THAT(Read(folder + "ThemeFile(3).bin"), ::testing::StartsWith("THEME ORLA 101"));
    std::ofstream(folder + "ThemeFile(2).bin", std::ios::trunc).flush();
    ASSERT_EQ(frame.DownloadTheme(Call(std::int64_t{102}, "map", 0, 0)), 1);
    EXPECT_THAT(Read(folder + "ThemeFile(2).bin"), ::testing::StartsWith("THEME ORLA 102"));
    EXPECT_FALSE(platform::FileExists(folder + "ThemeFile(4).bin"));
}

TEST_F(ThemeDownloadTest, RefusalsComeInOrderAndSendNothing) {
    Serve({"--request-log", box_.Path("requests.log")});
    CMainFrame& frame = StartedFrame();
    Pump();
    // No card yet, although a unit is chosen.
    frame.SelectDevice(Device("HS200"));
    EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{101}, "map", 1, 1)), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "메모리카드 삽입 후 시도해 주세요.");
    EXPECT_EQ(ui_.boxes[0].caption, "메모리카드");
    EXPECT_EQ(ui_.boxes[0].icon, Icon::kInformation);

    card_ = InsertCard('E', "1G");
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | static_cast<platform::WParam>('E'), 1);
    frame.SelectDrive('E');
    ASSERT_EQ(frame.state().selected_drive, 'E');
    for (const int stage : {1, 2, 3}) {
        Device("HS200")->job_state = stage;
        EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{101}, "map", 1, 1)), 0);
        EXPECT_EQ(ui_.boxes.back().caption, "다운로드 불가");
    }
    Device("HS200")->job_state = 0;
    frame.state().selected_device = nullptr;
    EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{101}, "map", 1, 1)), 0);
    EXPECT_EQ(ui_.boxes.back().text,
              "테마는 단말기 선택 후 다운로드 가능합니다. 지도설치에서 단말기를 선택 후 "
              "이용해주세요");
    EXPECT_EQ(ui_.boxes.back().caption, "선택 오류");
    EXPECT_EQ(ui_.boxes.back().icon, Icon::kWarning);
    EXPECT_EQ(ui_.boxes.size(), 5u);
    EXPECT_TRUE(ThemeRequests().empty());
}

TEST_F(ThemeDownloadTest, AFailedDownloadOrCopySaysSoAndLosesNothing) {
    CMainFrame& frame = Ready("HS200");
    const std::string failed =
        "테마컨텐츠, 다운로드에 실패하였습니다.\n잠시 후에 다시 시도해 주세요.";
    // An unknown theme (404), then a user the server does not know (403).
    EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{999}, "map", 1, 1)), 0);
    EXPECT_EQ(ui_.boxes.back().text, failed);
    EXPECT_EQ(ui_.boxes.back().caption, "처리 실패");
    frame.state().settings.user_id = "stranger";
    EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{101}, "map", 1, 1)), 0);
    EXPECT_EQ(ui_.boxes.back().text, failed);
    EXPECT_FALSE(platform::FileExists(DataFolder() + "ThemeFile.bin"));
    frame.state().settings.user_id = "hong";

    // A file where the unit's folder must go: the copy fails, the download stays for later.
    box_.Write("card-E/Swiftpath_OrLa/UserData", "not a folder");
    EXPECT_EQ(frame.DownloadTheme(Call(std::int64_t{101}, "map", 1, 1)), 1);
    EXPECT_EQ(ui_.boxes.back().text, "테마컨텐츠, 파일 복사에 실패하였습니다.");
    EXPECT_EQ(ui_.boxes.back().icon, Icon::kWarning);
    EXPECT_THAT(Read(DataFolder() + "ThemeFile.bin"), ::testing::StartsWith("THEME ORLA 101"));
    EXPECT_FALSE(ui_.Did("page closeUI(1)"));
    EXPECT_EQ(Read(card_ + "Swiftpath_OrLa/UserData"), "not a folder");
}

}  // namespace
}  // namespace mapvale::controller::test
