#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "card/stage_copier.h"
#include "model/card_info.h"
#include "model/device_entry.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/file_copy.h"
#include "platform/formatter.h"
#include "platform/message_target.h"
#include "platform/volumes.h"

namespace mapvale::card {

// Puts a downloaded package onto the selected card, on one worker thread, in four stages that
// each start with a message to the owner: 1 backup of the card's user data to the PC (0x703
// progress), 0x803, 2 format when asked (0x704 progress), 0x804, 3 closing of the backup (0x705),
// 0x805, 4 install (0x901 per file, 0x706 and 0x707 progress) ending in 0x807.
//
// The install stage runs beside the download engine: it copies each file the engine marks
// kDownloaded, as kCopying, to kOnCard (back to kDownloaded when stopped, kNotInJob when it
// failed), and waits for the rest. The engine calls file_ready().Set() whenever a file reaches
// kDownloaded, which starts the next pass at once; without it a pass still runs every 300 ms.
//
// Failures are posted once as 0x501 (wParam, lParam), after which the worker ends:
//   (102, 0) Start: the PC lacks room for the package and the backup
//   (2, 0)   Start: the package is not smaller than the card; or, before the first copy, the
//            card's free space cannot take the files still to copy
//   (103, 0) stage 1 failed            (201, 0) three formats failed       (3, 0) stage 3 failed
//   (1, 0)   a copy failed three times, or the card was pulled
//   (1, 2)   a copied file's size was wrong three times
//   (1, -3)  a package path would leave the card or the PC source folder, or the copy raised
// A cancel ends the worker without a further message.
//
// Every copy goes to a temporary name on the card and is renamed into place, so no file under
// its final name is ever partial. Before 0x807 the card's file system is flushed, then the
// card's version file gets its completion mark 1 (mark 0 is written by the first pass).
//
// Thread safety: Setup, Start, Cancel and the destructor are called on the owner's (user-
// interface) thread, never at the same time. RequestCancel, file_ready, current_file_name,
// IsRunning and files_left may be called from any thread. The worker writes the device's file
// statuses, percents and card versions; the device and the owner must outlive the job's run
// (Cancel returns only once the worker has ended). Messages are only posted, never sent.
class CInstallJob final : private StageCopier {
public:
    static constexpr std::chrono::milliseconds kPassWait{300};
    static constexpr std::chrono::milliseconds kFormatRetryWait{5000};
    static constexpr std::chrono::milliseconds kSpaceRetryWait{250};
    static constexpr int kFormatAttempts = 3;
    static constexpr int kCopyTries = 3;
    static constexpr int kSpaceRetries = 5;

    // Install stage results: -1, -2 and -3 are posted as 0x501 (1, 0 / 2 / -3), kCardFull as
    // (2, 0).
    enum InstallResult : int {
        kInstallDone = 1,
        kCopyFailed = -1,
        kSizeWrong = -2,
        kCopyRaised = -3,
        kCardFull = -4,
    };

    // Everything is referenced, not owned, and must outlive the job.
    CInstallJob(platform::Volumes& volumes, platform::Formatter& formatter,
                const platform::Clock& clock, platform::Sleeper& sleeper);
    // Cancels and waits for a running worker.
    ~CInstallJob() override;
    CInstallJob(const CInstallJob&) = delete;
    CInstallJob& operator=(const CInstallJob&) = delete;

    // Stores what the next Start works on; false (nothing changed) while a worker runs.
    // `card` is copied, so the controller may drop or rebuild its drive record meanwhile; null
    // means no card was chosen. The product folder is the record's own when `kind_mask` holds
    // the device's kind, else the card root + "Swiftpath_OrLa" (kind 1), the root itself
    // (kind 8) or the root + "Tarno" (any other kind).
    bool Setup(platform::MessageTarget& owner, std::string_view data_folder, DeviceEntry* device,
               const CardInfo* card, std::uint8_t kind_mask);

    // Starts the stages; 1 when the worker runs. 0 otherwise: without a card record 0x807 is
    // posted (nothing to install); without a device or owner, or while a worker runs, nothing
    // is posted; a failed space check posts (102, 0) or (2, 0); a package name that cannot name
    // a folder posts (1, -3).
    //
    // `install_mode` 1 formats the card; `backup_kind` and `restore_kind` are BackupKind values
    // (restore kinds other than 0 close the backup); `product_folder_name` ("Tarno/") names the
    // product folder's entry in the card root and `user_data_filter` ("UserData/") the user
    // data in it, trailing separators ignored. Camera-data packages (install type 200) never
    // format, back up or restore.
    //
    // The space check runs when a selected file still needs a download or is not settled, or
    // when the card already carries this package; it also turns every restore kind other than
    // 0 (or, without a format, any) into 4.
    int Start(int install_mode, int backup_kind, int restore_kind,
              std::string_view product_folder_name, std::string_view user_data_filter);

