#include "card/install_job.h"

#include <algorithm>
#include <exception>
#include <system_error>

#include "card/backup_folders.h"
#include "card/card_backup.h"
#include "card/card_format.h"
#include "card/install_sizes.h"
#include "card/product_folder.h"
#include "catalog/download_space.h"
#include "catalog/entry_paths.h"
#include "catalog/file_selection.h"
#include "catalog/version_file.h"
#include "model/messages.h"
#include "platform/files.h"

namespace mapvale::card {

namespace {

constexpr std::uint64_t kPcReserveKb = 1024000;
constexpr std::uint64_t kCameraDataFactor = 5;

// A folder name given with a trailing separator ("Tarno/", "UserData\").
std::string WithoutTrailingSeparator(std::string_view name) {
    while (!name.empty() && (name.back() == '/' || name.back() == '\\')) {
        name.remove_suffix(1);
    }
    return std::string(name);
}

}  // namespace

CInstallJob::CInstallJob(platform::Volumes& volumes, platform::Formatter& formatter,
                         const platform::Clock& clock, platform::Sleeper& sleeper)
    : volumes_(volumes), formatter_(formatter), clock_(clock), sleeper_(sleeper) {}

CInstallJob::~CInstallJob() {
    Cancel();
}

bool CInstallJob::Setup(platform::MessageTarget& owner, std::string_view data_folder,
                        DeviceEntry* device, const CardInfo* card, std::uint8_t kind_mask) {
    if (running_.load()) {
        return false;
    }
    owner_ = &owner;
    data_folder_ = platform::NormalizeFolder(data_folder);
    device_ = device;
    card_.reset();
    product_folder_.clear();
    if (card != nullptr) {
        card_ = *card;
        card_->root = platform::NormalizeFolder(card->root);
        const int kind = device != nullptr ? device->kind : 0;
        product_folder_ = (kind_mask & kind) != 0 ? platform::NormalizePath(card->product_folder)
                                                  : DefaultProductFolder(card_->root, kind);
    }
    return true;
}

int CInstallJob::Start(int install_mode, int backup_kind, int restore_kind,
                       std::string_view product_folder_name, std::string_view user_data_filter) {
    if (running_.load() || owner_ == nullptr) {
        return 0;
    }
    if (worker_.joinable()) {
        worker_.join();  // ended by itself; only the thread object is left
    }
    if (!card_) {
        Post(kMsgInstallComplete, 0, 0);
        return 0;
    }
    if (device_ == nullptr) {
        return 0;
    }
    cancel_ = false;
    stop_copy_ = false;
    cancel_event_.Reset();
    finished_.Reset();
    install_mode_ = install_mode;
    format_ = install_mode == 1;
    backup_kind_ = backup_kind;
    restore_kind_ = restore_kind;
    if (device_->install_type == catalog::kInstallTypeCameraData) {
        install_mode_ = 0;
        format_ = false;
        backup_kind_ = kBackupNothing;
        restore_kind_ = 0;
    }
    product_folder_name_ = WithoutTrailingSeparator(product_folder_name);
    user_data_filter_ = WithoutTrailingSeparator(user_data_filter);
    package_name_ = device_->model_name;
    if (!catalog::IsSafePackageName(package_name_)) {
        Post(kMsgJobError, 1, kCopyRaised);
        return 0;
    }
    package_folder_ = platform::NormalizeFolder(platform::JoinPath(data_folder_, package_name_));

    bool check = false;
    for (const FileEntry& entry : device_->files) {
        const FileStatus status = entry.status.load();
        const bool settled = status == FileStatus::kNotInJob || status == FileStatus::kDownloaded ||
                             status == FileStatus::kCopying || status == FileStatus::kOnCard;
        if (entry.selected != 0 && (entry.needs_download != 0 || !settled)) {
            check = true;
            break;
        }
    }
    if (!check) {
        check = !card_->model_name.empty() && card_->model_name == package_name_;
    }
    if (check && !SpaceCheck()) {
        return 0;
    }

    try {
        running_ = true;
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // The controller waits for this install's end: without a message it would wait forever.
        running_ = false;
        Post(kMsgJobError, 1, 0);
        return 0;
    }
    return 1;
}

bool CInstallJob::SpaceCheck() {
    const std::uint64_t free_kb = PcFreeKb().value_or(0);
    const std::uint64_t backup_kb = BackupSizeKb(backup_kind_);
    const std::uint64_t package_kb =
        static_cast<std::uint64_t>(std::max<std::int64_t>(device_->download_size, 0)) / 1024;
    const std::uint64_t required_kb = device_->install_type == catalog::kInstallTypeCameraData
                                          ? package_kb * kCameraDataFactor
                                          : package_kb + kPcReserveKb;
    if (free_kb < backup_kb || free_kb - backup_kb <= required_kb) {
        Post(kMsgJobError, 102, 0);
        return false;
    }
    if (!(install_mode_ == 1 && restore_kind_ == 0)) {
        restore_kind_ = kRestoreNothingToSize;
    }
    if (device_->installed_size / 1024 >= card_->capacity_kb) {
        Post(kMsgJobError, 2, 0);
        return false;
    }
    return true;
}

std::optional<std::uint64_t> CInstallJob::PcFreeKb() {
    // The rule of every PC space check: the data folder's own file system, links resolved.
    for (int attempt = 0; attempt <= kSpaceRetries; ++attempt) {
        if (attempt > 0) {
            sleeper_.Sleep(kSpaceRetryWait);
        }
        if (const auto bytes = catalog::FreeBytesFor(volumes_, data_folder_)) {
            return *bytes / 1024;
        }
    }
    return std::nullopt;
}

void CInstallJob::Cancel() {
    RequestCancel();
    if (worker_.joinable()) {
        if (running_.load()) {
            finished_.Wait();
        }
        worker_.join();
    }
}

void CInstallJob::RequestCancel() {
    cancel_ = true;
    stop_copy_ = true;
    cancel_event_.Set();
    file_ready_.Set();
}

std::uint32_t CInstallJob::BackupSizeKb(int kind) const {
    return card_ ? card::BackupSizeKb(*card_, kind) : 0;
}

std::string CInstallJob::current_file_name() const {
    std::lock_guard lock(name_mutex_);
    return current_file_name_;
}

void CInstallJob::SetCurrentFileName(const std::string& name) {
    std::lock_guard lock(name_mutex_);
    current_file_name_ = name;
}

void CInstallJob::Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) {
    owner_->Post(message, w_param, l_param);
}

