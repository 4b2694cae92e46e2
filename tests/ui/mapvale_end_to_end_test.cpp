// The real Mapvale program on an X display of its own, driven through its automation socket the
// way a user goes through it: every step waits for what the screen shows, with deadlines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/constants.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "support/server_process.h"
#include "ui/automation_client.h"
#include "ui/program_end_to_end.h"
#include "ui/program_run.h"
#include "ui/qt_frame_fixture.h"
#include "ui/virtual_display.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::AutomationClient;

class MapvaleEndToEndTest : public ProgramEndToEndTest {
protected:
    // The first visible message box or notice other than `previous` (which may still show for a
    // moment after it was answered).
    std::optional<QJsonObject> NextQuestion(const QJsonObject& previous, int timeout_ms) {
        const QDeadlineTimer deadline(timeout_ms);
        while (!deadline.hasExpired()) {
            if (const auto answer = driver_.Ok(Op("snapshot"))) {
                for (const QJsonValue& value : answer->value(QStringLiteral("windows")).toArray()) {
                    const QJsonObject window = value.toObject();
                    const QString kind = window.value(QStringLiteral("class")).toString();
                    if ((kind == QStringLiteral("QMessageBox") ||
                         kind == QStringLiteral("CDlgAlert")) &&
                        window.value(QStringLiteral("visible")).toBool() && window != previous) {
                        return window;
                    }
                }
            }
            QThread::msleep(100);
        }
        return std::nullopt;
    }

    // From the main screen back to the wizard's countdown (page 2), then the card pulled: the
    // welcome page (1).
    void BackToTheWizardAndPullTheCard() {
        ASSERT_TRUE(driver_.Do(Op("click", On("CDlgMain", "11"))));
        WaitForState([](const QJsonObject& now) {
            return now.value(QStringLiteral("wizard")).toBool() &&
                   now.value(QStringLiteral("screen")).toInt() == 2;
        });
        ASSERT_TRUE(
            platform::WriteFileAtomic(box_.Path("volumes.conf"), "# the card was pulled\n"));
        WaitForState([](const QJsonObject& now) {
            return now.value(QStringLiteral("screen")).toInt() == 1;
        });
    }

    bool WaitUntilNoVisible(const QString& kind, int timeout_ms) {
        const QDeadlineTimer deadline(timeout_ms);
        while (!deadline.hasExpired()) {
            if (const auto answer = driver_.Ok(Op("snapshot"))) {
                const QJsonArray windows = answer->value(QStringLiteral("windows")).toArray();
                if (std::none_of(windows.begin(), windows.end(), [&](const QJsonValue& value) {
                        const QJsonObject window = value.toObject();
                        return window.value(QStringLiteral("class")).toString() == kind &&
                               window.value(QStringLiteral("visible")).toBool();
                    })) {
                    return true;
                }
            }
            QThread::msleep(100);
        }
        return false;
    }

    // The open notice's own start button, once its page has loaded and reached the program.
    bool PressNoticeStart() {
        const QDeadlineTimer loaded(60000);
        QJsonObject last;
        while (!loaded.hasExpired()) {
            const auto result = driver_.Ok(
                With(Op("script", On("CDlgAlert", "1027")), "code",
                     // The click closes the notice, and with it the page that would answer
                     // this script: it runs once the answer is on its way.
                     QStringLiteral("(document.getElementById('start') && window.external) ? "
                                    "(setTimeout(() => document.getElementById('start').click()), "
                                    "1) : document.readyState + ' ' + location.href")));
            if (result && result->value(QStringLiteral("result")).toInt() == 1) {
                return true;
            }
            last = result.value_or(QJsonObject{});
            QThread::msleep(200);
        }
        // What the page was doing, for a run that fails this way.
        ADD_FAILURE() << "the notice's last answer: "
                      << QJsonDocument(last).toJson(QJsonDocument::Compact).toStdString()
                      << "; the windows: "
                      << QJsonDocument(driver_.Ok(Op("snapshot")).value_or(QJsonObject{}))
                             .toJson(QJsonDocument::Compact)
                             .toStdString();
        return false;
    }

