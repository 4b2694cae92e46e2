#include "ui/vidaz_app.h"

#include <gmock/gmock.h>

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <csignal>

#include "app/constants.h"
#include "controller/controller_texts.h"
#include "controller/main_frame.h"
#include "controller/photo_save.h"
#include "extras/datum_shift.h"
#include "ui/dlg_main.h"
#include "ui/dlg_picroute.h"
#include "ui/frame_pump.h"
#include "ui/qt_frame_fixture.h"
#include "ui/qt_frame_ui.h"
#include "ui/wait_for.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Counts the start-up's polls and runs `on_sleep` at each.
class PollingSleeper final : public platform::Sleeper {
public:
    std::function<void(int)> on_sleep;
    int sleeps = 0;
    void Sleep(std::chrono::milliseconds) override {
        ++sleeps;
        if (on_sleep) {
            on_sleep(sleeps);
        }
    }
    bool WaitFor(platform::Event&, std::chrono::milliseconds) override { return false; }
};

class VidazAppTest : public QtFrameTest {
protected:
    AppServices App(QSize screen = QSize(1280, 1024)) {
        AppServices services;
        services.store = &store_;
        services.frame = Services();
        services.instances = &instances_;
        services.sleeper = &polls_;
        services.screen_size = [screen] { return screen; };
        services.screens = registry_;
        services.program_files_folder = box_.Path("program-files");
        services.open_with_desktop = [this](const std::string& target) {
            opened_.push_back(target);
        };
        services.start_program = [this](const std::string& path) { started_.push_back(path); };
        services.qt_folder_chooser = true;
        return services;
    }

    // Records the text of every box that opens and answers it with its first button.
    std::unique_ptr<QTimer> AnswerBoxes() {
        auto timer = std::make_unique<QTimer>();
        timer->setInterval(1);
        QObject::connect(timer.get(), &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes_.push_back(box->text());
                box->buttons().front()->click();
            }
        });
        timer->start();
        return timer;
    }

    PollingSleeper polls_;
    std::vector<QString> boxes_;
};

TEST_F(VidazAppTest, AnotherUpdaterThatStaysEndsTheStartWithItsBox) {
    auto other = instances_.Publish(std::string(app::kFrameClassName), [] {});
    ASSERT_TRUE(other);
    auto answer = AnswerBoxes();
    CVidazApp updater({}, App());
    EXPECT_EQ(updater.Run(), 0);
    EXPECT_THAT(boxes_, ::testing::ElementsAre(Text(app::kTextAlreadyRunning)));
    EXPECT_EQ(polls_.sleeps, 100);
    EXPECT_EQ(updater.frame(), nullptr);
}

TEST_F(VidazAppTest, AnUpdaterThatGoesAwayDuringThePollsLetsTheStartGoOn) {
    Serve();
    StoreAutomaticSignIn();
    auto other = instances_.Publish(std::string(app::kFrameClassName), [] {});
    polls_.on_sleep = [&other](int count) {
        if (count == 40) {
            other.reset();
        }
    };
    auto answer = AnswerBoxes();
    CVidazApp updater({}, App());
    EXPECT_FALSE(updater.InitInstance().has_value());
    ASSERT_NE(updater.frame(), nullptr);
    EXPECT_TRUE(boxes_.empty());
    // This one is now the updater others find.
    EXPECT_TRUE(instances_.Exists(std::string(app::kFrameClassName)));
    EXPECT_NE(updater.ui()->WizardScreen(controller::kScreenOptions), nullptr);
}

TEST_F(VidazAppTest, ScreensSmallerThan800By600AreRefused) {
    for (const QSize size : {QSize(799, 600), QSize(800, 599)}) {
        boxes_.clear();
        auto answer = AnswerBoxes();
        CVidazApp updater({}, App(size));
        EXPECT_EQ(updater.Run(), 0);
        EXPECT_THAT(boxes_, ::testing::ElementsAre(Text(app::kTextScreenTooSmall)));
        EXPECT_EQ(updater.frame(), nullptr);
    }
    Serve();
    StoreAutomaticSignIn();
    boxes_.clear();
    auto answer = AnswerBoxes();
    CVidazApp updater({}, App(QSize(800, 600)));
    EXPECT_FALSE(updater.InitInstance().has_value());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(VidazAppTest, UnknownFirstArgumentsEndSilently) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-systray"}, std::vector<std::string>{"-style", "fusion"},
          std::vector<std::string>{"-xyz"}}) {
        boxes_.clear();
        auto answer = AnswerBoxes();
        CVidazApp updater(arguments, App());
        EXPECT_EQ(updater.Run(), 0);
        EXPECT_TRUE(boxes_.empty()) << arguments.front();
        ASSERT_NE(updater.frame(), nullptr);
        EXPECT_TRUE(updater.frame()->closed());
    }
}

