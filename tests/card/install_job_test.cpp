#include "card/install_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "card/backup_folders.h"
#include "card/install_job_fixture.h"
#include "card/install_sizes.h"

namespace mapvale::card {
namespace {

using mapvale::testing::Sandbox;
using mapvale::testing::WaitUntil;
using platform::Message;
using testing::InstallJobTest;
using testing::kMb;
namespace fs = std::filesystem;

constexpr Message kDone{kMsgInstallComplete, 0, 0};

std::set<std::string> StampedFolders(const std::string& package_folder) {
    const std::vector<std::string> names = StampedBackupFolders(package_folder);
    return {names.begin(), names.end()};
}

// --- Sizes and backup folders -------------------------------------------------------------

TEST(InstallSizesTest, BackupSizesNeverWrapBelowZero) {
    CardInfo card;
    card.capacity_kb = 1000;
    card.free_kb = 300;
    card.map_data_kb = 500;
    card.user_data_kb = 20;
    EXPECT_EQ(BackupSizeKb(card, kBackupNothing), 0u);
    EXPECT_EQ(BackupSizeKb(card, kBackupWholeCard), 700u);
    EXPECT_EQ(BackupSizeKb(card, kBackupAllButMaps), 220u);
    EXPECT_EQ(BackupSizeKb(card, kBackupUserDataOnly), 20u);
    EXPECT_EQ(BackupSizeKb(card, kRestoreNothingToSize), 0u);
    card.map_data_kb = 900;  // walked while the card filled up
    EXPECT_EQ(BackupSizeKb(card, kBackupAllButMaps), 0u);
}

TEST(InstallSizesTest, OnlyFilesStillToCopyCount) {
    DeviceEntry device;
    auto add = [&device](FileStatus status, int selected, int card_version) {
        FileEntry& entry = device.files.emplace_back();
        entry.file_size = 4096;
        entry.version = 2;
        entry.status = status;
        entry.selected = selected;
        entry.card_version = card_version;
    };
    add(FileStatus::kDownloaded, 1, -1);    // to copy
    add(FileStatus::kDownloading, 1, 1);    // to copy once fetched
    add(FileStatus::kReconnecting, 1, -1);  // to copy once fetched
    add(FileStatus::kOnCard, 1, 2);         // there already
    add(FileStatus::kDownloaded, 0, 2);     // there already, not selected
    add(FileStatus::kNotInJob, 1, -1);      // given up by the download
    EXPECT_EQ(InstallSizeKb(device, false), 12u);
    EXPECT_EQ(InstallSizeKb(device, true), 16u);  // the format erases what is there

    // A file of 3 GiB (beyond a signed 32-bit size) counts in full.
    device.files.front().file_size = 3u << 30;
    EXPECT_EQ(InstallSizeKb(device, false), 8u + (3u << 20));
}

TEST(BackupFoldersTest, RetentionGoesByTheStampNotByListingOrder) {
    Sandbox box;
    // Created oldest-last, so that no listing order can stand in for the stamps.
    for (const char* name : {"Backup_240301120000", "Backup_231231235959", "Backup_240115093012",
                             "Backup_240101000000", "Backup_240210080000", "Backup_230601000000",
                             "Backup_notes", "MyBackup_2023"}) {
        box.Write(std::string(name) + "/x.txt", "x");
    }
    EXPECT_EQ(KeepNewestBackups(box.Path()), 2u);
    EXPECT_EQ(StampedFolders(box.Path()),
              (std::set<std::string>{"Backup_240301120000", "Backup_240210080000",
                                     "Backup_240115093012", "Backup_240101000000"}));
    // What cannot be dated is not ours to delete.
    EXPECT_TRUE(fs::exists(box.Path("Backup_notes/x.txt")));
    EXPECT_TRUE(fs::exists(box.Path("MyBackup_2023/x.txt")));
}

TEST(BackupFoldersTest, RetentionKeepsAnOldBackupWithFilesNoKeptBackupHolds) {
    Sandbox box;
    // Four newer backups, each with the same saved places and recording.
    for (const char* name : {"Backup_240501000000", "Backup_240401000000", "Backup_240301000000",
                             "Backup_240201000000"}) {
        box.Write(std::string(name) + "/Tarno/UserData/places.dat", "0000");
        box.Write(std::string(name) + "/Tarno/UserData/rec/1.wav", "wave");
    }
    // Older ones: all of it held by the newer ones; the same path and size but other bytes;
    // a file of its own; the same file in another folder; and a copy of the second one.
    box.Write("Backup_240115000000/Tarno/UserData/places.dat", "0000");
    box.Write("Backup_240115000000/Tarno/UserData/rec/1.wav", "wave");
    box.Write("Backup_231201000000/Tarno/UserData/places.dat", "AAAA");
    box.Write("Backup_231101000000/Music/song.mp3", "la la");
    box.Write("Backup_231001000000/Tarno/UserData/1.wav", "wave");
    box.Write("Backup_230901000000/Tarno/UserData/places.dat", "AAAA");
    EXPECT_EQ(KeepNewestBackups(box.Path()), 2u);
    EXPECT_EQ(
        StampedFolders(box.Path()),
        (std::set<std::string>{"Backup_240501000000", "Backup_240401000000", "Backup_240301000000",
                               "Backup_240201000000", "Backup_231201000000", "Backup_231101000000",
                               "Backup_231001000000"}));
}

TEST(BackupFoldersTest, ClosingTwiceInOneSecondKeepsBothBackups) {
    Sandbox box;
    platform::FakeClock clock;
    clock.SetLocal(2024, 1, 15, 9, 30, 12);
    box.Write("Backup/first.txt", "1");
    EXPECT_EQ(CloseBackupFolder(box.Path(), clock), box.Path("Backup_240115093012"));
    box.Write("Backup/second.txt", "2");
    EXPECT_EQ(CloseBackupFolder(box.Path(), clock), box.Path("Backup_240115093013"));
    EXPECT_TRUE(fs::exists(box.Path("Backup_240115093012/first.txt")));
    EXPECT_TRUE(fs::exists(box.Path("Backup_240115093013/second.txt")));
    EXPECT_FALSE(CloseBackupFolder(box.Path(), clock));  // nothing open
}

// --- Start ----------------------------------------------------------------------------------

TEST_F(InstallJobTest, StartWithoutACardPostsCompleteAndStartsNothing) {
    AddFile("a.dat", 100);
    EXPECT_EQ(Start(0, 0, 0, false), 0);
    EXPECT_FALSE(job_.IsRunning());
    EXPECT_EQ(owner_.All(), std::vector<Message>{kDone});
}

TEST_F(InstallJobTest, SpaceChecksRefuseAPackageAsLargeAsTheCardOrTheDisk) {
    // A file still to download makes Start check the space.
    AddFile("a.dat", 100, FileStatus::kToFetch);
    device_.installed_size = 1024 * 1024 * 1024u;  // exactly the card's capacity in KB
    EXPECT_EQ(Start(0, 0, 0), 0);
    EXPECT_EQ(owner_.All(), (std::vector<Message>{{kMsgJobError, 2, 0}}));

    owner_.Clear();
    device_.installed_size -= 1024;
    device_.download_size = 63ll * 1024 * 1024 * 1024 + 512 * kMb;  // under 1 GB left over
    EXPECT_EQ(Start(0, 0, 0), 0);
    EXPECT_EQ(owner_.All(), (std::vector<Message>{{kMsgJobError, 102, 0}}));
    EXPECT_FALSE(job_.IsRunning());
}

// --- Stage 1 --------------------------------------------------------------------------------

TEST_F(InstallJobTest, UserDataOnlyBackupWithoutUserDataFails) {
    WriteCard("Tarno/MapData/old.dat", "old");
    AddFile("a.dat", 100);
    Install(0, kBackupUserDataOnly, 0);
    EXPECT_EQ(owner_.All(), (std::vector<Message>{{kMsgJobError, 103, 0}}));
    EXPECT_EQ(device_.files[0].status.load(), FileStatus::kDownloaded);
}

TEST_F(InstallJobTest, AnEmptyCardNeedsNoBackupFolder) {
    AddFile("a.dat", 100);
    Install(0, kBackupWholeCard, 1);
    EXPECT_TRUE(owner_.Has(kMsgInstallComplete));
    EXPECT_FALSE(fs::exists(PackageFolder("Backup")));
    EXPECT_TRUE(StampedFolders(PackageFolder()).empty());
}

TEST_F(InstallJobTest, ASixthInstallKeepsTheFourNewestBackupsAndTheNewOne) {
    WriteCard("Music/song.mp3", "la la");
    AddFile("a.dat", 100);
    std::vector<std::string> made;
    for (int install = 0; install < 6; ++install) {
        owner_.Clear();
        made.push_back(StampedBackupName(clock_.LocalNow()));
        Install(0, kBackupWholeCard, 1);
        ASSERT_TRUE(owner_.Has(kMsgInstallComplete));
        clock_.Advance(std::chrono::hours(7));
    }
    EXPECT_EQ(StampedFolders(PackageFolder()), std::set<std::string>(made.begin() + 1, made.end()));
    EXPECT_EQ(Sandbox::Read(PackageFolder(made.back() + "/Music/song.mp3")), "la la");
}

TEST_F(InstallJobTest, FormattingInstallsNeverPruneTheOnlyCopyOfTheUsersFiles) {
    // Before the first install the card holds the user's music and saved places; the format
    // erases them and nothing is copied back, so from then on they exist only in the first
    // backup. After every install the unit writes fresh default places of the same size.
    WriteCard("Music/song.mp3", "la la");
    WriteCard("Tarno/UserData/places.dat", std::string(16, 'A'));
    AddFile("a.dat", 100);
    std::vector<std::string> made;
    for (int install = 0; install < 7; ++install) {
        owner_.Clear();
        made.push_back(StampedBackupName(clock_.LocalNow()));
        Install(1, kBackupAllButMaps, 2);
        ASSERT_TRUE(owner_.Has(kMsgInstallComplete)) << "install " << install + 1;
        ASSERT_FALSE(fs::exists(CardPath("Music")));
        WriteCard("Tarno/UserData/places.dat", std::string(16, '0'));
        clock_.Advance(std::chrono::hours(7));
        if (install == 5) {
            // Six installs: nothing could be pruned yet, and the first backup is still there.
            EXPECT_EQ(StampedFolders(PackageFolder()),
                      std::set<std::string>(made.begin(), made.end()));
        }
    }
    // The seventh prunes the second backup, which holds only what newer ones hold too; the
    // first stays, with the only copy of the music and of the user's own places.
    std::set<std::string> expected(made.begin(), made.end());
    expected.erase(made[1]);
    EXPECT_EQ(StampedFolders(PackageFolder()), expected);
    EXPECT_EQ(Sandbox::Read(PackageFolder(made[0] + "/Music/song.mp3")), "la la");
    EXPECT_EQ(Sandbox::Read(PackageFolder(made[0] + "/Tarno/UserData/places.dat")),
              std::string(16, 'A'));
}

TEST_F(InstallJobTest, ABackupLeftOpenByAnEarlierInstallIsKept) {
    box_.Write("pc/data/TarnoPkg/Backup/Tarno/UserData/only-copy.dat", "precious");
    WriteCard("Tarno/UserData/fav.dat", "favourites");
    AddFile("a.dat", 100);
    Install(0, kBackupAllButMaps, 2);
    ASSERT_TRUE(owner_.Has(kMsgInstallComplete));
    const std::vector<std::string> stamped = StampedBackupFolders(PackageFolder());
    ASSERT_EQ(stamped.size(), 2u);  // the same second: the newer stamp moved on by one
    EXPECT_EQ(Sandbox::Read(PackageFolder(stamped[1] + "/Tarno/UserData/only-copy.dat")),
              "precious");
    EXPECT_EQ(Sandbox::Read(PackageFolder(stamped[0] + "/Tarno/UserData/fav.dat")), "favourites");
}

// --- A formatting install -------------------------------------------------------------------

TEST_F(InstallJobTest, AFormattingInstallKeepsTheUserDataInTheNewestBackup) {
    WriteCard("Tarno/UserData/fav.dat", "favourites");
    WriteCard("Tarno/Data/Wav/Voice1/hello.wav", "hello");
    WriteCard("Tarno/MapData/old.dat", std::string(5000, 'o'));
    WriteCard("Music/song.mp3", "la la");
    AddFile("a.dat", 3000);
    Install(1, kBackupAllButMaps, 2);

    EXPECT_EQ(owner_.Stages(),
              (std::vector<std::uint32_t>{kMsgInstallFormatStage, kMsgInstallRestoreStage,
                                          kMsgInstallCopyStage, kMsgInstallFileChanged,
                                          kMsgInstallComplete}));
    EXPECT_FALSE(owner_.Of(kMsgFormatProgress).empty());
    const std::vector<std::string> stamped = StampedBackupFolders(PackageFolder());
    ASSERT_EQ(stamped.size(), 1u);
    const std::string backup = PackageFolder(stamped[0]) + "/";
    EXPECT_EQ(Sandbox::Read(backup + "Tarno/UserData/fav.dat"), "favourites");
    EXPECT_EQ(Sandbox::Read(backup + "Music/song.mp3"), "la la");
    EXPECT_EQ(Sandbox::Read(backup + "Swiftpath_OrLa/UserData/MyVoice/Voice1/hello.wav"), "hello");
    EXPECT_FALSE(fs::exists(backup + "Tarno/MapData"));  // map data is not user data

    EXPECT_FALSE(fs::exists(CardPath("Music")));
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData/old.dat")));
    EXPECT_EQ(fs::file_size(CardPath("Tarno/MapData/a.dat")), 3000u);
    EXPECT_EQ(CardMark(), 1);
}

// --- Stage 4 --------------------------------------------------------------------------------

TEST_F(InstallJobTest, CopiesEachFileToItsInstalledNameWithProgress) {
    AddFile("a.dat", 3000);
    AddFile("ND_1GB.VB", 5000);  // one of two variants: one name on the card
    AddFile("ThemeStyle_basic_low.bin", 10, FileStatus::kDownloaded, "메모리카드데이터/Tarno");
    // What a copy cut short by a pulled card left in a target folder goes; the user's own file
    // of a similar name stays.
    fs::create_directories(CardPath("Tarno/MapData"));
    std::ofstream(CardPath("Tarno/MapData/.mvcopy-a1B2c3")) << "partial";
    std::ofstream(CardPath("Tarno/MapData/.mvcopy-notes.txt")) << "mine";
    Install(0, 0, 0);
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData/.mvcopy-a1B2c3")));
    EXPECT_TRUE(fs::exists(CardPath("Tarno/MapData/.mvcopy-notes.txt")));

    EXPECT_EQ(fs::file_size(CardPath("Tarno/MapData/a.dat")), 3000u);
    EXPECT_EQ(fs::file_size(CardPath("Tarno/MapData/ND.vb")), 5000u);
    EXPECT_EQ(fs::file_size(CardPath("Tarno/Data/ThemeStyle_basic.bin")), 10u);
    for (const FileEntry& entry : device_.files) {
        EXPECT_EQ(entry.status.load(), FileStatus::kOnCard) << entry.file_name;
        EXPECT_EQ(entry.card_version, 3);
        EXPECT_EQ(entry.percent.load(), 100);
    }
    EXPECT_EQ(job_.files_left(), 0);
    EXPECT_EQ(owner_.Of(kMsgInstallFileChanged).size(), 3u);
    // Progress in KB: never beyond the total, ending at it.
    const std::vector<Message> progress = owner_.Of(kMsgCopyProgress);
    ASSERT_FALSE(progress.empty());
    for (const Message& m : progress) {
        EXPECT_LE(m.w_param, 6u);
        EXPECT_EQ(m.l_param, 2 + 4 + 0);
    }
    EXPECT_EQ(progress.back().w_param, 6u);
    EXPECT_EQ(owner_.Of(kMsgCopyFileProgress).back(), (Message{kMsgCopyFileProgress, 2, 100}));
    EXPECT_EQ(CardMark(), 1);
}

TEST_F(InstallJobTest, OnePackageKeepsItsCardDataUnderProgramFiles) {
    device_.model_name = "SwiftPath_Tarno_Corvel_Marsel";
    AddFile("a.dat", 100);
    Install(0, 0, 0);
    EXPECT_EQ(fs::file_size(CardPath("Program Files/Tarno/MapData/a.dat")), 100u);
    EXPECT_NE(Sandbox::Read(CardPath("Program Files/Tarno/" + device_.model_name + ".ver")), "");
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData")));
}

TEST_F(InstallJobTest, APackageAlreadyOnTheCardInstallsNothingButRewritesTheVersionFile) {
    WriteCard("Tarno/TarnoPkg.ver", "*|1|1|TarnoPkg|old|1|0|1\n");
    WriteCard("Tarno/Other.ver", "*|1|1|Other|x|1|0|1\n");
    FileEntry& on_card = AddFile("a.dat", 100, FileStatus::kOnCard);
    on_card.card_version = on_card.version;
    // Downloaded but deselected: not this install's, and must not keep it waiting.
    AddFile("b.dat", 100).selected = 0;
    Install(0, 0, 0);

    EXPECT_EQ(owner_.Stages(),
              (std::vector<std::uint32_t>{kMsgInstallFormatStage, kMsgInstallRestoreStage,
                                          kMsgInstallCopyStage, kMsgInstallComplete}));
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData")));
    EXPECT_FALSE(fs::exists(CardPath("Tarno/Other.ver")));
    EXPECT_EQ(CardMark(), 1);
    EXPECT_NE(Sandbox::Read(CardPath("Tarno/TarnoPkg.ver")).find("|20240115|"), std::string::npos);
    EXPECT_EQ(device_.files[1].status.load(), FileStatus::kDownloaded);
}

TEST_F(InstallJobTest, FilesThatArriveWhileTheInstallWaitsAreInstalledWithoutANewStart) {
    AddFile("first.dat", 100);
    FileEntry& second = AddFile("second.dat", 200, FileStatus::kDownloading);
    FileEntry& third = AddFile("third.dat", 300, FileStatus::kReconnecting);
    ASSERT_EQ(Start(0, 0, 0), 1);
    ASSERT_TRUE(WaitUntil(
        [&] { return device_.files[0].status.load() == FileStatus::kOnCard && CardMark() == 0; }));

    // The download engine's part: the file is extracted, marked and the install woken.
    WritePcFile(second, std::string(200, 's'));
    second.status = FileStatus::kDownloaded;
    job_.file_ready().Set();
    ASSERT_TRUE(WaitUntil([&] { return second.status.load() == FileStatus::kOnCard; }));

    // A dropped connection is still a download under way: the install goes on waiting.
    const std::int64_t seen = clock_.NowMs();
    ASSERT_TRUE(
        WaitUntil([&] { return clock_.NowMs() >= seen + 3 * CInstallJob::kPassWait.count(); }));
    EXPECT_TRUE(job_.IsRunning());
    EXPECT_FALSE(owner_.Has(kMsgInstallComplete));
    EXPECT_EQ(CardMark(), 0);

    WritePcFile(third, std::string(300, 't'));
    third.status = FileStatus::kDownloaded;
    job_.file_ready().Set();
    WaitForEnd();
    EXPECT_EQ(owner_.Of(kMsgInstallComplete).size(), 1u);
    EXPECT_EQ(Sandbox::Read(CardPath("Tarno/MapData/third.dat")), std::string(300, 't'));
    EXPECT_EQ(CardMark(), 1);
}

TEST_F(InstallJobTest, AWrongSizeThreeTimesFailsAndLeavesNoFile) {
    FileEntry& entry = AddFile("a.dat", 100);
    entry.file_size = 101;
    Install(0, 0, 0);
    EXPECT_EQ(owner_.Of(kMsgJobError), (std::vector<Message>{{kMsgJobError, 1, 2}}));
    EXPECT_FALSE(owner_.Has(kMsgInstallComplete));
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData/a.dat")));
    EXPECT_EQ(entry.status.load(), FileStatus::kNotInJob);
    EXPECT_EQ(entry.percent.load(), 0);
    EXPECT_EQ(CardMark(), 0);
}

TEST_F(InstallJobTest, ACancelDuringACopyLeavesNoPartialFile) {
    FileEntry& entry = AddFile("big.dat", 3 * platform::kCopyChunkBytes);
    // Cancel from inside the copy, once its first chunk is on the card.
    std::atomic<bool> cancelled{false};
    owner_.SetHook([&](const Message& m) {
        if (m.message == kMsgCopyFileProgress && m.l_param > 0 && !cancelled.exchange(true)) {
            job_.RequestCancel();
        }
    });
    ASSERT_EQ(Start(0, 0, 0), 1);
    ASSERT_TRUE(WaitUntil([&] { return cancelled.load(); }));
    job_.Cancel();

    EXPECT_FALSE(job_.IsRunning());
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData/big.dat")));
    EXPECT_TRUE(fs::is_empty(CardPath("Tarno/MapData")));  // no temporary file either
    EXPECT_EQ(entry.status.load(), FileStatus::kDownloaded);
    EXPECT_EQ(entry.percent.load(), 0);
    EXPECT_FALSE(owner_.Has(kMsgJobError));
    EXPECT_FALSE(owner_.Has(kMsgInstallComplete));
}

TEST_F(InstallJobTest, APulledCardFailsOnceAndNeverHangs) {
    AddFile("first.dat", 100);
    FileEntry& second = AddFile("second.dat", 100, FileStatus::kDownloading);
    ASSERT_EQ(Start(0, 0, 0), 1);
    ASSERT_TRUE(WaitUntil([&] { return device_.files[0].status.load() == FileStatus::kOnCard; }));
    cards_.Eject(CardPath());
    WritePcFile(second, std::string(100, 's'));
    second.status = FileStatus::kDownloaded;
    job_.file_ready().Set();
    WaitForEnd();
    EXPECT_EQ(owner_.Of(kMsgJobError), (std::vector<Message>{{kMsgJobError, 1, 0}}));
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData/second.dat")));
}

TEST_F(InstallJobTest, AFullCardFailsBeforeTheFirstCopy) {
    cards_.Insert({'E', 4 * kMb, CardPath()});
    WriteCard("Music/album.bin", std::string(3 * kMb, 'm'));
    AddFile("a.dat", 600 * 1024);
    AddFile("b.dat", 600 * 1024);
    Install(0, 0, 0);
    EXPECT_EQ(owner_.Of(kMsgJobError), (std::vector<Message>{{kMsgJobError, 2, 0}}));
    EXPECT_FALSE(owner_.Has(kMsgInstallFileChanged));
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData")));
}

TEST_F(InstallJobTest, PathsLeavingTheCardOrThePackageAreRefused) {
    fs::create_directories(box_.Path("outside"));
    FileEntry& escape = AddFile("x.dat", 10);
    escape.file_name = "../../../outside/x.dat";
    Install(0, 0, 0);
    EXPECT_EQ(owner_.Of(kMsgJobError), (std::vector<Message>{{kMsgJobError, 1, -3}}));
    EXPECT_TRUE(fs::is_empty(box_.Path("outside")));

    // A link on the card must not carry the copy off the card.
    owner_.Clear();
    device_.files.clear();
    fs::create_directories(CardPath("Tarno"));
    fs::create_directory_symlink(box_.Path("outside"), CardPath("Tarno/MapData"));
    AddFile("a.dat", 10);
    Install(0, 0, 0);
    EXPECT_EQ(owner_.Of(kMsgJobError), (std::vector<Message>{{kMsgJobError, 1, -3}}));
    EXPECT_TRUE(fs::is_empty(box_.Path("outside")));
}

TEST_F(InstallJobTest, InstallerAndSelfExtractingPartsAreCopiedAsTheyAre) {
    FileEntry& installer = AddFile("ovm.exe", 50, FileStatus::kDownloaded, "");
    FileEntry& map_part = AddFile("MAP.exe", 70);
    box_.Write("pc/data/TarnoPkg/메모리카드데이터/Tarno/MapData/MAP/TPEG_IMAGE/sub/t.img", "img");
    Install(0, 0, 0);

    EXPECT_EQ(owner_.Of(kMsgInstallComplete).size(), 1u);
    EXPECT_EQ(fs::file_size(CardPath("ovm.exe")), 50u);
    EXPECT_EQ(Sandbox::Read(CardPath("Tarno/MapData/MAP/TPEG_IMAGE/sub/t.img")), "img");
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData/MAP.exe")));
    for (const FileEntry* entry : {&installer, &map_part}) {
        EXPECT_EQ(entry->status.load(), FileStatus::kNotInJob) << entry->file_name;
    }
}

// A part marked downloaded whose folder holds nothing never reaches the card: that is a failed
// install, never a complete one.
TEST_F(InstallJobTest, AFolderPartWithNothingExtractedFailsTheInstall) {
    FileEntry& html_part = AddFile("HTML.exe", 70);
    Install(0, 0, 0);
    EXPECT_TRUE(owner_.Of(kMsgInstallComplete).empty());
    EXPECT_EQ(owner_.Of(kMsgJobError), (std::vector<Message>{{kMsgJobError, 1, 0}}));
    EXPECT_EQ(html_part.status.load(), FileStatus::kNotInJob);
    EXPECT_FALSE(fs::exists(CardPath("Tarno/MapData/HTML")));
}

}  // namespace
}  // namespace mapvale::card