    // Goes through what a start asks, as a user who wants the install: the notice page's own
    // button, then 예 or 확인 on every box, until the box captioned `last` was answered; its
    // caption, or empty when something else happened.
    QString AnswerUntil(const QString& last) {
        QJsonObject previous;
        for (int step = 0; step < 10; ++step) {
            const auto window = NextQuestion(previous, 180000);
            if (!window) {
                ADD_FAILURE() << "no question after "
                              << previous.value(QStringLiteral("title")).toString().toStdString();
                return {};
            }
            previous = *window;
            if (window->value(QStringLiteral("class")).toString() == QStringLiteral("CDlgAlert")) {
                if (!PressNoticeStart()) {
                    ADD_FAILURE() << "the notice never answered";
                    return {};
                }
                // Its page title and address change as it loads, so a snapshot taken while it
                // closes would not match the one that found it: wait until it is gone.
                if (!WaitUntilNoVisible(QStringLiteral("CDlgAlert"), 60000)) {
                    ADD_FAILURE() << "the notice stayed open after its start button";
                    return {};
                }
                continue;
            }
            const QJsonObject box = window->value(QStringLiteral("box")).toObject();
            const QString caption = box.value(QStringLiteral("caption")).toString();
            const QJsonArray buttons = box.value(QStringLiteral("buttons")).toArray();
            const QString answer = buttons.contains(QStringLiteral("예")) ? QStringLiteral("예")
                                                                          : QStringLiteral("확인");
            if (!driver_.Do(
                    With(Op("answer", {{QStringLiteral("window"), QStringLiteral("QMessageBox")}}),
                         "button", answer))) {
                ADD_FAILURE() << "cannot answer " << caption.toStdString();
                return {};
            }
            if (caption == last) {
                return caption;
            }
        }
        return {};
    }

    // A virtual card of the HX100 with an older map at E:, plugged in before the program starts.
    std::string PlugOlderCard() {
        const std::string card = box_.Path("vcard");
        box_.Write("vcard/HX100.ver", "*|20231015|2023101|HX100|2023.10|1|0|1\n");
        box_.Write("vcard/BackUp/my_places.dat", "the places the driver saved\n");
        std::filesystem::create_directories(card + "/TSKN_Ver_Info");
        box_.Write("volumes.conf", "E: 1G " + card + "\n");
        return card + "/";
    }

    // Answers what the job asks on the way (boxes with their first button, "예" or "확인"; the
    // notice with its page's own start button) until the window `until` shows.
    bool AnswerUntilShown(const QString& until, int timeout_ms) {
        const QDeadlineTimer deadline(timeout_ms);
        while (!deadline.hasExpired()) {
            const auto snapshot = driver_.Ok(Op("snapshot"), 10000);
            if (!snapshot) {
                continue;
            }
            shown_.clear();
            for (const QJsonValue& value : snapshot->value(QStringLiteral("windows")).toArray()) {
                const QJsonObject window = value.toObject();
                if (!window.value(QStringLiteral("visible")).toBool()) {
                    continue;
                }
                const QString name = window.value(QStringLiteral("class")).toString();
                shown_ += name + QLatin1Char(' ');
                if (name == until) {
                    return true;
                }
                if (name == QLatin1String("QMessageBox")) {
                    const QJsonObject box = window.value(QStringLiteral("box")).toObject();
                    asked_.push_back(box.value(QStringLiteral("caption")).toString());
                    said_ += box.value(QStringLiteral("text")).toString() + QStringLiteral(" | ");
                    driver_.Ok(With(Op("answer", {{QStringLiteral("window"), name}}), "button",
                                    box.value(QStringLiteral("buttons")).toArray().first()));
                } else if (name == QLatin1String("CDlgAlert")) {
                    driver_.Ok(With(Op("script", On("CDlgAlert", "1027")), "code",
                                    QStringLiteral("(function () { var b = document."
                                                   "getElementById('start'); if (b && "
                                                   "window.external) { b.click(); return true; } "
                                                   "return false; })()")));
                }
            }
            QThread::msleep(100);
        }
        return false;
    }

