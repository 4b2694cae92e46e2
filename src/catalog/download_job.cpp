#include "catalog/download_job.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <system_error>

#include "catalog/download_space.h"
#include "catalog/entry_paths.h"
#include "catalog/file_selection.h"
#include "catalog/unpacker_run.h"
#include "catalog/version_file.h"
#include "catalog/volume_set.h"
#include "model/messages.h"
#include "net/sign_in.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace {

// A file that is a self-extracting program after its own archive is unpacked.
constexpr std::string_view kOvmProgram = "ovm.exe";
constexpr std::array<std::string_view, 4> kFolderParts = {"HTML.exe", "IMAGE.exe", "SPOT.exe",
                                                          "MAP.exe"};

bool IsFolderPart(std::string_view file_name) {
    return std::find(kFolderParts.begin(), kFolderParts.end(), file_name) != kFolderParts.end();
}

// An archive name is one name in the entry's folder: no separator, nothing that climbs out.
bool IsPlainName(std::string_view name) {
    const auto relative = platform::SafeRelativePath(name);
    return relative && *relative == name && relative->find('/') == std::string::npos;
}

bool SkippedByRun(FileStatus status) {
    return status == FileStatus::kNotInJob || status == FileStatus::kDownloaded ||
           status == FileStatus::kCopying || status == FileStatus::kOnCard;
}

std::string SpanUrl(std::string_view folder_url, std::string_view span_name) {
    std::string url = std::string(folder_url) + "/" + std::string(span_name);
    std::replace(url.begin(), url.end(), '\\', '/');
    return url;
}

}  // namespace

struct CDownloadJob::FileOutcome {
    enum class Kind { kDone, kCancelled, kFailed };
    Kind kind = Kind::kDone;
    std::int64_t code = 0;  // failure code of kFailed

    static FileOutcome Done() { return {}; }
    static FileOutcome Cancelled() { return {Kind::kCancelled, 0}; }
    static FileOutcome Failed(std::int64_t failure) { return {Kind::kFailed, failure}; }
};

CDownloadJob::CDownloadJob(DownloadJobServices services) : services_(services) {
    web_.SetSleeper(services_.sleeper);
    web_.SetClock(services_.clock);
    web_.SetProgressWindow(&progress_);
}

CDownloadJob::~CDownloadJob() {
    Cancel();
}

bool CDownloadJob::SetUp(const DownloadJobSetup& setup) {
    if (running()) {
        return false;
    }
    owner_ = setup.owner;
    progress_.SetTarget(owner_);
    download_folder_ = platform::NormalizePath(setup.download_folder);
    program_folder_ = setup.program_folder;
    device_ = setup.device;
    servers_ = setup.servers;
    file_done_ = setup.file_done;
    package_name_ = device_ != nullptr ? device_->model_name : std::string();
    return true;
}

int CDownloadJob::Start() {
    if (worker_.joinable()) {
        if (running()) {
            return 0;
        }
        worker_.join();
    }
    if (device_ == nullptr) {
        return 0;
    }
    if (!HasRoomForDownload(*device_, download_folder_, *services_.volumes, *services_.sleeper)) {
        Post(kMsgJobError, kNoDiskSpace, 0);
        return 0;
    }
    if (device_->registered == 0) {
        return 0;
    }
    // A package with entries that had to be left out cannot be installed whole: it must fail
    // here rather than end as a complete install that lacks them.
    if (!device_->refused_entries.empty()) {
        for (const std::string& name : device_->refused_entries) {
            std::fprintf(stderr, "package %s: entry \"%s\" refused: its name leaves its folder\n",
                         device_->model_name.c_str(), name.c_str());
        }
        Post(kMsgJobError, kDownloadFailed, kFailBrokenEntry);
        return 0;
    }
    SelectFiles(*device_, download_folder_);

    cancel_.store(false);
    web_.ClearCancel();
    wake_.Reset();
    finished_.Reset();
    package_bytes_ = 0;
    file_bytes_ = 0;
    completed_spans_ = 0;
    completed_files_ = 0;
    running_.store(true);
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // The job was announced as started; only a message ends it on the controller's side.
        running_.store(false);
        Post(kMsgJobError, kDownloadFailed, 0);
        return 0;
    }
    return 1;
}

void CDownloadJob::Cancel() {
    web_.Cancel();
    cancel_.store(true);
    // After the flag: a worker that resets the event before a wait sees the flag afterwards.
    wake_.Set();
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) {
        worker_.join();
    }
}

std::string CDownloadJob::current_file_name() const {
    std::lock_guard lock(name_mutex_);
    return current_file_name_;
}

void CDownloadJob::Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) {
    if (owner_ != nullptr) {
        owner_->Post(message, w_param, l_param);
    }
}