TEST_F(VidazAppTest, SixFunctionsForWebPagesInTheirOrder) {
    CVidazApp updater({}, App(QSize(640, 480)));
    auto answer = AnswerBoxes();
    updater.Run();  // ends at the screen check; the functions are there by then
    const ScriptFunctionList& functions = updater.functions();
    const char* names[] = {"ThemeDownload",   "DownloadPicroute", "SetCoord",
                           "PhotoDialogOpen", "__StartUpdate",    "__StopUpdate"};
    ASSERT_EQ(functions.functions().size(), 6u);
    for (int id = 1; id <= 6; ++id) {
        EXPECT_EQ(functions.IdOf(names[id - 1]), id);
    }
    EXPECT_EQ(functions.IdOf("themedownload"), -1);
    // The themes' and photos' functions are known and, without a controller, do nothing.
    for (int id = 1; id <= 4; ++id) {
        EXPECT_TRUE(functions.Invoke(id, {}));
    }
    // Without an open notice the answers do nothing, and still say 1.
    EXPECT_EQ(functions.functions()[4].handler({}), 1);
    EXPECT_EQ(functions.functions()[5].handler({}), 1);
}

TEST_F(VidazAppTest, ThePagesOpenOnePhotoDialogAndFillItsPosition) {
    Serve();
    StoreAutomaticSignIn();
    registry_ = ScreenRegistry::Standard();  // the real main screen holds the dialog
    CVidazApp updater({}, App());
    ASSERT_FALSE(updater.InitInstance().has_value());
    const ScriptFunctionList& functions = updater.functions();
    // SetCoord before the dialog exists: nothing to fill.
    EXPECT_TRUE(functions.Invoke(3, {std::int64_t{13'500'000}, std::int64_t{45'720'000}}));
    EXPECT_EQ(updater.photo_dialog(), nullptr);
    // The map page is the main screen's: on the wizard's screens there is nothing to open it on.
    ASSERT_TRUE(functions.Invoke(4, {}));
    EXPECT_EQ(updater.photo_dialog(), nullptr);
    {
        // The start's questions on the way (the download folder), as a user who agrees.
        auto answer = AnswerBoxes();
        updater.pump().DeliverAll();
        updater.frame()->ToggleMainScreen(true);
    }
    ASSERT_TRUE(functions.Invoke(4, {}));
    CDlgPicroute* dialog = updater.photo_dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    // The main screen, where the map page is, holds it and owns it.
    auto* main = qobject_cast<CDlgMain*>(updater.ui()->MainScreen());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->PhotoDialog(), dialog);
    EXPECT_EQ(dialog->parentWidget(), main);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Orla짱- Picroute"));
    // The map's position (last argument first, as the page's call delivers it), in Bessel.
    EXPECT_TRUE(functions.Invoke(3, {std::int64_t{13'500'000}, std::int64_t{45'720'000}}));
    const extras::GeoPosition bessel = extras::Wgs84ToBessel({45'720'000, 13'500'000});
    EXPECT_EQ(dialog->LongitudeText().toStdString(), controller::DegreesText(bessel.longitude));
    EXPECT_EQ(dialog->LatitudeText().toStdString(), controller::DegreesText(bessel.latitude));
    // Closed and opened again: the same dialog, emptied.
    dialog->hide();
    ASSERT_TRUE(functions.Invoke(4, {}));
    EXPECT_EQ(updater.photo_dialog(), dialog);
    EXPECT_TRUE(dialog->isVisible());
    const QPointer<CDlgPicroute> watched(dialog);
    updater.RequestEnd();
    EXPECT_EQ(updater.Exec(), 0);
    // Gone before the controller: it works on it.
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(updater.photo_dialog(), nullptr);
}

TEST_F(VidazAppTest, ACloseRequestWithoutAScreenEndsAtOnce) {
    // The start ends before a screen exists when the package list cannot be read: the request
    // that arrives meanwhile needs no question either.
    auto answer = AnswerBoxes();
    CVidazApp updater({"-systray"}, App());
    ASSERT_FALSE(updater.InitInstance().has_value());
    EXPECT_TRUE(instances_.RequestClose(std::string(app::kFrameClassName)));
    EXPECT_EQ(updater.Exec(), 0);
    EXPECT_TRUE(updater.frame()->closed());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(VidazAppTest, TerminationClosesTheOpenQuestionAndEndsWithTheSettingsSaved) {
    Serve();
    StoreAutomaticSignIn();
    CVidazApp updater({}, App());
    ASSERT_FALSE(updater.InitInstance().has_value());
    ASSERT_NE(updater.ui()->WizardScreen(controller::kScreenOptions), nullptr);
    profile_.WriteProfileString("USER", "ID", "");
    // The user is looking at the close question when the session ends.
    auto terminate = WhenModalOpens<QMessageBox>([](QMessageBox*) { std::raise(SIGTERM); });
    updater.pump().Post(kWmClose, 0, 0);
    EXPECT_EQ(updater.Exec(), 0);
    EXPECT_EQ(profile_.GetProfileString("USER", "ID", ""), "hong");
}

}  // namespace
}  // namespace mapvale::ui::test
