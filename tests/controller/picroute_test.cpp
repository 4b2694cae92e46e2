// The photo service over the controller against the world's portal: "DownloadPicroute" from the
// board, and the photo dialog's save with its post and its copy.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "controller/frame_fixture.h"
#include "extras/exif_gps.h"
#include "extras/geo_photo.h"
#include "extras/jpeg_layout.h"
#include "extras/test_jpeg.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::controller::test {
namespace {

// The page's call DownloadPicroute(address, name, x), as the handler receives it.
std::vector<ScriptValue> Call(std::string address, std::string name) {
    return {std::int64_t{0}, std::move(name), std::move(address)};
}

class PicrouteTest : public FrameTest {
protected:
    // Signed in as hong with a card at E: and the unit `model` chosen.
    CMainFrame& Ready(std::string_view model) {
        card_ = InsertCard('E', "1G");
        CMainFrame& frame = StartedFrame();
        Pump();
        frame.SelectDevice(Device(model));
        frame.SelectDrive('E');
        ui_.boxes.clear();
        ui_.log.clear();
        return frame;
    }
    std::string PhotoUrl(std::string_view name) {
        return "http://" + frame_->state().servers.HostText(ServerConfig::kPortal) +
               "/WMKproduct/picroute/photo/" + std::string(name) + ".jpg";
    }
    std::string Read(const std::string& path) const {
        return platform::ReadWholeFile(path).value_or("<missing>");
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ScriptedUi::Box& box : ui_.boxes) {
            texts.push_back(box.text + " | " + box.caption);
        }
        return texts;
    }
    std::string PhotoFolder() const { return card_ + "Swiftpath_OrLa/UserData/MyPhoto/"; }
    std::string Upload(int n, std::string_view file) const {
        return Read(world_.folder + "/picroute-uploads/upload-" + std::to_string(n) + "/" +
                    std::string(file));
    }
    void PortalSays(std::string_view conf) const {
        std::ofstream(world_.folder + "/picroute.conf", std::ios::trunc) << conf;
    }

    // A loaded 1000 × 700 photo and a form that posts it and copies it to the card.
    extras::GeoPhoto Photo(extras::test::JpegRecipe recipe = {1000, 700}) {
        extras::GeoPhoto photo;
        EXPECT_EQ(photo.Load(box_.Write("chosen.jpg", extras::test::MakeJpeg(recipe))), 1);
        return photo;
    }
    static PhotoForm PostAndCopy() {
        PhotoForm form;
        form.longitude = "126.978000";
        form.latitude = "37.566000";
        form.category = 1;
        form.subject = "광안리";
        form.location = "부산";
        form.contents = "바다";
        form.web_post = true;
        form.copy_to_card = true;
        return form;
    }

    std::string card_;
};

TEST_F(PicrouteTest, ABoardPhotoReachesTheCardAndThePageClosesItsWindow) {
    CMainFrame& frame = Ready("HS200");
    ASSERT_EQ(frame.DownloadPicroute(Call(PhotoUrl("sample-1"), "sample-1")), 1);
    EXPECT_THAT(Read(PhotoFolder() + "sample-1.jpg"), ::testing::StartsWith("\xFF\xD8"));
    EXPECT_FALSE(platform::FileExists(DataFolder() + "sample-1.jpg"));
    EXPECT_THAT(ui_.log, ::testing::ElementsAre("page closeUI(2)", "box 처리 완료"));
    EXPECT_EQ(ui_.boxes.back().text, "다운로드 후 메모리카드에 복사를 완료하였습니다.");
    EXPECT_EQ(ui_.boxes.back().icon, Icon::kInformation);

    // Again: the same name is asked about; No keeps both, Cancel leaves the card alone.
    ui_.answers = {Answer::kNo};
    ASSERT_EQ(frame.DownloadPicroute(Call(PhotoUrl("sample-2"), "sample-1")), 1);
    EXPECT_EQ(ui_.boxes[1].caption, "Waymark+ 알림");
    EXPECT_EQ(ui_.boxes[1].buttons, Buttons::kYesNoCancel);
    EXPECT_EQ(ui_.boxes[1].owner, Owner::kMainScreen);
    EXPECT_TRUE(platform::FileExists(PhotoFolder() + "sample-1(2).jpg"));
    ui_.answers = {Answer::kCancel};
    ASSERT_EQ(frame.DownloadPicroute(Call(PhotoUrl("sample-2"), "sample-1")), 1);
    EXPECT_FALSE(platform::FileExists(PhotoFolder() + "sample-1(3).jpg"));
    EXPECT_FALSE(platform::FileExists(DataFolder() + "sample-1.jpg"));
}