    std::vector<QString> asked_;
    QString shown_;  // the windows of the last look, and what the boxes said: a failure's message
    QString said_;
};

TEST_F(MapvaleEndToEndTest, UpdateRestartSignInAgreementThenTheOptionScreen) {
    ServeWithTheProgram(/*offer_update=*/true);
    Start({});

    // The offered update installs, and the program hands over to its restarted self.
    ASSERT_TRUE(first_.waitForFinished(120000));
    EXPECT_EQ(first_.exitCode(), 0);
    for (const char* file : {"Info/Notice.txt", "Info/UpdateGuide.html"}) {
        EXPECT_EQ(platform::ReadWholeFile(ProgramFolder() + file),
                  platform::ReadWholeFile(world_.SelfUpdateSources() + "/" + file))
            << file;
    }
    // Only its user may talk to it.
    struct stat info {};
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgLogin"), 120000));
    ASSERT_EQ(::stat(socket_.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
    WaitForState([](const QJsonObject&) { return true; });
    EXPECT_NE(pid_, first_pid_);

    SignIn("eff", "pw");
    // A user whose traffic service is off is asked once: OK waits for a choice.
    const auto agreement = driver_.WaitForWindow(QStringLiteral("CDlgReAgreePopUp"), 120000);
    ASSERT_TRUE(agreement);
    EXPECT_FALSE(AutomationClient::Control(*agreement, QStringLiteral("1"))
                     .value(QStringLiteral("enabled"))
                     .toBool());
    const auto refused = driver_.Request(Op("click", On("CDlgReAgreePopUp", "1")));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->value(QStringLiteral("error")).toString(),
              QStringLiteral("control disabled"));
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgReAgreePopUp", "1050"))));
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgReAgreePopUp", "1"))));

    const QJsonObject state = WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("screen")).toInt() == 22 &&
               now.value(QStringLiteral("wizard")).toBool();
    });
    EXPECT_EQ(state.value(QStringLiteral("user")).toString(), QStringLiteral("eff"));
    const auto option_screen = driver_.WaitForWindow(QStringLiteral("CDlgEasy22"), 60000);
    ASSERT_TRUE(option_screen);
    const QString picture = QString::fromStdString(box_.Path("option.png"));
    EXPECT_TRUE(driver_.Ok(With(
        Op("grab", {{QStringLiteral("window"), QStringLiteral("CDlgEasy22")}}), "file", picture)));
    EXPECT_GT(std::filesystem::file_size(picture.toStdString()), 0u);
}

TEST_F(MapvaleEndToEndTest, TheWizardTakesTheCardFromTheOptionPageToTheCompletionPage) {
    ServeWithTheProgram(/*offer_update=*/false);
    const std::string card = PlugOlderCard();
    StoreAutomaticSignIn();
    Start({});
    // The account's unit and its card are chosen by themselves.
    WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("screen")).toInt() == 22 &&
               now.value(QStringLiteral("device")).toString() == QLatin1String("HX100") &&
               now.value(QStringLiteral("drive")).toString() == QLatin1String("E");
    });
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgEasy22", "1017")), 60000));
    ASSERT_TRUE(AnswerUntilShown(QStringLiteral("CDlgEasy4"), 240000))
        << "shown: " << shown_.toStdString() << "; said: " << said_.toStdString() << "; state: "
        << QJsonDocument(driver_.Ok(Op("state")).value_or(QJsonObject())).toJson().toStdString();
    EXPECT_NE(std::find(asked_.begin(), asked_.end(), QStringLiteral("메모리카드 확인")),
              asked_.end());
    const std::string version = testing::Sandbox::Read(card + "HX100.ver");
    EXPECT_EQ(version.rfind("*|20240115|", 0), 0u) << version;
    EXPECT_NE(version.find("|1\n"), std::string::npos) << version;
    // The driver's own data came back after the format.
    EXPECT_EQ(testing::Sandbox::Read(card + "BackUp/my_places.dat"),
              "the places the driver saved\n");
}

