// The photo service in the real Mapvale program: the map page of the main screen opens the photo
// dialog, a camera photo is chosen in the file chooser, posted to the portal and copied onto the
// card, all through the automation socket as a user does it.
#include <QDeadlineTimer>
#include <QThread>
#include <filesystem>

#include "extras/datum_shift.h"
#include "extras/exif_gps.h"
#include "extras/test_jpeg.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "ui/program_end_to_end.h"

namespace mapvale::ui::test {
namespace {

class PhotoEndToEndTest : public ProgramEndToEndTest {
protected:
    // The map page's answer to `code` once it is 1 (the page loaded and reached the program).
    bool MapPageDoes(const QString& code) {
        const QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            const auto result =
                driver_.Ok(With(Op("script", On("CDlgMain", "322/1027")), "code", code));
            if (result && result->value(QStringLiteral("result")).toInt() == 1) {
                return true;
            }
            QThread::msleep(200);
        }
        return false;
    }

    // Answers the message boxes that open (their first button), keeping "caption | text", until
    // one says `last`.
    bool AnswerBoxesUntil(const QString& last) {
        const QDeadlineTimer deadline(120000);
        while (!deadline.hasExpired()) {
            const auto box = driver_.WaitForWindow(QStringLiteral("QMessageBox"), 1000);
            if (!box) {
                continue;
            }
            const QJsonObject shown = box->value(QStringLiteral("box")).toObject();
            const QString said = shown.value(QStringLiteral("caption")).toString() +
                                 QStringLiteral(" | ") +
                                 shown.value(QStringLiteral("text")).toString();
            if (said_.isEmpty() || said_.back() != said) {
                said_.append(said);
            }
            driver_.Ok(
                With(Op("answer", {{QStringLiteral("window"), QStringLiteral("QMessageBox")}}),
                     "button", shown.value(QStringLiteral("buttons")).toArray().first()));
            if (shown.value(QStringLiteral("text")).toString() == last) {
                return true;
            }
            QThread::msleep(100);
        }
        return false;
    }

    QStringList said_;
};

TEST_F(PhotoEndToEndTest, TheMapPageOpensTheDialogAndAPhotoIsPostedAndCopiedToTheCard) {
    // A camera photo larger than the unit shows, with its position (Bessel) in its Exif block.
    constexpr extras::GeoPosition kBusan{46'467'180, 12'664'656};
    const std::string photo = box_.Write(
        "camera/haeundae.jpg", extras::test::WithSegments(extras::test::MakeJpeg({1000, 700}),
                                                          extras::ExifGpsSegment(kBusan)));
    ServeWithTheProgram(/*offer_update=*/false);
    // Signed in by itself as hong (whose identifier the post carries), a card at E:, then from
    // the option screen to the main screen.
    const std::string card = box_.Path("card-E");
    std::filesystem::create_directories(card + "/TSKN_Ver_Info");
    box_.Write("volumes.conf", "E: 1G " + card + "\n");
    StoreAutomaticSignIn();
    Start({});
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgEasy22"), 120000));
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgEasy22", "3"))));
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgMain"), 60000));
    ChooseUnitAndCard();

    // The map tab shows the world's map page; its "Picroute" button opens the dialog.
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgMain", "7"))));
    ASSERT_TRUE(
        MapPageDoes(QStringLiteral("(document.getElementById('picroute') && window.external) ? "
                                   "(document.getElementById('picroute').click(), 1) : 0")));
    const auto dialog = driver_.WaitForWindow(QStringLiteral("400"), 60000);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->value(QStringLiteral("title")).toString(),
              QStringLiteral("Orla짱- Picroute"));