    // Sets the cancel and stop-copy flags (a running copy stops at its next chunk), wakes the
    // worker, and waits without limit until it has ended. Nothing is posted afterwards.
    void Cancel();
    // The same without waiting: any thread, never blocks.
    void RequestCancel();

    // KB a backup of `kind` takes on the PC, from the card record given to Setup (0 without).
    std::uint32_t BackupSizeKb(int kind) const;

    // The wake event of the install stage: set it whenever a file reaches kDownloaded.
    platform::Event& file_ready() { return file_ready_; }
    // AG_FILENAME of the file being installed; read after 0x901 (1, 0).
    std::string current_file_name() const;
    bool IsRunning() const { return running_.load(); }
    // Files of this install still to reach the card (counted when the install stage starts).
    int files_left() const { return files_left_.load(); }
    // The product folder on the card that Setup chose (it follows the card's root after a
    // format). Not to be called while a worker runs.
    const std::string& product_folder() const { return product_folder_; }

private:
    // Paths of one entry: its extracted file on the PC and its place on the card.
    struct EntryPaths {
        std::string source;
        std::string target;
    };

    void Run();
    void RunStages();
    bool SpaceCheck();
    std::optional<std::uint64_t> PcFreeKb();
    bool RunBackupStage();
    bool RunFormatStage();
    bool FollowCardRoot();
    bool RunRestoreStage();
    void BeginStage(std::uint32_t progress_message, std::uint32_t total_kb);
    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param);
    bool Cancelling() const { return cancel_.load(); }

    // The install stage (install_stage.cpp).
    int RunInstallStage();
    int InstallEntry(std::size_t index, FileEntry& entry);
    int InstallOneFile(std::size_t index, FileEntry& entry);
    int InstallSingleCopy(std::size_t index, FileEntry& entry);
    int InstallFolderPart(std::size_t index, FileEntry& entry, std::string_view sub_folder);
    // Copies an entry the card does not track (the PC installer, a self-extracting part's
    // folder) with `copy` into `folder`, which is made first; the entry ends as kNotInJob.
    int CopyUntracked(std::size_t index, FileEntry& entry, const std::string& folder,
                      const std::function<bool()>& copy);
    bool IsDue(const FileEntry& entry) const;
    bool AnyUnsettled() const;
    bool CardHasRoom() const;
    bool CardPresent();
    bool CardStillMounted() const;
    std::optional<EntryPaths> PathsOf(const FileEntry& entry) const;
    bool FolderOnCard(const std::string& folder_path) const;
    void SetCurrentFileName(const std::string& name);

    // StageCopier: the job's copy with its progress routine and cancel flag.
    bool CopyOneFile(std::string_view source, std::string_view target) override;
    bool Cancelled() const override { return Cancelling(); }
    platform::CopyProgressAction OnCopyProgress(std::uint64_t total, std::uint64_t done);

    platform::Volumes& volumes_;
    platform::Formatter& formatter_;
    const platform::Clock& clock_;
    platform::Sleeper& sleeper_;

    // Set-up and Start (owner's thread, before the worker exists).
    platform::MessageTarget* owner_ = nullptr;
    std::string data_folder_;
    DeviceEntry* device_ = nullptr;
    std::optional<CardInfo> card_;
    std::string product_folder_;
    std::string package_name_;
    std::string package_folder_;  // data folder + package name + '/'
    std::string product_folder_name_;
    std::string user_data_filter_;
    int install_mode_ = 0;
    bool format_ = false;
    int backup_kind_ = 0;
    int restore_kind_ = 0;

    // Shared with the owner's thread.
    std::atomic<bool> cancel_{false};
    std::atomic<bool> stop_copy_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::uint8_t> format_result_{0};
    std::atomic<int> files_left_{0};
    platform::Event file_ready_{platform::Event::Mode::kAutoReset};
    platform::Event cancel_event_{platform::Event::Mode::kManualReset};
    platform::Event finished_{platform::Event::Mode::kAutoReset};
    mutable std::mutex name_mutex_;
    std::string current_file_name_;
    std::thread worker_;

    // The worker's own.
    std::uint32_t progress_message_ = 0;
    std::uint64_t stage_total_kb_ = 0;
    std::uint64_t stage_done_kb_ = 0;
    bool file_credited_ = false;
    FileEntry* current_entry_ = nullptr;
    std::size_t current_index_ = 0;
    std::string pc_source_;                // package folder on the PC, ending in '/'
    std::uint64_t card_device_ = 0;        // st_dev of the card's root at the install stage's start
    std::set<std::string> swept_folders_;  // card folders already freed of copy leftovers
};

}  // namespace mapvale::card