bool CDownloadJob::Pause(std::chrono::milliseconds duration) {
    wake_.Reset();
    if (cancelled()) {
        return false;
    }
    services_.sleeper->WaitFor(wake_, duration);
    return !cancelled();
}

void CDownloadJob::Finish() {
    if (file_done_ != nullptr) {
        file_done_->Set();
    }
    running_.store(false);
    finished_.Set();
}

void CDownloadJob::Run() {
    DeviceEntry& device = *device_;
    if (!cancelled()) {
        platform::CreateFolderChain(download_folder_);
    }
    WriteVersionFile(download_folder_, device, nullptr, 0);

    for (const FileEntry& entry : device.files) {
        const FileStatus status = entry.status;
        if (status == FileStatus::kDownloaded || status == FileStatus::kCopying ||
            status == FileStatus::kOnCard) {
            package_bytes_ += entry.archive_size;
            ++completed_files_;
        }
    }
    device.excluded_seconds = 0;

    for (FileEntry& entry : device.files) {
        if (SkippedByRun(entry.status)) {
            continue;
        }
        const FileOutcome outcome = FetchFile(entry);
        if (outcome.kind == FileOutcome::Kind::kFailed) {
            Post(kMsgJobError, kDownloadFailed, outcome.code);
        }
        if (outcome.kind != FileOutcome::Kind::kDone) {
            Finish();
            return;
        }
    }

    WriteVersionFile(download_folder_, device, nullptr, 1);
    Post(WM_DOWNLOAD_COMPLETE, 0, 0);
    completed_files_ = 0;
    net::SendDownloadNotice(device, web_, servers_);
    Pause(kAfterReportWait);
    Finish();
}