    // The open button's file chooser: the photo's path typed, then Return.
    ASSERT_TRUE(driver_.Do(Op("click", On("400", "14"))));
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("QFileDialog"), 60000));
    ASSERT_TRUE(
        driver_.Do(With(Op("type", {{QStringLiteral("window"), QStringLiteral("QFileDialog")}}),
                        "text", QString::fromStdString(photo))));
    ASSERT_TRUE(
        driver_.Do(With(Op("key", {{QStringLiteral("window"), QStringLiteral("QFileDialog")}}),
                        "key", QStringLiteral("Return"))));
    const auto loaded =
        driver_.WaitForWindow(QStringLiteral("400"), 60000, [&](const QJsonObject& window) {
            return AutomationClient::Control(window, QStringLiteral("1030"))
                       .value(QStringLiteral("text"))
                       .toString() == QString::fromStdString(photo);
        });
    ASSERT_TRUE(loaded);
    // The photo's own position, as read; the map goes there in WGS 84.
    EXPECT_EQ(AutomationClient::Control(*loaded, QStringLiteral("1032"))
                  .value(QStringLiteral("text"))
                  .toString(),
              QStringLiteral("129.075500"));
    EXPECT_EQ(AutomationClient::Control(*loaded, QStringLiteral("1033"))
                  .value(QStringLiteral("text"))
                  .toString(),
              QStringLiteral("35.179600"));
    const extras::GeoPosition wgs = extras::BesselToWgs84(kBusan);
    EXPECT_TRUE(
        MapPageDoes(QStringLiteral("window.mapCalls.indexOf('setCenter(%1,%2)') >= 0 ? 1 : 0")
                        .arg(wgs.longitude)
                        .arg(wgs.latitude)));

    // Posting on, the second category, the texts typed; saved.
    ASSERT_TRUE(driver_.Do(Op("click", On("400", "1009"))));
    ASSERT_TRUE(driver_.Do(Op("click", On("400", "1012"))));
    ASSERT_TRUE(driver_.Do(With(Op("type", On("400", "1035")), "text", QStringLiteral("해운대"))));
    ASSERT_TRUE(driver_.Do(With(Op("type", On("400", "1036")), "text", QStringLiteral("부산"))));
    ASSERT_TRUE(
        driver_.Do(With(Op("type", On("400", "1037")), "text", QStringLiteral("바다\n모래"))));
    ASSERT_TRUE(driver_.Do(Op("click", On("400", "1"))));
    ASSERT_TRUE(AnswerBoxesUntil(QStringLiteral("메모리 카드에 복사를 완료하였습니다.")))
        << said_.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(said_,
              QStringList({QStringLiteral("처리 완료 | Picroute, 웹 게시를 완료하였습니다."),
                           QStringLiteral("처리 완료 | 메모리 카드에 복사를 완료하였습니다.")}));

    // The portal recorded the post with the photo written for it; the card has the same photo,
    // scaled to 800 wide; the map searched the new photos; the dialog closed.
    const std::string upload = world_.folder + "/picroute-uploads/upload-1/";
    const std::string fields = platform::ReadWholeFile(upload + "fields.txt").value_or("");
    const auto cp949 = [](std::string_view text) { return platform::Utf8ToCp949(text).text; };
    for (const std::string& field :
         {"contents: " + cp949("바다"),
          cp949("모래") + "\nkind: 2\nlocation: " + cp949("부산") +
              "\nsubject: " + cp949("해운대") + "\nupload_file: ",
          std::string("UserPhoto.jpg\ncontent-type: image/jpeg\nuserid: hong\n")}) {
        EXPECT_NE(fields.find(field), std::string::npos) << field << " in " << fields;
    }
    std::string on_card;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(card)) {
        if (entry.path().filename() == "UserPhoto.jpg") {
            on_card = platform::ReadWholeFile(entry.path().string()).value_or("");
        }
    }
    EXPECT_EQ(extras::test::DecodedSize(on_card), (extras::test::Size{800, 560}));
    EXPECT_EQ(platform::ReadWholeFile(upload + "photo.bin"), on_card);
    EXPECT_TRUE(MapPageDoes(
        QStringLiteral("window.mapCalls.indexOf('setMapMovePhotoSearch()') >= 0 ? 1 : 0")));
    const auto windows = driver_.Ok(Op("snapshot"));
    ASSERT_TRUE(windows);
    int dialogs = 0;
    for (const QJsonValue& window : windows->value(QStringLiteral("windows")).toArray()) {
        if (window.toObject().value(QStringLiteral("name")).toString() == QStringLiteral("400")) {
            ++dialogs;
            EXPECT_FALSE(window.toObject().value(QStringLiteral("visible")).toBool());
        }
    }
    EXPECT_EQ(dialogs, 1);
}

}  // namespace
}  // namespace mapvale::ui::test