TEST_F(MapvaleEndToEndTest, TheInstallersFirstRunAsksForTheDownloadFolder) {
    ServeWithTheProgram(/*offer_update=*/false);
    Start({QStringLiteral("-TRAINFO_AGREE")});
    SignIn("hong", "1234");
    const auto question =
        driver_.WaitForWindow(QStringLiteral("QMessageBox"), 120000, [](const QJsonObject& window) {
            return window.value(QStringLiteral("box"))
                .toObject()
                .value(QStringLiteral("caption"))
                .toString()
                .endsWith(QStringLiteral("다운로드 경로 확인"));
        });
    ASSERT_TRUE(question);
    const QJsonObject box = question->value(QStringLiteral("box")).toObject();
    EXPECT_EQ(box.value(QStringLiteral("icon")).toString(), QStringLiteral("question"));
    EXPECT_EQ(box.value(QStringLiteral("buttons")).toArray(),
              (QJsonArray{QStringLiteral("예"), QStringLiteral("아니오")}));
    ASSERT_TRUE(
        driver_.Do(With(Op("answer", {{QStringLiteral("window"), QStringLiteral("QMessageBox")}}),
                        "button", QStringLiteral("예"))));

    const QJsonObject state = WaitForState(
        [](const QJsonObject& now) { return now.value(QStringLiteral("screen")).toInt() == 22; });
    // The installer's account is not remembered; the folder chain exists.
    EXPECT_TRUE(state.value(QStringLiteral("user")).toString().isEmpty());
    const std::string folder = state.value(QStringLiteral("data_folder")).toString().toStdString();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(MapvaleEndToEndTest, FromTheWizardToTheMainScreenAndAnInstallOntoTheCard) {
    ServeWithTheProgram(/*offer_update=*/false);
    const std::string card = MainScreenWithACard();
    // The unit and its card on the install page, then its start button (the page's 6, not the
    // screen's install tab).
    ChooseUnitAndCard();
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgMain", "321/6"))));

    // The notice's own button goes ahead; any question on the way is answered as a user who
    // wants the install; the job ends with its completion message.
    const QString ended = AnswerUntil(QStringLiteral("설치 완료"));
    EXPECT_EQ(ended, QStringLiteral("설치 완료"));
    const QJsonObject idle = WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("job_running")).toInt() == 0;
    });
    EXPECT_EQ(idle.value(QStringLiteral("job_running")).toInt(), 0);
    // The card holds the package with its version file.
    EXPECT_TRUE(HasFile(card, "HX100.ver"));
}

TEST_F(MapvaleEndToEndTest, ACancelledDownloadKeepsWhatItHasAndTheNextStartCompletes) {
    // About ten seconds for the package, so that the download can be stopped halfway.
    ServeWithTheProgram(/*offer_update=*/false, {"--throttle", "60000"});
    const std::string card = MainScreenWithACard();
    ChooseUnitAndCard();
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgMain", "321/6"))));
    // The notice, then the download under way.
    const auto notice = driver_.WaitForWindow(QStringLiteral("CDlgAlert"), 120000);
    ASSERT_TRUE(notice);
    ASSERT_TRUE(PressNoticeStart());
    const QJsonObject downloading = WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("job_state")).toInt() == 5 &&
               now.value(QStringLiteral("download_percent")).toInt() > 0;
    });
    ASSERT_LT(downloading.value(QStringLiteral("download_percent")).toInt(), 100);

    // 취소 확인, Yes: the job stops; what reached the PC stays, and so does the card.
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgMain", "321/6"))));
    const auto question =
        driver_.WaitForWindow(QStringLiteral("QMessageBox"), 60000, [](const QJsonObject& window) {
            return window.value(QStringLiteral("box"))
                       .toObject()
                       .value(QStringLiteral("caption"))
                       .toString() == QStringLiteral("취소 확인");
        });
    ASSERT_TRUE(question);
    ASSERT_TRUE(
        driver_.Do(With(Op("answer", {{QStringLiteral("window"), QStringLiteral("QMessageBox")}}),
                        "button", QStringLiteral("예"))));
    const QJsonObject stopped = WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("job_running")).toInt() == 0;
    });
    const std::string package =
        stopped.value(QStringLiteral("data_folder")).toString().toStdString() + "HX100";
    ASSERT_TRUE(std::filesystem::is_directory(package));
    EXPECT_FALSE(std::filesystem::is_empty(package));
    EXPECT_TRUE(std::filesystem::is_directory(card));

    // A new start completes.
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgMain", "321/6"))));
    EXPECT_EQ(AnswerUntil(QStringLiteral("설치 완료")), QStringLiteral("설치 완료"));
    EXPECT_TRUE(HasFile(card, "HX100.ver"));
}

