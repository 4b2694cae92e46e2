// The front end's icon, menu and timers on real Qt objects: what reaches the agent as messages.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <vector>

#include "model/messages.h"
#include "platform/message_queue.h"
#include "tray/qt/c_tray_icon.h"
#include "tray/qt/qt_tray_ui.h"
#include "tray/qt/tray_message_pump.h"
#include "tray/tray_constants.h"
#include "ui/wait_for.h"

namespace mapvale::tray {
namespace {

using mapvale::testing::WaitFor;
using platform::Message;

class TrayFrontEndTest : public ::testing::Test {
protected:
    TrayFrontEndTest() {
        QtTrayUi::Hooks hooks;
        hooks.deliver = [this](std::uint32_t message, platform::WParam w, platform::LParam l) {
            delivered.push_back({message, w, l});
            if (on_deliver) {
                on_deliver(delivered.back());
            }
        };
        hooks.quit = [this] { ++quits; };
        ui = std::make_unique<QtTrayUi>(std::move(hooks));
    }

    std::size_t Count(const Message& wanted) const {
        return static_cast<std::size_t>(std::count(delivered.begin(), delivered.end(), wanted));
    }

    std::vector<Message> delivered;
    std::function<void(const Message&)> on_deliver;
    int quits = 0;
    std::unique_ptr<QtTrayUi> ui;
};

TEST_F(TrayFrontEndTest, TheMenuHoldsItsItemsDefaultFirstAndSendsTheirCommands) {
    ui->AddTrayIcon(kTrayTip);
    EXPECT_EQ(ui->tray_icon().icon().toolTip(), QStringLiteral("Orvin Dalmar Waymark+"));
    // No picture yet: nothing shows, an empty slot would.
    EXPECT_FALSE(ui->tray_icon().icon().isVisible());
    ui->SetTrayIcon(kTrayIconResource);
    EXPECT_FALSE(ui->tray_icon().icon().icon().isNull());
    EXPECT_TRUE(ui->tray_icon().icon().isVisible());

    QMenu* menu = ui->tray_icon().menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("트레이"));
    std::vector<QString> items;
    for (QAction* action : menu->actions()) {
        items.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(items, (std::vector<QString>{QStringLiteral("Orvin Dalmar Waymark+ 실행 (&S)"),
                                           QStringLiteral("버전 정보"), QStringLiteral("-"),
                                           QStringLiteral("종료 (&X)")}));
    ASSERT_NE(menu->defaultAction(), nullptr);
    EXPECT_EQ(menu->defaultAction(), menu->actions().front());
    QMenu* version = menu->actions()[1]->menu();
    ASSERT_NE(version, nullptr);
    ASSERT_EQ(version->actions().size(), 1);
    EXPECT_EQ(version->actions()[0]->text(), QStringLiteral("Version 1.0.0.0"));

    for (const int id : {kCommandStartUpdater, kCommandVersion, kCommandExit}) {
        auto* action = menu->findChild<QAction*>(QString::number(id));
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }
    EXPECT_EQ(delivered, (std::vector<Message>{{kWmCommand, kCommandStartUpdater, 0},
                                               {kWmCommand, kCommandVersion, 0},
                                               {kWmCommand, kCommandExit, 0}}));

    // Only the double-click means "start"; the agent learns of the right button too.
    delivered.clear();
    emit ui->tray_icon().icon().activated(QSystemTrayIcon::Trigger);
    emit ui->tray_icon().icon().activated(QSystemTrayIcon::DoubleClick);
    emit ui->tray_icon().icon().activated(QSystemTrayIcon::Context);
    EXPECT_EQ(delivered, (std::vector<Message>{{kMsgTrayNotify, kTrayIconId, kWmLButtonDblClk},
                                               {kMsgTrayNotify, kTrayIconId, kWmRButtonUp}}));

    ui->RemoveTrayIcon();
    EXPECT_FALSE(ui->tray_icon().icon().isVisible());
}

TEST_F(TrayFrontEndTest, TimersTickAsMessagesUntilKilledEvenFromTheirOwnTick) {
    ui->SetTimer(400, 5);
    ui->SetTimer(100, 5);
    EXPECT_EQ(ui->TimerPeriods().value(400), 5);
    // The daily timer kills itself from inside its tick, as the agent does.
    on_deliver = [this](const Message& message) {
        if (message == Message{kWmTimer, 400, 0}) {
            ui->KillTimer(400);
        }
    };
    ASSERT_TRUE(WaitFor([&] { return Count({kWmTimer, 100, 0}) >= 3; }));
    EXPECT_EQ(Count({kWmTimer, 400, 0}), 1u);
    EXPECT_FALSE(ui->TimerPeriods().contains(400));

    // Set again, it ticks with its new period; the program's end stops every timer.
    ui->SetTimer(400, 7);
    EXPECT_EQ(ui->TimerPeriods().value(400), 7);
    ASSERT_TRUE(WaitFor([&] { return Count({kWmTimer, 400, 0}) >= 2; }));
    ui->Quit();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(ui->TimerPeriods().isEmpty());
}

TEST_F(TrayFrontEndTest, ThePumpHandsOverPostsFromOtherThreadsInOrder) {
    TrayMessagePump pump;
    std::vector<Message> handed;
    pump.Post(kWmClose, 1, 0);  // before a handler: kept
    std::thread worker([&pump] {
        for (int i = 2; i <= 200; ++i) {
            pump.Post(kWmClose, static_cast<platform::WParam>(i), -i);
        }
    });
    pump.SetHandler([&handed](const Message& message) { handed.push_back(message); });
    worker.join();
    ASSERT_TRUE(WaitFor([&] { return handed.size() == 200; }));
    for (std::size_t i = 0; i < handed.size(); ++i) {
        EXPECT_EQ(handed[i].w_param, i + 1);
    }
}

}  // namespace
}  // namespace mapvale::tray
