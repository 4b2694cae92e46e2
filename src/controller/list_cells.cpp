#include "controller/list_cells.h"

#include <algorithm>
#include <cstdio>

#include "controller/install_rules.h"

namespace mapvale::controller {

namespace {

namespace c = list_colours;

constexpr std::string_view kSafeDrivingCategory = "안전운행";

CellLook Plain(std::string text, std::uint32_t colour) {
    return CellLook{std::move(text), colour, std::nullopt, -1};
}

std::string PercentText(int percent) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", percent);
    return text;
}

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

bool IsDownloading(FileStatus status) {
    return status == FileStatus::kDownloading || status == FileStatus::kJoining ||
           status == FileStatus::kUnpacking || status == FileStatus::kReconnecting;
}

bool DownloadDone(FileStatus status) {
    return status == FileStatus::kDownloaded || status == FileStatus::kCopying ||
           status == FileStatus::kOnCard;
}

bool CopyDone(const FileEntry& file, bool format_on) {
    return file.status == FileStatus::kOnCard || (!format_on && file.card_version == file.version);
}

bool Newest(const FileEntry& file) {
    return file.needs_download == 0 && file.downloaded_version == file.version;
}

}  // namespace

CellLook IdleFileCell(const FileEntry& file) {
    CellLook look = Newest(file) ? Plain("최신", c::kNewest) : Plain("구버전", c::kText);
    if (file.partial == 1) {
        look = Plain("다운받던 중", c::kText);
    }
    if (file.on_pc == 0) {
        look = Plain("없음", c::kText);
    }
    return look;
}

CellLook DownloadFileCell(const FileEntry& file) {
    const FileStatus status = file.status;
    const int percent = file.percent;
    CellLook look;
    switch (status) {
        case FileStatus::kNotInJob:
            look = Plain("미설치", c::kNotInstalled);
            break;
        case FileStatus::kToFetch:
            look = Plain("대기", c::kWaiting);
            break;
        case FileStatus::kDownloading:
        case FileStatus::kReconnecting:
            look = Plain("다운로드 준비중", c::kWorking);
            break;
        case FileStatus::kJoining:
        case FileStatus::kUnpacking:
            look = Plain("압축 푸는중", c::kWorking);
            break;
        case FileStatus::kDownloaded:
        case FileStatus::kCopying:
            look = Plain("완료", c::kDone);
            break;
        case FileStatus::kOnCard:
            look = Plain(file.downloaded_version != file.version ? "없음" : "완료", c::kDone);
            break;
    }
    const bool downloading = status == FileStatus::kDownloading;
    const bool retrying = status == FileStatus::kReconnecting;
    if ((downloading && InRange(percent, 0, 100)) || retrying) {
        look.background = c::kDownloadCell;
    }
    if ((downloading && InRange(percent, 1, 100)) || retrying) {
        look.bar_percent = std::clamp(percent, 0, 100);
        look.text = retrying ? "재시도 중" : PercentText(percent);
    }
    return look;
}

CellLook CopyFileCell(const FileEntry& file, bool format_on) {
    const FileStatus status = file.status;
    CellLook look;
    if (status == FileStatus::kNotInJob) {
        look = Plain("미설치", c::kNotInstalled);
    } else if (status == FileStatus::kCopying) {
        look = Plain("복사 준비중", c::kWorking);
    } else if (status == FileStatus::kOnCard) {
        look = Plain("완료", c::kDone);
    } else {
        look = Plain("대기", c::kWaiting);
    }
    if (!format_on && file.card_version == file.version) {
        look = Plain("완료", c::kDone);
    }
    const int percent = file.percent;
    if (look.text != "완료" && status == FileStatus::kCopying) {
        if (InRange(percent, 0, 100)) {
            look.background = c::kCopyCell;
        }
        if (InRange(percent, 1, 100)) {
            look.bar_percent = percent;
            look.text = PercentText(percent);
        }
    }
    return look;
}

bool RowShowsState(const DeviceEntry& device, const FileEntry& file) {
    return device.install_type != kInstallCameraOnly || file.category == kSafeDrivingCategory;
}

CellLook IdleCategoryCell(std::span<const FileEntry* const> files) {
    const bool any_in_job = std::any_of(files.begin(), files.end(), [](const FileEntry* file) {
        return file->status != FileStatus::kNotInJob;
    });
    if (!any_in_job) {
        return Plain("미설치", c::kNotInstalled);
    }
    const bool all_newest = std::all_of(files.begin(), files.end(), [](const FileEntry* file) {
        return file->status == FileStatus::kNotInJob || IdleFileCell(*file).text == "최신";
    });
    return all_newest ? Plain("최신", c::kNewest) : Plain("대기중", c::kWaiting);
}

CellLook DownloadCategoryCell(std::span<const FileEntry* const> files) {
    bool any_in_job = false;
    bool any_downloading = false;
    bool all_done = true;
    for (const FileEntry* file : files) {
        const FileStatus status = file->status;
        if (status == FileStatus::kNotInJob) {
            continue;
        }
        any_in_job = true;
        any_downloading = any_downloading || IsDownloading(status);
        all_done = all_done && DownloadDone(status);
    }
    if (!any_in_job) {
        return Plain("미설치", c::kNotInstalled);
    }
    if (any_downloading) {
        return Plain("다운로드 중..", c::kWorking);
    }
    return all_done ? Plain("완료", c::kDone) : Plain("대기중", c::kWaiting);
}

CellLook CopyCategoryCell(std::span<const FileEntry* const> files, bool format_on) {
    bool any_in_job = false;
    bool any_copying = false;
    bool all_done = true;
    for (const FileEntry* file : files) {
        const FileStatus status = file->status;
        if (status == FileStatus::kNotInJob) {
            continue;
        }
        any_in_job = true;
        any_copying = any_copying || status == FileStatus::kCopying;
        all_done = all_done && CopyDone(*file, format_on);
    }
    if (!any_in_job) {
        return Plain("미설치", c::kNotInstalled);
    }
    if (any_copying) {
        return Plain("복사 중..", c::kWorking);
    }
    return all_done ? Plain("완료", c::kDone) : Plain("대기", c::kWaiting);
}

}  // namespace mapvale::controller