void CInstallJob::Run() {
    try {
        RunStages();
    } catch (const std::exception&) {
        // Only allocation and the file-system library can raise here; the card keeps what the
        // stages did, as after any failure.
        if (!Cancelling()) {
            Post(kMsgJobError, 1, kCopyRaised);
        }
    }
    current_entry_ = nullptr;
    running_ = false;
    finished_.Set();
}

void CInstallJob::BeginStage(std::uint32_t progress_message, std::uint32_t total_kb) {
    progress_message_ = progress_message;
    stage_total_kb_ = total_kb;
    stage_done_kb_ = 0;
}

void CInstallJob::RunStages() {
    if (Cancelling()) {
        return;
    }
    BeginStage(kMsgBackupProgress, BackupSizeKb(backup_kind_));
    if (!RunBackupStage()) {
        if (!Cancelling()) {
            Post(kMsgJobError, 103, 0);
        }
        return;
    }
    if (Cancelling()) {
        return;
    }
    Post(kMsgInstallFormatStage, 0, 0);

    if (format_) {
        BeginStage(0, 0);
        if (!RunFormatStage()) {
            if (!Cancelling()) {
                Post(kMsgJobError, 201, 0);
            }
            return;
        }
    }
    if (Cancelling()) {
        return;
    }
    Post(kMsgInstallRestoreStage, 0, 0);

    BeginStage(kMsgRestoreProgress, BackupSizeKb(restore_kind_));
    if (!RunRestoreStage()) {
        if (!Cancelling()) {
            Post(kMsgJobError, 3, 0);
        }
        return;
    }
    if (Cancelling()) {
        return;
    }
    Post(kMsgInstallCopyStage, 0, 0);

    BeginStage(kMsgCopyProgress, InstallSizeKb(*device_, format_));
    const int result = RunInstallStage();
    if (Cancelling()) {
        return;
    }
    switch (result) {
        case kCopyFailed:
            Post(kMsgJobError, 1, 0);
            break;
        case kSizeWrong:
            Post(kMsgJobError, 1, 2);
            break;
        case kCopyRaised:
            Post(kMsgJobError, 1, -3);
            break;
        case kCardFull:
            Post(kMsgJobError, 2, 0);
            break;
        default:
            break;
    }
}

