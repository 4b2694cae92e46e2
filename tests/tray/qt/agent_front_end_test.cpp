// The real agent behind the Qt front end: a card's finding reaches the popup through the drive
// watcher's thread and the pump, the popup's OK button starts the updater, the menu ends it all.
#include <QAction>
#include <QMenu>
#include <QTest>

#include "tray/qt/c_tray_icon.h"
#include "tray/qt/qt_tray_ui.h"
#include "tray/qt/tray_message_pump.h"
#include "tray/qt/ver_chk_window.h"
#include "tray/tray_fixture.h"
#include "ui/skin/image_button.h"
#include "ui/wait_for.h"

namespace mapvale::tray::test {
namespace {

using mapvale::testing::WaitFor;

class AgentFrontEndTest : public TrayTest {};

TEST_F(AgentFrontEndTest, ACardsFindingShowsInThePopupAndTheMenuEndsTheAgent) {
    Serve();
    SetNotificationMode(1);
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 0)}});

    TrayMessagePump pump;
    std::unique_ptr<TSKN_CRozavIzivDlg> agent;
    const auto deliver = [&agent](std::uint32_t message, platform::WParam w, platform::LParam l) {
        if (agent) {
            agent->HandleMessage(message, w, l);
        }
    };
    int quits = 0;
    QtTrayUi::Hooks hooks;
    hooks.deliver = deliver;
    hooks.start_updater = [&agent](int mode) { agent->StartUpdater(mode); };
    hooks.quit = [&quits] { ++quits; };
    QtTrayUi ui(std::move(hooks));
    ui.SetPopupSlideDurations(0, 0);

    std::filesystem::create_directories(box_.Path("locks"));
    TSKN_CRozavIzivApp application(Services());
    ASSERT_TRUE(application.InitInstance(pump));
    agent = std::make_unique<TSKN_CRozavIzivDlg>(ui, pump, Services(), application.restart_flag());
    agent->OnInitDialog();
    pump.SetHandler([&deliver](const platform::Message& message) {
        deliver(message.message, message.w_param, message.l_param);
    });
    EXPECT_EQ(ui.TimerPeriods(), (QHash<int, int>{{kTimerUpdaterAppeared, 10'000},
                                                  {kTimerUpdaterGone, 1'000},
                                                  {kTimerHour, 3'600'000},
                                                  {kTimerDailyWork, 3'600'000}}));
    EXPECT_EQ(ui.tray_icon().icon().toolTip(), QStringLiteral("Orvin Dalmar Waymark+"));

    // The card present at start: its record says the last install did not complete.
    ASSERT_TRUE(WaitFor([&] { return ui.popup() != nullptr && ui.popup()->isVisible(); }, 20000));
    VerChkWindow& popup = *ui.popup();
    EXPECT_EQ(popup.Type(), kPopupNeedsUpdate);
    EXPECT_EQ(popup.Text(), QStringLiteral("업데이트가 필요합니다."));
    EXPECT_EQ(popup.Mode(), 1);

    auto* ok = popup.findChild<ui::CImageButton*>(QStringLiteral("1006"));
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
    ASSERT_EQ(launcher_.requests().size(), 1u);
    EXPECT_EQ(launcher_.requests()[0].program, ProgramFolder() + "Mapvale");
    EXPECT_EQ(launcher_.requests()[0].arguments, std::vector<std::string>{"-SYSTRAY"});

    // "종료 (&X)": the icon goes, the timers stop, the main loop is left.
    auto* exit = ui.tray_icon().menu()->findChild<QAction*>(QString::number(kCommandExit));
    ASSERT_NE(exit, nullptr);
    exit->trigger();
    EXPECT_TRUE(agent->closed());
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(ui.tray_icon().icon().isVisible());
    EXPECT_TRUE(ui.TimerPeriods().isEmpty());
    pump.SetHandler({});
    agent.reset();
}

}  // namespace
}  // namespace mapvale::tray::test