CDownloadJob::FileOutcome CDownloadJob::FetchFile(FileEntry& entry) {
    const int parts = entry.part_count;
    const std::string relative = PcFolderOf(entry, device_->kind);
    const std::optional<std::string> folder = relative.empty()
                                                  ? std::optional<std::string>(download_folder_)
                                                  : platform::SafeJoin(download_folder_, relative);
    const std::optional<std::string> extracted =
        folder ? platform::SafeJoin(*folder, entry.file_name) : std::nullopt;

    // A stop inside the file: fetched again next time.
    const auto stop = [&entry] {
        entry.status = FileStatus::kToFetch;
        entry.percent = 0;
        return FileOutcome::Cancelled();
    };
    // A failure of the file: left out until a new selection.
    const auto fail = [&entry](std::int64_t code) {
        entry.status = FileStatus::kNotInJob;
        entry.percent = 0;
        return FileOutcome::Failed(code);
    };

    // Names come from the server: none may lead out of the package folder.
    if (!extracted || !IsPlainName(entry.archive_name) || parts > kMaxSpanCount) {
        return fail(kFailBrokenEntry);
    }

    const UnpackerContext unpacker{services_.launcher, services_.sleeper, &wake_, &cancel_,
                                   platform::JoinPath(program_folder_, kUnpackerProgramName)};
    const std::uint64_t file_start = package_bytes_;
    for (int pass = 0; pass < kFilePasses; ++pass) {
        const bool last_pass = pass + 1 == kFilePasses;
        package_bytes_ = file_start;
        entry.status = FileStatus::kDownloading;
        {
            std::lock_guard lock(name_mutex_);
            current_file_name_ = entry.file_name;
        }
        if (!entry.file_name.empty()) {
            Post(kMsgDownloadFileChanged, 1, 0);
        }
        web_.SetTotalSize(
            static_cast<std::uint64_t>(std::max<std::int64_t>(device_->download_size, 0)));
        web_.SetProgressTag(entry.archive_size);
        file_bytes_ = 0;

        for (int j = 1; j <= parts; ++j) {
            const std::string span_name = SpanName(entry.archive_name, parts, j);
            const std::string url = SpanUrl(entry.information_path, span_name);
            const std::string local = platform::JoinPath(*folder, span_name);
            if (cancelled()) {
                return stop();
            }
            bool fetched = false;
            for (int attempt = 1; attempt <= kSpanAttempts; ++attempt) {
                platform::DeleteFileForce(local);
                progress_.Rearm();
                net::TransferStatus transfer{&entry.status, &entry.percent,
                                             static_cast<std::int64_t>(file_bytes_),
                                             entry.archive_size};
                fetched = web_.DownloadToFile(url, local, true, &file_bytes_, &package_bytes_,
                                              &transfer) == 1;
                if (fetched) {
                    entry.status = FileStatus::kDownloading;
                    ++completed_spans_;
                    break;
                }
                if (cancelled()) {
                    return stop();
                }
                if (attempt < kSpanAttempts) {
                    // Shown as retrying until the next attempt's bytes flow.
                    entry.status = FileStatus::kReconnecting;
                    if (!Pause(kSpanRetryWait)) {
                        return stop();
                    }
                }
            }
            if (!fetched) {
                entry.status = FileStatus::kToFetch;
                entry.percent = 0;
                const int error = web_.last_write_error();
                const bool disk_full = error == ENOSPC || error == EDQUOT;
                return FileOutcome::Failed(kFailSpanDownload | (disk_full ? kFailDiskFull : 0));
            }
        }

        entry.status = FileStatus::kJoining;
        completed_spans_ = 0;
        const std::string archive = platform::JoinPath(*folder, entry.archive_name);
        entry.status = FileStatus::kUnpacking;
        const std::int64_t unpack_start = services_.clock->Now();
        if (parts <= 0) {
            return fail(kFailBrokenEntry);
        }

        // The volume set still to be deleted once unpacking is over, and the self-extracting
        // program to delete once the file is done.
        struct VolumeSet {
            std::string folder;
            std::string archive_name;
            int parts = 0;
        };
        std::optional<VolumeSet> leftover = VolumeSet{*folder, entry.archive_name, parts};
        std::string program_to_delete;
        bool unpacked = false;
        bool second_unpacked = true;
        if (parts == 1) {
            unpacked = UnpackArchive(unpacker, archive) == 1;
        } else {
            const int joined = VolumeJoin(*folder, entry.archive_name, parts, entry.archive_size);
            if (cancelled()) {
                return stop();
            }
            if (joined == kJoinSpanMissing) {
                if (last_pass) {
                    return fail(kFailSpanMissing);
                }
                DeleteVolumeSet(*folder, entry.archive_name, parts);
                continue;
            }
            unpacked = UnpackArchive(unpacker, archive) == 1;
        }
        // Self-extracting parts are unpacked a second time where the first unpacking put them,
        // in the entry's own folder, which is where the install looks: "ovm.exe" next to itself
        // (the install copies the program itself, so it stays), the folder parts into a folder
        // of their name, whose content the install copies (so a failure there fails the file:
        // the part would otherwise never reach the card).
        const std::string program = platform::JoinPath(*folder, entry.file_name);
        if (unpacked && entry.file_name == kOvmProgram) {
            DeleteVolumeSet(*folder, entry.archive_name, parts);
            leftover.reset();
            UnpackArchive(unpacker, program, *folder);
        } else if (unpacked && IsFolderPart(entry.file_name)) {
            DeleteVolumeSet(*folder, entry.archive_name, parts);
            leftover.reset();
            const std::string target = platform::JoinPath(
                *folder, std::string_view(entry.file_name).substr(0, entry.file_name.size() - 4));
            second_unpacked = UnpackArchive(unpacker, program, target) == 1;
            if (second_unpacked) {
                program_to_delete = program;
            }
        }
        if (cancelled()) {
            return stop();
        }
        if (leftover) {
            DeleteVolumeSet(leftover->folder, leftover->archive_name, leftover->parts);
        }
        if (unpacked && !second_unpacked) {
            platform::DeleteFileForce(program);
            return fail(kFailUnpack);
        }
        if (!unpacked) {
            return fail(kFailUnpack);
        }

        if (entry.file_name != kOvmProgram) {
            // The unpacker has ended; the file may still be on its way to disk (a virus
            // scanner, a slow network drive), so it is looked for once a second for a while.
            bool complete = false;
            for (int poll = 0; poll < kSizeCheckPolls && !complete; ++poll) {
                complete = platform::FileSize(*extracted) == std::uint64_t{entry.file_size};
                if (!complete && !Pause(kSizeCheckInterval)) {
                    return stop();
                }
            }
            if (!complete) {
                platform::DeleteFileForce(*extracted);
                if (last_pass) {
                    return fail(kFailExtractedSize);
                }
                entry.status = FileStatus::kDownloading;
                continue;
            }
        }

        device_->excluded_seconds.fetch_add(
            static_cast<std::int32_t>(services_.clock->Now() - unpack_start));
        entry.downloaded_version = entry.version;
        entry.status = FileStatus::kDownloaded;
        entry.partial = 0;
        device_->completed_file_count.fetch_add(1);
        ++completed_files_;
        // Whatever the spans really summed to, the package count moves on by the archive size.
        package_bytes_ = file_start + entry.archive_size;
        if (!program_to_delete.empty() && platform::FileExists(program_to_delete)) {
            platform::DeleteFileForce(program_to_delete);
        }
        if (file_done_ != nullptr) {
            file_done_->Set();
        }
        return FileOutcome::Done();
    }
    // Not reached: the last pass ends in success or failure.
    return fail(kFailExtractedSize);
}

}  // namespace mapvale::catalog
