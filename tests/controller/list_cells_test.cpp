// The content list's texts: sizes, each file's state cell before and during a job, and the
// summaries of the category rows.

#include "controller/list_cells.h"

#include <gtest/gtest.h>

#include <vector>

#include "controller/size_text.h"

namespace mapvale::controller {
namespace {

namespace c = list_colours;

FileEntry File(FileStatus status, int percent = 0) {
    FileEntry file;
    file.file_name = "korea.map";
    file.version = 7;
    file.downloaded_version = 7;
    file.needs_download = 0;
    file.on_pc = 1;
    file.status = status;
    file.percent = percent;
    return file;
}

TEST(SizeTextTest, UnitsStepAboveNotAt1024) {
    EXPECT_EQ(SizeText(0), "0");
    EXPECT_EQ(SizeText(1023), "0");
    EXPECT_EQ(SizeText(1024), "1.0 KB");
    EXPECT_EQ(SizeText(1023ull * 1024), "1023.0 KB");
    EXPECT_EQ(SizeText(1024ull * 1024), "1024.0 KB");
    EXPECT_EQ(SizeText(1025ull * 1024), "1.0 MB");
    EXPECT_EQ(SizeText(1536ull * 1024 * 1024), "1.5 GB");
    EXPECT_EQ(SizeText(3ull * 1024 * 1024 * 1024 * 1024), "3.0 TB");
    // T is the last unit: a size beyond 1024 TB stays in TB.
    EXPECT_EQ(SizeText(2048ull * 1024 * 1024 * 1024 * 1024), "2048.0 TB");
}

TEST(ListCellsTest, IdleStateLaterRulesWin) {
    FileEntry file = File(FileStatus::kNotInJob);
    EXPECT_EQ(IdleFileCell(file), (CellLook{"최신", c::kNewest, std::nullopt, -1}));
    file.downloaded_version = 6;
    EXPECT_EQ(IdleFileCell(file).text, "구버전");
    file.downloaded_version = 7;
    file.needs_download = 1;
    EXPECT_EQ(IdleFileCell(file).text, "구버전");
    file.partial = 1;
    EXPECT_EQ(IdleFileCell(file).text, "다운받던 중");
    file.on_pc = 0;
    EXPECT_EQ(IdleFileCell(file).text, "없음");
}

TEST(ListCellsTest, DownloadStateByStatus) {
    const std::pair<FileStatus, CellLook> cases[] = {
        {FileStatus::kNotInJob, {"미설치", c::kNotInstalled, std::nullopt, -1}},
        {FileStatus::kToFetch, {"대기", c::kWaiting, std::nullopt, -1}},
        {FileStatus::kJoining, {"압축 푸는중", c::kWorking, std::nullopt, -1}},
        {FileStatus::kUnpacking, {"압축 푸는중", c::kWorking, std::nullopt, -1}},
        {FileStatus::kDownloaded, {"완료", c::kDone, std::nullopt, -1}},
        {FileStatus::kCopying, {"완료", c::kDone, std::nullopt, -1}},
        {FileStatus::kOnCard, {"완료", c::kDone, std::nullopt, -1}},
    };
    for (const auto& [status, look] : cases) {
        EXPECT_EQ(DownloadFileCell(File(status)), look) << static_cast<int>(status);
    }
    // Dark red is 0x0000BF in COLORREF order (blue in the high byte).
    EXPECT_EQ(c::kWorking & 0xFF, 0xBFu);
    FileEntry other_version = File(FileStatus::kOnCard);
    other_version.downloaded_version = 6;
    EXPECT_EQ(DownloadFileCell(other_version).text, "없음");
}

TEST(ListCellsTest, DownloadBarFromOnePercentAndWhileRetrying) {
    EXPECT_EQ(DownloadFileCell(File(FileStatus::kDownloading, 0)),
              (CellLook{"다운로드 준비중", c::kWorking, c::kDownloadCell, -1}));
    EXPECT_EQ(DownloadFileCell(File(FileStatus::kDownloading, 1)),
              (CellLook{"1%", c::kWorking, c::kDownloadCell, 1}));
    EXPECT_EQ(DownloadFileCell(File(FileStatus::kDownloading, 100)).text, "100%");
    // Out of range: no colour, no bar.
    EXPECT_EQ(DownloadFileCell(File(FileStatus::kDownloading, 101)),
              (CellLook{"다운로드 준비중", c::kWorking, std::nullopt, -1}));
    for (const int percent : {0, 55, 250}) {
        const CellLook look = DownloadFileCell(File(FileStatus::kReconnecting, percent));
        EXPECT_EQ(look.text, "재시도 중");
        EXPECT_TRUE(look.has_bar());
        EXPECT_LE(look.bar_percent, 100);
        EXPECT_EQ(look.background, c::kDownloadCell);
    }
}

TEST(ListCellsTest, CopyStateAndBar) {
    EXPECT_EQ(CopyFileCell(File(FileStatus::kNotInJob), true).text, "미설치");
    for (const FileStatus waiting : {FileStatus::kToFetch, FileStatus::kDownloading,
                                     FileStatus::kUnpacking, FileStatus::kDownloaded}) {
        EXPECT_EQ(CopyFileCell(File(waiting), true), (CellLook{"대기", c::kWaiting, {}, -1}));
    }
    EXPECT_EQ(CopyFileCell(File(FileStatus::kCopying, 0), true),
              (CellLook{"복사 준비중", c::kWorking, c::kCopyCell, -1}));
    EXPECT_EQ(CopyFileCell(File(FileStatus::kCopying, 42), true),
              (CellLook{"42%", c::kWorking, c::kCopyCell, 42}));
    EXPECT_EQ(CopyFileCell(File(FileStatus::kOnCard), true).text, "완료");
    // The card already holds this version: done with the format off, waiting with it on.
    FileEntry on_card = File(FileStatus::kToFetch);
    on_card.card_version = 7;
    EXPECT_EQ(CopyFileCell(on_card, false), (CellLook{"완료", c::kDone, {}, -1}));
    EXPECT_EQ(CopyFileCell(on_card, true).text, "대기");
}

TEST(ListCellsTest, CameraDataShowsOnlySafeDrivingRows) {
    DeviceEntry device;
    FileEntry camera = File(FileStatus::kToFetch);
    camera.category = "안전운행";
    FileEntry map = File(FileStatus::kToFetch);
    map.category = "지도";
    EXPECT_TRUE(RowShowsState(device, map));
    device.install_type = 200;
    EXPECT_TRUE(RowShowsState(device, camera));
    EXPECT_FALSE(RowShowsState(device, map));
}

TEST(ListCellsTest, CategorySummaries) {
    std::vector<FileEntry> files = {File(FileStatus::kNotInJob), File(FileStatus::kNotInJob)};
    const auto pointers = [&] { return std::vector<const FileEntry*>{&files[0], &files[1]}; };
    EXPECT_EQ(DownloadCategoryCell(pointers()).text, "미설치");
    EXPECT_EQ(CopyCategoryCell(pointers(), true).text, "미설치");
    EXPECT_EQ(IdleCategoryCell(pointers()).text, "미설치");

    files[0].status = FileStatus::kToFetch;
    files[0].needs_download = 1;
    EXPECT_EQ(IdleCategoryCell(pointers()).text, "대기중");
    EXPECT_EQ(DownloadCategoryCell(pointers()).text, "대기중");
    EXPECT_EQ(CopyCategoryCell(pointers(), true).text, "대기");

    files[1].status = FileStatus::kReconnecting;
    EXPECT_EQ(DownloadCategoryCell(pointers()).text, "다운로드 중..");
    files[0].status = FileStatus::kCopying;
    files[1].status = FileStatus::kDownloaded;
    EXPECT_EQ(DownloadCategoryCell(pointers()).text, "완료");
    EXPECT_EQ(CopyCategoryCell(pointers(), true).text, "복사 중..");
    files[0].status = FileStatus::kOnCard;
    EXPECT_EQ(CopyCategoryCell(pointers(), true).text, "대기");
    files[1].status = FileStatus::kOnCard;
    EXPECT_EQ(CopyCategoryCell(pointers(), true).text, "완료");

    // Outside a job: newest when every file in it is newest on the PC.
    files[0] = File(FileStatus::kDownloaded);
    files[1] = File(FileStatus::kNotInJob);
    EXPECT_EQ(IdleCategoryCell(pointers()), (CellLook{"최신", c::kNewest, {}, -1}));
}

}  // namespace
}  // namespace mapvale::controller
