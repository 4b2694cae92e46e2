#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "card/card_analysis.h"
#include "card/install_job.h"
#include "catalog/entry_paths.h"
#include "model/device_entry.h"
#include "model/messages.h"
#include "platform/fake_clock.h"
#include "platform/formatter.h"
#include "platform/message_queue.h"
#include "platform/virtual_volumes.h"
#include "support/sandbox.h"

namespace mapvale::platform {

// Readable failures: "0x501(1, -3)".
inline void PrintTo(const Message& m, std::ostream* out) {
    *out << "0x" << std::hex << m.message << std::dec << "(" << m.w_param << ", " << m.l_param
         << ")";
}

}  // namespace mapvale::platform

namespace mapvale::card::testing {

inline constexpr std::uint64_t kMb = 1024ull * 1024;
inline constexpr std::uint64_t kGb = 1024 * kMb;
inline constexpr const char* kPackage = "TarnoPkg";
inline constexpr const char* kMapFolder = "메모리카드데이터/Tarno/MapData";

// Records every message and lets a test act on one as it is posted (on the worker's thread).
class RecordingTarget final : public platform::MessageTarget {
public:
    using Hook = std::function<void(const platform::Message&)>;

    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) override {
        const platform::Message posted{message, w_param, l_param};
        if (hook_) {
            hook_(posted);
        }
        std::lock_guard lock(mutex_);
        messages_.push_back(posted);
    }

    // Set before the job starts.
    void SetHook(Hook hook) { hook_ = std::move(hook); }

    std::vector<platform::Message> All() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    // The message numbers in order, progress (0x703-0x707) left out.
    std::vector<std::uint32_t> Stages() const {
        std::vector<std::uint32_t> numbers;
        for (const platform::Message& m : All()) {
            if (m.message < kMsgBackupProgress || m.message > kMsgCopyProgress) {
                numbers.push_back(m.message);
            }
        }
        return numbers;
    }
    std::vector<platform::Message> Of(std::uint32_t message) const {
        std::vector<platform::Message> found;
        for (const platform::Message& m : All()) {
            if (m.message == message) {
                found.push_back(m);
            }
        }
        return found;
    }
    bool Has(std::uint32_t message) const { return !Of(message).empty(); }
    void Clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }

private:
    Hook hook_;
    mutable std::mutex mutex_;
    std::vector<platform::Message> messages_;
};

// A kind-2 device with package kPackage, a 1 GB virtual card E: in a sandbox folder and a 64 GB
// virtual drive holding the data folder, a fake clock and an auto-advancing fake sleeper.
class InstallJobTest : public ::testing::Test {
protected:
    InstallJobTest() {
        std::filesystem::create_directories(CardPath());
        std::filesystem::create_directories(DataFolder());
        cards_.Insert({'E', kGb, CardPath()});
        cards_.Insert({'P', 64 * kGb, box_.Path("pc")});
        device_.model_name = kPackage;
        device_.kind = 2;
        device_.server_map_version = 20240115;
        device_.server_second_version = 2024011;
        device_.server_version_label = "winter";
        clock_.SetLocal(2024, 1, 15, 9, 30, 12);
        device_.files.reserve(32);  // tests keep references to the entries they add
    }
    ~InstallJobTest() override { job_.Cancel(); }

    std::string CardPath(std::string_view relative = {}) const {
        return relative.empty() ? box_.Path("card") : box_.Path("card/" + std::string(relative));
    }
    std::string DataFolder() const { return box_.Path("pc/data") + "/"; }
    std::string PackageFolder(std::string_view relative = {}) const {
        return DataFolder() + device_.model_name + "/" + std::string(relative);
    }
    std::string WriteCard(const std::string& relative, std::string_view bytes) const {
        return box_.Write("card/" + relative, bytes);
    }

    // A package file, downloaded (its extracted copy lies in the package folder) unless the
    // status says otherwise.
    FileEntry& AddFile(const std::string& name, std::size_t bytes,
                       FileStatus status = FileStatus::kDownloaded,
                       const std::string& folder = kMapFolder) {
        FileEntry& entry = device_.files.emplace_back();
        entry.file_name = name;
        entry.destination_path = folder;
        entry.file_size = static_cast<std::int32_t>(bytes);
        entry.version = 3;
        entry.selected = 1;
        entry.status = status;
        entry.needs_download =
            status == FileStatus::kDownloaded || status == FileStatus::kOnCard ? 0 : 1;
        device_.installed_size += static_cast<std::uint32_t>(bytes);
        if (status == FileStatus::kDownloaded) {
            WritePcFile(entry, std::string(bytes, 'p'));
        }
        return entry;
    }
    void WritePcFile(const FileEntry& entry, std::string_view bytes) const {
        const std::string path =
            catalog::PcPathOf(PackageFolder(), entry, device_.kind, entry.file_name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        box_.Write(std::filesystem::relative(path, box_.path()).string(), bytes);
    }

    // The card as the controller analyses it before an install.
    CardInfo AnalysedCard() {
        CardInfo card;
        EXPECT_EQ(AnalyseCard(volumes_, 'E', 2, {"TSKN_Ver_Info", "Tarno"}, card), 1);
        return card;
    }

    // Set-up with the analysed card (or none) and Start; the result of Start.
    int Start(int mode, int backup_kind, int restore_kind, bool with_card = true) {
        const CardInfo card = AnalysedCard();
        EXPECT_TRUE(job_.Setup(owner_, DataFolder(), &device_, with_card ? &card : nullptr,
                               card.folder_mask));
        return job_.Start(mode, backup_kind, restore_kind, "Tarno/", "UserData/");
    }
    // Waits (real time) for the worker to end.
    void WaitForEnd() {
        ASSERT_TRUE(mapvale::testing::WaitUntil([this] { return !job_.IsRunning(); }));
        job_.Cancel();
    }
    // Runs a whole install to its end.
    void Install(int mode, int backup_kind, int restore_kind) {
        ASSERT_EQ(Start(mode, backup_kind, restore_kind), 1);
        WaitForEnd();
    }

    // The card version file's header completion mark, or -1 without the file.
    int CardMark() const {
        const std::string text =
            mapvale::testing::Sandbox::Read(CardPath("Tarno/" + std::string(kPackage) + ".ver"));
        const std::size_t end = text.find('\n');
        if (text.empty() || end == std::string::npos || end == 0) {
            return -1;
        }
        return text[end - 1] - '0';
    }

    mapvale::testing::Sandbox box_;
    platform::VirtualVolumes cards_;
    platform::MachineVolumes volumes_{{&cards_}};
    platform::SystemFormatter formatter_;
    platform::FakeClock clock_;
    platform::FakeSleeper sleeper_{clock_};
    RecordingTarget owner_;
    DeviceEntry device_;
    CInstallJob job_{volumes_, formatter_, clock_, sleeper_};
};

}  // namespace mapvale::card::testing
