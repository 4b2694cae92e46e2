// The self-update dialog against a world that offers newer program files.

#include "ui/dlg_upgrade.h"

#include <gmock/gmock.h>

#include <QProgressBar>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "model/messages.h"
#include "model/server_config.h"
#include "platform/files.h"
#include "ui/qt_frame_fixture.h"
#include "ui/wait_for.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WhenModalOpens;
using Outcome = controller::FrameUi::UpdateOutcome;

// Says the folders may be written, or not, and records relaunches.
class FakeElevation final : public update::ElevationService {
public:
    bool MayWrite(const std::vector<std::string>&) override { return may_write; }
    bool RelaunchElevated(const platform::LaunchRequest& request) override {
        relaunched.push_back(request.program);
        return true;
    }
    bool may_write = true;
    std::vector<std::string> relaunched;
};

class DlgUpgradeTest : public QtFrameTest {
protected:
    void SetUp() override {
        servers::WorldOptions options;
        options.folder = world_.folder;
        options.offer_update = true;
        std::string error;
        ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
    }

    update::UpdateSetup UpdateSetupOfTheWorld() {
        update::UpdateSetup setup;
        setup.role = update::UpdateRole::kUpdater;
        setup.program_folder = ProgramFolder();
        const auto servers = ServerConfig::Load(ProgramFolder() + "Info/Servers.ini");
        EXPECT_TRUE(servers);
        setup.host = servers ? servers->HostText(ServerConfig::kUpdate) : "";
        return setup;
    }

    Outcome RunDialog(const update::UpdateSetup& setup) {
        MakeQtFrame();
        qt_ui_->SetElevation(&elevation_);
        return qt_ui_->RunSelfUpdateDialog(setup);
    }

    bool FilesInPlace() {
        for (const char* file : {"Info/Notice.txt", "Info/UpdateGuide.html"}) {
            if (platform::ReadWholeFile(ProgramFolder() + file) !=
                platform::ReadWholeFile(world_.SelfUpdateSources() + "/" + file)) {
                return false;
            }
        }
        return true;
    }

    FakeElevation elevation_;
};

TEST_F(DlgUpgradeTest, AnAskedForDialogShowsTheBarToTheEndAndRestarts) {
    Serve();
    bool shown = false;
    int last_percent = -1;
    auto watch = WhenModalOpens<CDlgUpgrade>([&](CDlgUpgrade* open) {
        shown = open->isVisible();
        EXPECT_EQ(open->findChild<QProgressBar*>(QStringLiteral("1044"))->geometry(),
                  QRect(13, 34, 275, 22));
        QObject::connect(open, &QDialog::finished, [&, open] { last_percent = open->Percent(); });
    });
    EXPECT_EQ(RunDialog(UpdateSetupOfTheWorld()), Outcome::kRestart);
    EXPECT_TRUE(shown);
    EXPECT_EQ(last_percent, 100);
    EXPECT_TRUE(FilesInPlace());
}

TEST_F(DlgUpgradeTest, WithoutTheServersWishNothingIsEverVisible) {
    const std::string list = world_.Content() + std::string(update::kUpdaterPatchArea) +
                             std::string(update::kServerPatchListName);
    auto text = platform::ReadWholeFile(list);
    ASSERT_TRUE(text);
    text->erase(0, text->find('\n') + 1);  // the DlgView line
    std::ofstream(list, std::ios::binary | std::ios::trunc) << *text;
    Serve();
    bool ever_visible = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            ever_visible |= qobject_cast<CDlgUpgrade*>(window) != nullptr && window->isVisible();
        }
    });
    watch.start(1);
    EXPECT_EQ(RunDialog(UpdateSetupOfTheWorld()), Outcome::kRestart);
    EXPECT_FALSE(ever_visible);
    EXPECT_TRUE(FilesInPlace());
}

TEST_F(DlgUpgradeTest, AnUnreachableServerEndsWithItsMessage) {
    Serve();
    update::UpdateSetup setup = UpdateSetupOfTheWorld();
    setup.host = "127.0.0.1:1";
    QString caption;
    auto answer = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        Press(box, QStringLiteral("확인"));
    });
    EXPECT_EQ(RunDialog(setup), Outcome::kCancel);
    EXPECT_EQ(caption, QStringLiteral("패치정보 수신 실패"));
    EXPECT_FALSE(FilesInPlace());
}

TEST_F(DlgUpgradeTest, AFolderThatCannotBeWrittenRestartsWithMoreRights) {
    Serve();
    elevation_.may_write = false;
    QString text;
    auto answer = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        Press(box, QStringLiteral("확인"));
    });
    EXPECT_EQ(RunDialog(UpdateSetupOfTheWorld()), Outcome::kCancel);
    EXPECT_EQ(text, QStringLiteral("업데이트가 필요하여 실행 권한을 요청합니다."));
    ASSERT_EQ(elevation_.relaunched.size(), 1u);
    EXPECT_THAT(elevation_.relaunched[0], ::testing::HasSubstr("Mapvale"));
    EXPECT_FALSE(FilesInPlace());
}

TEST_F(DlgUpgradeTest, StoppingASlowUpdateAsksAndYesInstallsNothing) {
    server_ = std::make_unique<mapvale::testing::ServerProcess>(
        std::vector<std::string>{"serve", "--world", world_.folder, "--throttle", "200"});
    ASSERT_TRUE(server_->ok()) << server_->error();
    std::filesystem::copy(world_.ProgramFolder(), ProgramFolder(),
                          std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(std::string(std::getenv("MAPVALE_PROGRAM_DIR")) + "/ZipModule",
                               ProgramFolder() + "ZipModule");
    std::vector<QString> questions;
    QPointer<CDlgUpgrade> dialog;
    auto open = WhenModalOpens<CDlgUpgrade>([&](CDlgUpgrade* shown) {
        dialog = shown;
        // No: the update goes on.
        auto no = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            questions.push_back(box->text());
            Press(box, QStringLiteral("아니오"));
        });
        QTest::keyClick(shown, Qt::Key_Escape);
        EXPECT_FALSE(shown->Finished());
        auto yes = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            questions.push_back(box->text());
            Press(box, QStringLiteral("예"));
        });
        QTest::keyClick(shown, Qt::Key_Escape);
    });
    EXPECT_EQ(RunDialog(UpdateSetupOfTheWorld()), Outcome::kCancel);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_TRUE(questions[0].startsWith(QStringLiteral("업그레이드를 중지하시겠습니까?")));
    EXPECT_FALSE(FilesInPlace());
}

TEST_F(DlgUpgradeTest, TheBarFollowsKilobytesAndIgnoresAnEmptyTotal) {
    update::UpdateSetup setup;
    setup.program_folder = ProgramFolder();
    CDlgUpgrade dialog(setup, elevation_);
    dialog.Post(kMsgDownloadProgress, 3, 4);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.Percent(), 75);
    dialog.Post(kMsgDownloadProgress, 9, 0);  // nothing pending counted: no change, no crash
    dialog.Post(kMsgDownloadProgress, 9, 4);  // never beyond full
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.Percent(), 100);
}

}  // namespace
}  // namespace mapvale::ui::test