bool CInstallJob::RunBackupStage() {
    if (backup_kind_ == kBackupNothing || Cancelling()) {
        return true;
    }
    BackupRequest request;
    request.kind = backup_kind_;
    request.card_root = card_->root;
    request.product_folder = card_->product_folder;
    request.product_folder_name = product_folder_name_;
    request.user_data_filter = user_data_filter_;
    request.package_folder = package_folder_;
    if (!RunBackup(*this, request, clock_)) {
        return false;
    }
    // The format that follows erases the only other copy: the backup must be on the disk
    // first, not in the page cache.
    return !format_ || platform::FlushFileSystem(package_folder_);
}

bool CInstallJob::RunFormatStage() {
    for (int attempt = 1; attempt <= kFormatAttempts; ++attempt) {
        if (Cancelling()) {
            return false;
        }
        FormatJob job;
        job.cancel = &cancel_;
        job.card = &*card_;
        job.owner = owner_;
        job.result = &format_result_;
        job.data_folder = data_folder_;
        if (FormatCard(volumes_, formatter_, card_->root, job) == 1 && !Cancelling() &&
            FollowCardRoot()) {
            return true;
        }
        if (attempt < kFormatAttempts) {
            sleeper_.WaitFor(cancel_event_, kFormatRetryWait);
        }
    }
    return false;
}

bool CInstallJob::FollowCardRoot() {
    // Formatting a real card remounts it, maybe elsewhere: the card is found again by letter.
    const std::optional<platform::Volume> volume = volumes_.Find(card_->letter);
    if (!volume) {
        return false;
    }
    const std::string old_root = card_->root;
    if (volume->root != old_root) {
        auto rebase = [&](std::string& path) {
            if (path.starts_with(old_root)) {
                path = volume->root + path.substr(old_root.size());
            } else if (path + "/" == old_root) {
                path = volume->root;
            }
        };
        rebase(product_folder_);
        rebase(card_->product_folder);
        card_->root = volume->root;
    }
    return true;
}

bool CInstallJob::RunRestoreStage() {
    if (restore_kind_ == 0 || Cancelling()) {
        return true;
    }
    // Nothing goes back to the card: the backup stays on the PC, closed under its time stamp,
    // and a failed rename leaves it open for the next install to close.
    CloseBackupFolder(package_folder_, clock_);
    return true;
}

bool CInstallJob::CopyOneFile(std::string_view source, std::string_view target) {
    if (progress_message_ == kMsgCopyProgress) {
        // Every copy onto the card, also those deep inside a copied folder, stays on the card
        // even where a folder on it is a link.
        const std::string to = platform::NormalizePath(target);
        if (!FolderOnCard(to.substr(0, to.rfind('/')))) {
            return false;
        }
    }
    if (progress_message_ == kMsgCopyProgress) {
        // A copy cut short by a pulled card or a crash left its temporary file on the card.
        const std::string to = platform::NormalizePath(target);
        const std::string folder = to.substr(0, to.rfind('/'));
        if (swept_folders_.insert(folder).second) {
            platform::SweepCopyLeftovers(folder);
        }
    }
    file_credited_ = false;
    const platform::CopyOutcome outcome = platform::CopyFileWithProgress(
        source, target,
        [this](std::uint64_t total, std::uint64_t done) { return OnCopyProgress(total, done); },
        &cancel_);
    return outcome.result == platform::CopyResult::kDone;
}

platform::CopyProgressAction CInstallJob::OnCopyProgress(std::uint64_t total, std::uint64_t done) {
    if (Cancelling()) {
        return platform::CopyProgressAction::kCancel;
    }
    // An empty file is complete at its first call (and must not divide by zero).
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    if (progress_message_ == kMsgCopyProgress && current_entry_ != nullptr) {
        current_entry_->percent = percent;
        Post(kMsgCopyFileProgress, current_index_, percent);
    }
    if (progress_message_ != 0) {
        const std::uint64_t shown = std::min(stage_done_kb_ + done / 1024, stage_total_kb_);
        Post(progress_message_, shown, static_cast<platform::LParam>(stage_total_kb_));
    }
    // Credited once per copy: a grown source reports 100 more than once.
    if (percent == 100 && !file_credited_) {
        file_credited_ = true;
        stage_done_kb_ = std::min(stage_done_kb_ + total / 1024, stage_total_kb_);
    }
    return platform::CopyProgressAction::kContinue;
}

}  // namespace mapvale::card
