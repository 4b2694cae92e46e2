#include "card/card_format.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/messages.h"
#include "platform/message_queue.h"
#include "platform/virtual_volumes.h"
#include "support/sandbox.h"

namespace mapvale::card {
namespace {

using platform::FormatOutcome;
using testing::Sandbox;

constexpr std::uint64_t kGb = 1024ull * 1024 * 1024;

// Records what it was asked to do and reports a fixed outcome.
class RecordingFormatter final : public platform::Formatter {
  public:
    FormatOutcome Format(const platform::Volume& volume, std::string_view asked_file_system,
                         std::string_view asked_data_folder,
                         const platform::FormatProgress& progress) override {
        ++calls;
        root = volume.root;
        file_system = asked_file_system;
        data_folder = asked_data_folder;
        progress(50);
        return outcome;
    }

    FormatOutcome outcome = FormatOutcome::kDone;
    int calls = 0;
    std::string root;
    std::string file_system;
    std::string data_folder;
};

TEST(FileSystemTest, CapacityRoundedToWholeGigabytesPicksFatOrFat32) {
    EXPECT_EQ(FileSystemForCapacity(0), "FAT");
    EXPECT_EQ(FileSystemForCapacity(1048576), "FAT");
    EXPECT_EQ(FileSystemForCapacity(1572863), "FAT");
    EXPECT_EQ(FileSystemForCapacity(1572864), "FAT32");
    EXPECT_EQ(FileSystemForCapacity(0xFFFFFFFFu), "FAT32");
}

class CardFormatTest : public ::testing::Test {
  protected:
    CardFormatTest() {
        box_.Write("card/TSKN_Ver_Info/Tarno.ver", "*|1|1|Tarno|x|1|0|1\n");
        box_.Write("card/TSKN_Ver_Info/Map/map.dat", std::string(4096, 'm'));
        cards_.Insert({'E', 2 * kGb, box_.Path("card")});
        card_.letter = 'E';
        card_.root = box_.Path("card") + "/";
        card_.capacity_kb = 1572864;
        job_.card = &card_;
        job_.owner = &queue_;
        job_.cancel = &cancel_;
        job_.result = &result_;
        job_.data_folder = box_.Path("data") + "/";
    }

    bool CardUntouched() const {
        return std::filesystem::exists(box_.Path("card/TSKN_Ver_Info/Map/map.dat"));
    }

    Sandbox box_;
    platform::VirtualVolumes cards_;
    platform::MachineVolumes volumes_{{&cards_}};
    platform::MessageQueue queue_;
    CardInfo card_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::uint8_t> result_{0};
    FormatJob job_;
};

TEST_F(CardFormatTest, AVirtualCardIsErasedWithProgress) {
    platform::SystemFormatter formatter;
    EXPECT_EQ(FormatCard(volumes_, formatter, card_.root, job_), 1);
    EXPECT_EQ(result_, 1);
    EXPECT_TRUE(std::filesystem::is_directory(box_.Path("card")));
    EXPECT_TRUE(std::filesystem::is_empty(box_.Path("card")));
    const std::vector<platform::Message> messages = queue_.Drain();
    ASSERT_GE(messages.size(), 2u);
    for (const platform::Message& m : messages) {
        EXPECT_EQ(m.message, kMsgFormatProgress);
        EXPECT_LE(m.w_param, 100u);
        EXPECT_EQ(m.l_param, 100);
    }
    EXPECT_EQ(messages.front().w_param, 0u);
    EXPECT_EQ(messages.back().w_param, 100u);
}

TEST_F(CardFormatTest, TheFileSystemFollowsTheRecordedCapacity) {
    RecordingFormatter formatter;
    card_.capacity_kb = 1572863;
    EXPECT_EQ(FormatCard(volumes_, formatter, card_.root, job_), 1);
    EXPECT_EQ(formatter.file_system, "FAT");
    EXPECT_EQ(formatter.root, card_.root);
    EXPECT_EQ(formatter.data_folder, job_.data_folder);
    card_.capacity_kb = 1572864;
    EXPECT_EQ(FormatCard(volumes_, formatter, card_.root, job_), 1);
    EXPECT_EQ(formatter.file_system, "FAT32");
    EXPECT_EQ(queue_.Drain().back(), (platform::Message{kMsgFormatProgress, 50, 100}));
}

TEST_F(CardFormatTest, ACancelledJobSucceedsWithoutTouchingTheCard) {
    RecordingFormatter formatter;
    cancel_ = true;
    result_ = 7;
    EXPECT_EQ(FormatCard(volumes_, formatter, card_.root, job_), 1);
    EXPECT_EQ(formatter.calls, 0);
    EXPECT_EQ(result_, 7);
    EXPECT_TRUE(queue_.Drain().empty());
    EXPECT_TRUE(CardUntouched());
}

TEST_F(CardFormatTest, AFailedFormatClearsAnEarlierSuccess) {
    RecordingFormatter formatter;
    formatter.outcome = FormatOutcome::kFailed;
    result_ = 1;
    EXPECT_EQ(FormatCard(volumes_, formatter, card_.root, job_), 0);
    EXPECT_EQ(result_, 0);
}

TEST_F(CardFormatTest, OnlyTheSelectedCardsOwnVolumeIsFormatted) {
    RecordingFormatter recording;
    platform::SystemFormatter formatter;
    auto refused = [&](std::string_view root) {
        result_ = 1;
        const int recorded = FormatCard(volumes_, recording, root, job_);
        const int real = FormatCard(volumes_, formatter, root, job_);
        return recorded == 0 && real == 0 && result_ == 0 && recording.calls == 0;
    };
    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused(box_.Path("card/TSKN_Ver_Info") + "/"));  // a folder on the card
    EXPECT_TRUE(refused("/"));

    FormatJob no_card = job_;
    no_card.card = nullptr;
    EXPECT_EQ(FormatCard(volumes_, formatter, card_.root, no_card), 0);

    card_.letter = 'F';  // the record names another drive than the one at this root
    EXPECT_TRUE(refused(card_.root));
    card_.letter = 'E';

    cards_.Eject(box_.Path("card"));  // pulled: no volume at the root any more
    EXPECT_TRUE(refused(card_.root));
    cards_.Insert({'E', 2 * kGb, box_.Path("card")});

    // The data folder lives on the card.
    job_.data_folder = box_.Path("card/Data") + "/";
    EXPECT_EQ(FormatCard(volumes_, formatter, card_.root, job_), 0);
    EXPECT_TRUE(queue_.Drain().empty());
    EXPECT_TRUE(CardUntouched());
}

}  // namespace
}  // namespace mapvale::card