TEST_F(PicrouteTest, DownloadRefusalsComeInOrderBeforeAnyRequest) {
    Serve({"--request-log", box_.Path("requests.log")});
    CMainFrame& frame = StartedFrame();
    Pump();
    ui_.boxes.clear();
    const auto call = [&] { return frame.DownloadPicroute(Call(PhotoUrl("sample-1"), "s")); };
    EXPECT_EQ(call(), 0);  // no unit chosen
    frame.SelectDevice(Device("HT300"));
    EXPECT_EQ(call(), 0);  // a TARNO unit
    frame.SelectDevice(Device("HS200"));
    EXPECT_EQ(call(), 0);  // no card
    card_ = InsertCard('E', "1G");
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | static_cast<platform::WParam>('E'), 1);
    frame.SelectDrive('E');
    for (const int stage : {1, 2, 3}) {
        Device("HS200")->job_state = stage;
        EXPECT_EQ(call(), 0);
    }
    const std::string busy =
        "백업, 삭제, 복구중에는 컨텐츠를 다운로드 받을 수 없습니다.\n잠시후 "
        "다시 시도해 주세요. | 다운로드 불가";
    EXPECT_THAT(Texts(), ::testing::ElementsAre(
                             "Picroute는 단말기 선택 후 다운로드 가능합니다. 지도설치에서 단말기를 "
                             "선택 후 이용해주세요 | 선택 오류",
                             "Picroute는 Orla 단말기만 이용이 가능합니다. | 다운로드 불가",
                             "메모리카드를 삽입 후 시도해 주세요. | 메모리카드", busy, busy, busy));
    EXPECT_EQ(ui_.boxes[0].icon, Icon::kWarning);
    for (const testing::LoggedRequest& request :
         testing::ReadRequestLog(box_.Path("requests.log"))) {
        EXPECT_EQ(request.path.find("/WMKproduct/picroute/photo/"), std::string::npos);
    }
}

TEST_F(PicrouteTest, AFailedDownloadOrANameLeavingTheDataFolderSaysSo) {
    CMainFrame& frame = Ready("HS200");
    const std::string failed =
        "Picroute, 다운로드에 실패하였습니다.\n잠시후에 다시 시도해 주세요. | 처리 실패";
    EXPECT_EQ(frame.DownloadPicroute(Call(PhotoUrl("no-such"), "x")), 0);
    EXPECT_EQ(frame.DownloadPicroute(Call(PhotoUrl("sample-1"), "../../outside")), 0);
    EXPECT_EQ(frame.DownloadPicroute(Call(PhotoUrl("sample-1"), "/tmp/outside")), 0);
    EXPECT_THAT(Texts(), ::testing::ElementsAre(failed, failed, failed));
    EXPECT_FALSE(platform::FileExists(box_.Path("outside.jpg")));
    EXPECT_FALSE(platform::FileExists("/tmp/outside.jpg"));

    // The card's photo folder cannot be made: the copy fails and the download stays.
    box_.Write("card-E/Swiftpath_OrLa/UserData", "not a folder");
    EXPECT_EQ(frame.DownloadPicroute(Call(PhotoUrl("sample-1"), "kept")), 1);
    EXPECT_EQ(ui_.boxes.back().text, "Picroute, 파일 복사에 실패하였습니다.");
    EXPECT_TRUE(platform::FileExists(DataFolder() + "kept.jpg"));
}