// A data folder chosen in the settings, then the way back to the wizard: the countdown page, the
// card pulled (the welcome page) and put back (the countdown again), whose real countdown starts
// the job once; the package lands in the new folder and on the card.
TEST_F(MapvaleEndToEndTest, ANewDataFolderThenBackToTheWizardThroughAPulledCardAndTheCountdown) {
    ServeWithTheProgram(/*offer_update=*/false);
    // The countdown is the program's own movie.
    const std::string programs = std::getenv("MAPVALE_PROGRAM_DIR");
    std::filesystem::copy(
        programs + "/Info", ProgramFolder() + "Info",
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
    const std::string card = PlugOlderCard();
    const std::string plugged = testing::Sandbox::Read(box_.Path("volumes.conf"));
    const std::string folder = box_.Path("new data");
    std::filesystem::create_directories(folder);
    StoreAutomaticSignIn();
    Start({});
    const QJsonObject chosen = WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("screen")).toInt() == 22 &&
               now.value(QStringLiteral("device")).toString() == QLatin1String("HX100") &&
               now.value(QStringLiteral("drive")).toString() == QLatin1String("E");
    });
    const std::string old_folder =
        chosen.value(QStringLiteral("data_folder")).toString().toStdString();
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgEasy22", "3")), 60000));
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgMain"), 60000));

    // The settings take the typed folder; whatever they say about it is acknowledged.
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgMain", "9"))));
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgEnv"), 60000));
    ASSERT_TRUE(driver_.Do(
        With(Op("type", On("CDlgEnv", "1022")), "text", QString::fromStdString(folder))));
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgEnv", "1"))));
    for (QDeadlineTimer deadline(60000); !deadline.hasExpired(); QThread::msleep(100)) {
        if (!driver_.WaitForWindow(QStringLiteral("CDlgEnv"), 100)) {
            break;
        }
        if (const auto box = driver_.WaitForWindow(QStringLiteral("QMessageBox"), 100)) {
            said_ += box->value(QStringLiteral("box"))
                         .toObject()
                         .value(QStringLiteral("text"))
                         .toString() +
                     QStringLiteral(" | ");
            driver_.Ok(
                With(Op("answer", {{QStringLiteral("window"), QStringLiteral("QMessageBox")}}),
                     "button", QStringLiteral("확인")));
        }
    }
    const QJsonObject stored = WaitForState([](const QJsonObject&) { return true; });
    ASSERT_EQ(stored.value(QStringLiteral("data_folder")).toString().toStdString(), folder + "/")
        << said_.toStdString();

    // Back to the wizard: the countdown page for the chosen unit and card; pulled: the welcome
    // page; back in: the countdown again, the card's unit chosen anew.
    ASSERT_NO_FATAL_FAILURE(BackToTheWizardAndPullTheCard());
    ASSERT_TRUE(platform::WriteFileAtomic(box_.Path("volumes.conf"), plugged));
    WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("screen")).toInt() == 2 &&
               now.value(QStringLiteral("device")).toString() == QLatin1String("HX100") &&
               now.value(QStringLiteral("drive")).toString() == QLatin1String("E");
    });
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgEasy2"), 60000));

    // Nobody presses anything: the countdown runs out (30 s) and starts the job without asking
    // about the card.
    asked_.clear();
    ASSERT_TRUE(AnswerUntilShown(QStringLiteral("CDlgEasy4"), 240000))
        << "shown: " << shown_.toStdString() << "; said: " << said_.toStdString();
    EXPECT_EQ(std::count(asked_.begin(), asked_.end(), QStringLiteral("메모리카드 확인")), 0);
    const std::string version = testing::Sandbox::Read(card + "HX100.ver");
    EXPECT_EQ(version.rfind("*|20240115|", 0), 0u) << version;
    EXPECT_NE(version.find("|1\n"), std::string::npos) << version;
    EXPECT_TRUE(HasFile(folder + "/HX100", "HX100.ver"));
    EXPECT_FALSE(std::filesystem::exists(old_folder + "HX100"));
}

