// The install page's content list on real widgets: columns by the busy flag, rows by category,
// the painted colours and bars, only changed rows repainted, and check-box clicks reaching the
// controller.

#include "ui/list_class.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "controller/frame_fixture.h"

namespace mapvale::ui::test {
namespace {

FileEntry File(const char* name, const char* category, std::uint32_t bytes) {
    FileEntry file;
    file.file_name = name;
    file.category = category;
    file.archive_size = bytes / 2;
    file.file_size = bytes;
    file.version = 3;
    file.downloaded_version = 3;
    file.needs_download = 0;
    file.on_pc = 1;
    file.selected = 1;
    return file;
}

DeviceEntry Package() {
    DeviceEntry device;
    device.install_type = 2;
    device.files = {File("Nav.bin", "프로그램", 48 * 1024), File("Korea.map", "지도", 1025 * 1024),
                    File("<b>poi</b>.dat", "지도", 20 * 1024),
                    File("ThemeStyle_basic.bin", "지도색상(일반색상)", 4096)};
    return device;
}

QStringList Headers(const CListClass& list) {
    QStringList headers;
    for (int column = 0; column < list.model()->columnCount(); ++column) {
        headers << list.model()->headerData(column, Qt::Horizontal).toString();
    }
    return headers;
}

// COLORREF 0x00BBGGRR as Qt sees it.
QColor Ref(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

bool CellHolds(const QImage& image, const QRect& cell, const QColor& colour) {
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

class ListClassTest : public ::testing::Test {
protected:
    ListClassTest() {
        list.resize(785, 300);
        list.show();
    }
    // Rows of the model by name.
    int RowOf(const QString& name) const {
        for (int row = 0; row < list.rows().rowCount(); ++row) {
            if (list.rows().Row(row).name == name) {
                return row;
            }
        }
        return -1;
    }
    QImage Shot() { return list.viewport()->grab().toImage(); }
    QRect Cell(int row, int column) const {
        return list.visualRect(list.model()->index(row, column)).adjusted(1, 1, -2, -2);
    }

    CListClass list;
};

TEST_F(ListClassTest, ColumnsFollowTheBusyFlag) {
    DeviceEntry device = Package();
    list.Refresh(&device, nullptr);
    EXPECT_EQ(Headers(list), (QStringList{"", "파일명", "압축크기", "실제크기", "상태"}));
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(list.columnWidth(column), CListClass::kColumnWidths[column]);
    }
    device.busy = 1;
    list.Refresh(&device, nullptr);
    EXPECT_EQ(Headers(list),
              (QStringList{"", "파일명", "압축크기", "실제크기", "다운로드 상태", "복사 상태"}));
    EXPECT_EQ(list.columnWidth(5), 100);
    device.busy = 0;
    list.Refresh(&device, nullptr);
    EXPECT_EQ(list.model()->columnCount(), 5);
    list.Refresh(nullptr, nullptr);
    EXPECT_EQ(list.model()->rowCount(), 0);
}

TEST_F(ListClassTest, RowsByCategoryWithSumsAndPlainNames) {
    DeviceEntry device = Package();
    device.colour = 1;
    list.Refresh(&device, nullptr);
    ASSERT_EQ(list.model()->rowCount(), 7);  // three categories, four files
    const ContentListModel& rows = list.rows();
    EXPECT_TRUE(rows.Row(0).category);
    EXPECT_EQ(rows.Row(0).name, "프로그램");
    const int map = RowOf("지도");
    ASSERT_GE(map, 0);
    EXPECT_EQ(rows.Row(map).real_size, "1.0 MB");  // 1025 KB + 20 KB
    EXPECT_EQ(rows.Row(map + 1).real_size, "1.0 MB");
    EXPECT_EQ(rows.Row(map + 2).name, "<b>poi</b>.dat");
    EXPECT_TRUE(rows.Row(map + 2).last_in_group);
    EXPECT_EQ(rows.Row(map + 1).state.text, "최신");
    // The colour row follows the device's colour choice, whatever the file's own mark says.
    const int colour = RowOf("지도색상(일반색상)");
    device.files[3].selected = 0;
    list.Refresh(&device, nullptr);
    EXPECT_TRUE(rows.Row(colour).checked);
    device.colour = 2;
    list.Refresh(&device, nullptr);
    EXPECT_FALSE(rows.Row(colour).checked);
    // Camera data shows only the safe-driving rows' states.
    device.install_type = 200;
    list.Refresh(&device, nullptr);
    EXPECT_EQ(rows.Row(map + 1).state.text, "");
}

TEST_F(ListClassTest, AnotherCatalogueInTheSameDeviceRebuildsTheRows) {
    DeviceEntry device = Package();
    list.Refresh(&device, nullptr);
    const std::vector<FileEntry> other = {File("a.bin", "가", 1024), File("b.bin", "가", 1024),
                                          File("c.bin", "나", 1024), File("d.bin", "나", 1024)};
    device.files = other;  // same size: the storage stays
    list.Refresh(&device, nullptr);
    ASSERT_EQ(list.model()->rowCount(), 6);
    EXPECT_EQ(list.rows().Row(0).name, "가");
    EXPECT_EQ(list.rows().Row(1).name, "a.bin");
}

TEST_F(ListClassTest, OnlyChangedRowsAreRepainted) {
    DeviceEntry device = Package();
    device.busy = 1;
    for (FileEntry& file : device.files) {
        file.status = FileStatus::kToFetch;
    }
    list.Refresh(&device, nullptr);
    QSignalSpy changed(list.model(), &QAbstractItemModel::dataChanged);
    EXPECT_EQ(list.Refresh(&device, nullptr), 0);
    EXPECT_EQ(changed.count(), 0);

    // The last file of the first category starts downloading: its row and its category's.
    device.files[0].status = FileStatus::kDownloading;
    device.files[0].percent = 1;
    EXPECT_EQ(list.Refresh(&device, nullptr), 2);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 0);
    EXPECT_EQ(changed[0][1].value<QModelIndex>().row(), 1);
    // A new percent repaints the file's row alone.
    device.files[0].percent = 2;
    EXPECT_EQ(list.Refresh(&device, nullptr), 1);
    EXPECT_EQ(list.rows().Row(1).state.text, "2%");
}

TEST_F(ListClassTest, StateCellsPaintTheirColoursAndBars) {
    DeviceEntry device = Package();
    device.busy = 1;
    device.format_option = 1;
    device.files[0].status = FileStatus::kDownloading;  // 0 %: coloured cell, no bar
    device.files[1].status = FileStatus::kDownloading;
    device.files[1].percent = 50;
    device.files[2].status = FileStatus::kReconnecting;
    device.files[3].status = FileStatus::kCopying;
    device.files[3].percent = 30;
    list.Refresh(&device, nullptr);
    QCoreApplication::processEvents();
    const QImage image = Shot();
    const int map = RowOf("지도");
    const QRect preparing = Cell(1, ContentListModel::kState);
    EXPECT_TRUE(CellHolds(image, preparing, Ref(0x65AC94)));
    EXPECT_FALSE(CellHolds(image, preparing, Ref(0xE2C7C0)));
    const QRect half = Cell(map + 1, ContentListModel::kState);
    EXPECT_TRUE(CellHolds(image, half, Ref(0xE2C7C0)));
    EXPECT_TRUE(CellHolds(image, half, Ref(0x787A7C)));
    // The bar is filled up to the middle: its right end keeps the row's colour.
    EXPECT_FALSE(CellHolds(image, QRect(half.right() - 10, half.top() + 4, 4, 4), Ref(0xE2C7C0)));
    EXPECT_EQ(list.rows().Row(map + 2).state.text, "재시도 중");
    EXPECT_TRUE(CellHolds(image, Cell(map + 2, ContentListModel::kState), Ref(0x787A7C)));
    const int theme = RowOf("ThemeStyle_basic.bin");
    EXPECT_TRUE(CellHolds(image, Cell(theme, ContentListModel::kCopy), Ref(0x00B4BF)));
    EXPECT_TRUE(CellHolds(image, Cell(theme, ContentListModel::kCopy), Ref(0xE2C7C0)));
    // Rows alternate their colours.
    EXPECT_TRUE(CellHolds(image, Cell(0, ContentListModel::kZipSize), Ref(0xF8F8F8)));
    EXPECT_TRUE(CellHolds(image, Cell(1, ContentListModel::kZipSize), Ref(0xF0F0F0)));
}

TEST_F(ListClassTest, SelectedRowIsFilledAndFramed) {
    DeviceEntry device = Package();
    list.Refresh(&device, nullptr);
    list.selectRow(2);
    QCoreApplication::processEvents();
    const QImage image = Shot();
    const QRect cell = list.visualRect(list.model()->index(2, ContentListModel::kZipSize));
    EXPECT_TRUE(CellHolds(image, cell.adjusted(2, 2, -2, -2), Ref(0xFFC8C8)));
    EXPECT_TRUE(CellHolds(image, cell, Ref(0xFF9696)));
}

TEST_F(ListClassTest, TheCardChartShowsBesideTheColumnsOnlyWhileIdle) {
    const char* program_dir = std::getenv("MAPVALE_PROGRAM_DIR");
    ASSERT_NE(program_dir, nullptr);
    list.SetChartFolder(QString::fromLocal8Bit(program_dir) + QLatin1Char('/'));
    DeviceEntry device = Package();
    CardInfo card;
    card.capacity_kb = 4000;
    list.Refresh(&device, &card);
    auto* chart = list.findChild<QWidget*>(QStringLiteral("1015-pie"));
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    EXPECT_EQ(chart->x(), list.ColumnsWidth());
    EXPECT_EQ(list.ColumnsWidth(), 405);
    device.busy = 1;
    list.Refresh(&device, &card);
    EXPECT_FALSE(chart->isVisible());
    device.busy = 0;
    list.Refresh(&device, nullptr);
    EXPECT_TRUE(chart->isVisible());
    // A resize places it again, within the client area: a list too short for its rows keeps the
    // chart clear of its scroll bar, 10 pixels above the bottom.
    list.resize(600, 120);
    QCoreApplication::processEvents();
    ASSERT_TRUE(list.verticalScrollBar()->isVisible());
    const QRect view = list.viewport()->geometry();
    EXPECT_EQ(chart->x(), 405);
    EXPECT_EQ(chart->geometry().right(), view.right());
    EXPECT_LT(chart->geometry().right(), list.verticalScrollBar()->mapTo(&list, QPoint(0, 0)).x());
    EXPECT_EQ(chart->geometry().bottom(), view.bottom() - 10);
}

// Check boxes over a real controller: clicks count only for the custom install.
class ListClassFrameTest : public controller::test::FrameTest {};

TEST_F(ListClassFrameTest, CheckBoxClicksReachTheController) {
    InsertCard('E', "1G");
    controller::CMainFrame& frame = StartedFrame();
    Pump();
    frame.ToggleMainScreen(true);
    frame.SelectDevice(Device("HX100"));
    frame.ChooseCard('E');
    frame.SetFormatOption(true);
    DeviceEntry& device = *frame.state().selected_device;

    CListClass list;
    list.resize(785, 400);
    list.show();
    QObject::connect(&list, &CListClass::CheckClicked, [&](int index) {
        frame.ClickCheckMark(static_cast<std::size_t>(index));
        list.Refresh(frame.state().selected_device, frame.state().SelectedCard());
    });
    list.Refresh(&device, frame.state().SelectedCard());
    ASSERT_GT(list.model()->rowCount(), 1);
    ASSERT_FALSE(list.rows().Row(1).category);
    const std::size_t file = list.rows().Row(1).file_index;
    const auto click = [&](int row) {
        const QRect cell = list.visualRect(list.model()->index(row, ContentListModel::kName));
        const bool category = list.rows().Row(row).category;
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          ContentListDelegate::CheckBoxRect(cell, category).center());
    };

    const std::int32_t before = device.files[file].selected;
    click(1);
    EXPECT_EQ(device.files[file].selected, before);  // not a custom install

    frame.SetInstallType(100);
    list.Refresh(&device, frame.state().SelectedCard());
    ASSERT_TRUE(list.rows().Row(1).checked);
    click(1);
    EXPECT_EQ(device.files[file].selected, 0);
    EXPECT_FALSE(list.rows().Row(1).checked);
    EXPECT_FALSE(list.rows().Row(0).checked);  // the category is no longer all checked
    QSignalSpy clicks(&list, &CListClass::CheckClicked);
    click(0);  // category rows take no clicks
    EXPECT_EQ(clicks.count(), 0);
}

}  // namespace
}  // namespace mapvale::ui::test