TEST_F(PicrouteTest, ASavePostsThenCopiesAndTheBoardAndCardGetThePhotoWithItsPosition) {
    CMainFrame& frame = Ready("HS200");
    const extras::GeoPhoto photo = Photo();
    ASSERT_EQ(frame.SavePhoto(PostAndCopy(), photo), 1);
    EXPECT_THAT(ui_.log, ::testing::ElementsAre("page setMapMovePhotoSearch()", "box 처리 완료",
                                                "box 처리 완료"));
    EXPECT_THAT(Texts(),
                ::testing::ElementsAre("Picroute, 웹 게시를 완료하였습니다. | 처리 완료",
                                       "메모리 카드에 복사를 완료하였습니다. | 처리 완료"));
    // The card's photo: scaled, with the dialog's position; the data folder keeps none.
    const std::string on_card = Read(PhotoFolder() + "UserPhoto.jpg");
    EXPECT_EQ(extras::test::DecodedSize(on_card), (extras::test::Size{800, 560}));
    std::istringstream in(on_card);
    const std::optional<extras::JpegLayout> layout = extras::ReadJpegLayout(in);
    ASSERT_TRUE(layout);
    EXPECT_EQ(extras::ReadExifGps(layout->exif_payload),
              (extras::GeoPosition{45'712'080, 13'523'760}));
    EXPECT_FALSE(platform::FileExists(DataFolder() + "UserPhoto.jpg"));
    // The board got the fields in CP949 with the category + 1, and the same photo.
    const auto cp949 = [](std::string_view s) { return platform::Utf8ToCp949(s).text; };
    EXPECT_EQ(Upload(1, "fields.txt"),
              "contents: " + cp949("바다") + "\nkind: 2\nlocation: " + cp949("부산") +
                  "\nsubject: " + cp949("광안리") + "\nupload_file: " + DataFolder() +
                  "UserPhoto.jpg\ncontent-type: image/jpeg\nuserid: hong\n");
    EXPECT_EQ(Upload(1, "photo.bin"), on_card);
}

TEST_F(PicrouteTest, TheBoardsRefusalIsShownAndAFailedPostStillCopies) {
    CMainFrame& frame = Ready("HS200");
    const extras::GeoPhoto photo = Photo({64, 48});
    PhotoForm form = PostAndCopy();
    PortalSays("upload = refuse\nreason = 중복된 사진입니다\n");
    ASSERT_EQ(frame.SavePhoto(form, photo), 1);
    PortalSays("upload = refuse\nreason = 금지된 단어\nreason-charset = cp949\n");
    ui_.answers = {Answer::kOk, Answer::kYes};  // the reason, then overwrite
    ASSERT_EQ(frame.SavePhoto(form, photo), 1);
    // A 500 and an answer of the mark alone: nothing to say about the post.
    PortalSays("upload = drop\n");
    ASSERT_EQ(frame.SavePhoto(form, photo), 1);
    PortalSays("upload = short\n");
    ASSERT_EQ(frame.SavePhoto(form, photo), 1);
    const std::string copied = "메모리 카드에 복사를 완료하였습니다. | 처리 완료";
    const std::string same_name =
        "SD 메모리에 다운받고자 하는 파일명과 동일한 파일명이 존재합니다.\n [예]를 누르시면 "
        "덮어쓰기 되며 [아니오]를 누르시면 다른 파일명으로 저장됩니다. | Waymark+ 알림";
    EXPECT_THAT(Texts(), ::testing::ElementsAre("중복된 사진입니다 | 처리 실패", copied,
                                                "금지된 단어 | 처리 실패", same_name, copied,
                                                same_name, copied, same_name, copied));
    EXPECT_FALSE(ui_.Did("page setMapMovePhotoSearch()"));
    EXPECT_EQ(Upload(1, "photo.bin"), "<missing>");
}