TEST_F(MapvaleEndToEndTest, ASecondVariantUnitOnASmallCardGoesFromTheWelcomePageToTheMainScreen) {
    ServeWithTheProgram(/*offer_update=*/false);
    // kim's KC30, a TARNO unit of the second variant: its card keeps the version file in its
    // own folder. On 2 GB it has an easy install; on 1 GB it has none.
    const std::string card = box_.Path("kc30");
    box_.Write("kc30/Tarno/KC30.ver", "*|20231015|2023101|KC30|2023.10|1|0|1\n");
    std::filesystem::create_directories(card + "/TSKN_Ver_Info");
    box_.Write("volumes.conf", "E: 2G " + card + "\n");
    StoreAutomaticSignIn("kim", "5678");
    profile_.WriteProfileString("USER", "Company", "DL");
    Start({});
    // The account has the traffic service off: its question comes once, and is agreed to.
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgReAgreePopUp"), 120000));
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgReAgreePopUp", "1050"))));
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgReAgreePopUp", "1"))));
    WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("screen")).toInt() == 22 &&
               now.value(QStringLiteral("device")).toString() == QLatin1String("KC30") &&
               now.value(QStringLiteral("drive")).toString() == QLatin1String("E");
    });
    ASSERT_TRUE(driver_.Do(Op("click", On("CDlgEasy22", "3")), 60000));
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgMain"), 60000));
    ASSERT_NO_FATAL_FAILURE(BackToTheWizardAndPullTheCard());

    // The same unit's 1 GB card: the note, then the main screen.
    ASSERT_TRUE(platform::WriteFileAtomic(box_.Path("volumes.conf"), "E: 1G " + card + "\n"));
    const auto note =
        driver_.WaitForWindow(QStringLiteral("QMessageBox"), 120000, [](const QJsonObject& window) {
            return window.value(QStringLiteral("box"))
                       .toObject()
                       .value(QStringLiteral("caption"))
                       .toString() == QStringLiteral("화면 이동");
        });
    ASSERT_TRUE(note);
    EXPECT_EQ(
        note->value(QStringLiteral("box")).toObject().value(QStringLiteral("text")).toString(),
        QStringLiteral("\nORLA(V5.0)은 1G 간편설치를 \n\n지원하지 않습니다."));
    ASSERT_TRUE(
        driver_.Do(With(Op("answer", {{QStringLiteral("window"), QStringLiteral("QMessageBox")}}),
                        "button", QStringLiteral("확인"))));
    const QJsonObject main = WaitForState([](const QJsonObject& now) {
        return now.value(QStringLiteral("main")).toBool() &&
               !now.value(QStringLiteral("wizard")).toBool();
    });
    EXPECT_EQ(main.value(QStringLiteral("device")).toString(), QLatin1String("KC30"));
    ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgMain"), 60000));
}

}  // namespace
}  // namespace mapvale::ui::test
