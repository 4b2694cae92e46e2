// The version popup on real widgets: its texts, its place above the panel, its buttons and a
// report that comes while it is shown.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <vector>

#include "tray/popup_text.h"
#include "tray/qt/qt_tray_ui.h"
#include "tray/qt/ver_chk_window.h"
#include "ui/skin/image_button.h"
#include "ui/skin/skin_fonts.h"
#include "ui/wait_for.h"

namespace mapvale::tray {
namespace {

using mapvale::testing::WaitFor;

class VersionPopupTest : public ::testing::Test {
protected:
    VersionPopupTest() {
        QtTrayUi::Hooks hooks;
        hooks.start_updater = [this](int mode) { starts.push_back(mode); };
        ui = std::make_unique<QtTrayUi>(std::move(hooks));
        // Quick slides; the shown time stays the real one, so only the buttons hide it here.
        ui->SetPopupSlideDurations(30, 30);
    }

    VerChkWindow& Show(int type, int mode = 1) {
        ui->ShowPopup(type, PopupText(type), mode);
        VerChkWindow* popup = ui->popup();
        EXPECT_NE(popup, nullptr);
        return *popup;
    }
    static bool SlidIn(const VerChkWindow& popup) {
        return popup.isVisible() && !popup.Sliding() && popup.pos() == popup.FinalPosition();
    }
    static void Click(VerChkWindow& popup, int id) {
        auto* button = popup.findChild<ui::CImageButton*>(QString::number(id));
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    std::vector<int> starts;
    std::unique_ptr<QtTrayUi> ui;
};

TEST_F(VersionPopupTest, EachTypeShowsItsWholeTextAboveThePanelsCorner) {
    const std::vector<std::pair<int, QString>> expected = {
        {1, QStringLiteral("업데이트가 필요합니다.")},
        {2, QStringLiteral("최신 버전입니다.")},
        {4, QStringLiteral("서버 접속이 원활하지 않습니다. \n잠시 후에 시도해 주세요.")},
        {5, QStringLiteral("정기 업데이트 중입니다. 잠시 후에 시도해 주세요.")},
    };
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    // Slides that end at once, as a busy machine may see them: each still ends fully shown.
    ui->SetPopupSlideDurations(0, 0);
    for (const auto& [type, text] : expected) {
        VerChkWindow& popup = Show(type);
        EXPECT_EQ(popup.Type(), type);
        EXPECT_EQ(popup.Text(), text);
        ASSERT_TRUE(WaitFor([&] { return SlidIn(popup); })) << type;
        EXPECT_EQ(popup.size(), QSize(220, 134));
        EXPECT_EQ(popup.mask().boundingRect(), popup.rect()) << type;
        // Its corner touches the free area's corner.
        EXPECT_EQ(popup.geometry().bottomRight(), available.bottomRight()) << type;

        // The text fits its rectangle in the popup's bold 13-pixel font, and no button covers it.
        const QRect needed =
            QFontMetrics(ui::SkinFont(13, 700))
                .boundingRect(popup.TextRect(), Qt::AlignCenter | Qt::TextWordWrap, popup.Text());
        EXPECT_TRUE(popup.TextRect().contains(needed)) << type;
        for (const int id : {1005, 1006, 1007}) {
            auto* button = popup.findChild<ui::CImageButton*>(QString::number(id));
            ASSERT_NE(button, nullptr);
            EXPECT_TRUE(popup.rect().contains(button->geometry())) << id;
            EXPECT_FALSE(button->geometry().intersects(needed)) << id;
        }
    }
}

TEST_F(VersionPopupTest, ButtonsHideItOrStartTheUpdaterWithTheTypeAsMode) {
    // OK starts the updater and leaves the popup to its timer.
    VerChkWindow& popup = Show(kPopupLatest);
    ASSERT_TRUE(WaitFor([&] { return SlidIn(popup); }));
    Click(popup, 1006);
    EXPECT_EQ(starts, std::vector<int>{2});
    EXPECT_TRUE(popup.isVisible());
    EXPECT_TRUE(popup.HideTimer().isActive());

    // The small close button hides it almost at once.
    Click(popup, 1005);
    ASSERT_TRUE(WaitFor([&] { return !popup.isVisible(); }));

    Show(kPopupNeedsUpdate);
    ASSERT_TRUE(WaitFor([&] { return SlidIn(popup); }));
    Click(popup, 1006);
    EXPECT_EQ(starts, (std::vector<int>{2, 1}));
    // Close hides it and stops its timer.
    Click(popup, 1007);
    EXPECT_FALSE(popup.HideTimer().isActive());
    ASSERT_TRUE(WaitFor([&] { return !popup.isVisible(); }));
    EXPECT_EQ(starts.size(), 2u);
}

TEST_F(VersionPopupTest, AReportWhileItIsShownOrHidingRefillsAndRestartsIt) {
    VerChkWindow& popup = Show(kPopupNeedsUpdate);
    ASSERT_TRUE(WaitFor([&] { return SlidIn(popup); }));

    // Another card while it is shown: the new text, and it slides in again.
    ui->ShowPopup(kPopupMaintenance, PopupText(kPopupMaintenance), 3);
    EXPECT_EQ(ui->popup(), &popup);  // made once
    EXPECT_EQ(popup.Type(), kPopupMaintenance);
    EXPECT_EQ(popup.Mode(), 3);
    EXPECT_EQ(popup.Text(), QStringLiteral("정기 업데이트 중입니다. 잠시 후에 시도해 주세요."));
    EXPECT_TRUE(popup.HideTimer().isActive());
    ASSERT_TRUE(WaitFor([&] { return SlidIn(popup); }));

    // A report while it slides away brings it back and keeps it.
    ui->SetPopupSlideDurations(30, 60'000);
    Click(popup, 1007);
    ASSERT_TRUE(WaitFor([&] { return popup.pos().y() > popup.FinalPosition().y(); }));
    ui->ShowPopup(kPopupLatest, PopupText(kPopupLatest), 1);
    ASSERT_TRUE(WaitFor([&] { return SlidIn(popup); }));
    EXPECT_EQ(popup.Type(), kPopupLatest);
    EXPECT_TRUE(popup.HideTimer().isActive());
}

}  // namespace
}  // namespace mapvale::tray