TEST_F(PicrouteTest, SaveChecksComeInOrderAndAFailedWriteKeepsTheDialog) {
    Serve();
    CMainFrame& frame = StartedFrame();
    Pump();
    ui_.boxes.clear();
    const extras::GeoPhoto photo = Photo();
    PhotoForm form = PostAndCopy();
    const auto save = [&](const PhotoForm& f) { return frame.SavePhoto(f, photo); };

    PhotoForm outside = form;
    outside.latitude = "32.999999";
    EXPECT_EQ(save(outside), 0);
    outside.latitude = "not a number";
    EXPECT_EQ(save(outside), 0);
    PhotoForm missing = form;
    missing.category = -1;
    EXPECT_EQ(save(missing), 0);
    missing = form;
    missing.subject.clear();
    EXPECT_EQ(save(missing), 0);
    missing = form;
    missing.location.clear();
    EXPECT_EQ(save(missing), 0);
    missing = form;
    missing.contents.clear();
    EXPECT_EQ(save(missing), 0);
    EXPECT_EQ(save(form), 0);  // no card
    const std::string bad =
        "좌표가 정상적이지 않으면 Picroute로의 저장이 불가합니다.\n[수정]버튼 클릭 후 지도의 "
        "위치를 선택 하세요. | 처리 실패";
    EXPECT_THAT(Texts(),
                ::testing::ElementsAre(bad, bad, "분류를 입력해 주세요. | 입력 오류",
                                       "제목을 입력해 주세요. | 입력 오류",
                                       "장소를 입력해 주세요. | 입력 오류",
                                       "내용을 입력해 주세요. | 입력 오류",
                                       "메모리카드 삽입 없이 저장할 수 없습니다. | 입력 오류"));
    EXPECT_EQ(ui_.boxes.back().icon, Icon::kInformation);

    // Not posting: empty texts are fine. The corners of the area are inside. A CMYK photo
    // cannot be written.
    ui_.boxes.clear();
    PhotoForm local;
    local.longitude = "132";
    local.latitude = "33";
    local.copy_to_card = false;
    EXPECT_EQ(save(local), 1);
    EXPECT_TRUE(platform::FileExists(DataFolder() + "UserPhoto.jpg"));
    EXPECT_TRUE(ui_.boxes.empty());
    extras::GeoPhoto cmyk;
    ASSERT_EQ(cmyk.Load(box_.Write("cmyk.jpg", extras::test::MakeJpeg({900, 500, false, true}))),
              1);
    EXPECT_EQ(frame.SavePhoto(local, cmyk), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "좌표 정보 저장 오류가 발생했습니다. [-2]\n");
    EXPECT_EQ(ui_.boxes[0].caption, "");
    EXPECT_EQ(ui_.boxes[0].icon, Icon::kNone);

    // Copying with a card but no unit: written, then refused.
    card_ = InsertCard('E', "1G");
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | static_cast<platform::WParam>('E'), 1);
    frame.SelectDrive('E');
    frame.state().selected_device = nullptr;
    PhotoForm copy = local;
    copy.copy_to_card = true;
    EXPECT_EQ(save(copy), 0);
    EXPECT_EQ(ui_.boxes.back().caption, "선택 오류");
    EXPECT_EQ(ui_.boxes.back().icon, Icon::kWarning);
}

TEST(PhotoText, DegreesReadLikeAtofAndShowWithSixDecimals) {
    EXPECT_EQ(DegreesText(45'712'080), "126.978000");
    EXPECT_EQ(DegreesText(0), "0.000000");
    EXPECT_EQ(UnitsFromText("126.978"), 45'712'080);
    EXPECT_EQ(UnitsFromText("  37.5abc"), 13'500'000);
    EXPECT_EQ(UnitsFromText("+33"), 11'880'000);
    EXPECT_EQ(UnitsFromText("abc"), 0);
    EXPECT_EQ(UnitsFromText(""), 0);
    EXPECT_EQ(UnitsFromText("1e300"), 0);
    EXPECT_EQ(UnitsFromText("-1"), -360'000);
}

}  // namespace
}  // namespace mapvale::controller::test
