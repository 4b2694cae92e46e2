#include <gtest/gtest.h>

#include <filesystem>

#include "app/log_file.h"
#include "mapvale-servers/traffic_server.h"
#include "net/traffic_consent.h"
#include "net/traffic_packet.h"
#include "net/traffic_upload.h"
#include "platform/fake_clock.h"
#include "platform/files.h"
#include "support/sandbox.h"

namespace mapvale::net {
namespace {

using servers::TrafficServer;
using servers::TrafficServerConfig;
using testing::Sandbox;

// A card with probe files, its backup copy, and a traffic server on loopback.
class TrafficUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        card_ = box_.Path("card/Swiftpath_OrLa") + "/";
        backup_ = box_.Path("pc/Backup_20240510/Swiftpath_OrLa") + "/";
        box_.Write("card/Swiftpath_OrLa/Data/TraInfo/probe1.dat", std::string(1000, 'p'));
        box_.Write("card/Swiftpath_OrLa/Data/TraInfo/mfgps01.log", "gps");
        box_.Write("card/Swiftpath_OrLa/Data/TraInfo/linkspeed1.bin", "speed");
        box_.Write("card/Swiftpath_OrLa/Data/TraInfo/huge.dat", std::string(307200, 'h'));
        box_.Write("card/Swiftpath_OrLa/Data/Keep/keep.dat", "keep");
    }

    void StartServer(TrafficServerConfig config) {
        server_ = std::make_unique<TrafficServer>(std::move(config));
        ASSERT_TRUE(server_->Start("127.0.0.1", 0));
        servers_.Set(ServerConfig::kTraffic, "127.0.0.1:" + std::to_string(server_->port()));
    }

    int Upload(std::uint16_t unit_mode = 1) {
        PrepareTrafficUpload(state_, card_, backup_, unit_mode);
        return RunTrafficUpload(state_, servers_, log_.get(), platform::DefaultSleeper());
    }

    static TrafficServerConfig Wanting(std::vector<TrafficEntry> entries) {
        TrafficServerConfig config;
        config.issued_key = 777;
        config.wanted = std::move(entries);
        return config;
    }

    Sandbox box_;
    std::string card_;
    std::string backup_;
    ServerConfig servers_;
    std::unique_ptr<TrafficServer> server_;
    TrafficUploadState state_;
    platform::FakeClock clock_;
    std::unique_ptr<app::LogFile> log_;
};

TEST_F(TrafficUploadTest, AcceptedUploadDeletesExactlyTheFlaggedFiles) {
    StartServer(Wanting({{5, true, "Data/TraInfo"}, {6, false, "Data/Keep/keep.dat"}}));
    log_ = MakeTrafficLog(box_.Path("pc/"), clock_);
    EXPECT_EQ(Upload(), 1);

    const auto uploads = server_->uploads();
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].key, 777u);
    EXPECT_EQ(uploads[0].kind, 0x0140);
    // Folder files in name order, the 307200-byte file left out, types from the names.
    ASSERT_EQ(uploads[0].files.size(), 4u);
    EXPECT_EQ(uploads[0].files[0].type, 3);  // linkspeed1.bin
    EXPECT_EQ(uploads[0].files[1].type, 4);  // mfgps01.log
    EXPECT_EQ(uploads[0].files[2].type, 5);
    EXPECT_EQ(uploads[0].files[2].bytes, std::string(1000, 'p'));
    EXPECT_EQ(uploads[0].files[3].bytes, "keep");

    EXPECT_FALSE(platform::FileExists(card_ + "Data/TraInfo/probe1.dat"));
    EXPECT_TRUE(platform::FileExists(card_ + "Data/TraInfo/huge.dat"));  // never sent
    EXPECT_TRUE(platform::FileExists(card_ + "Data/Keep/keep.dat"));     // not flagged
    // The key the server issued is kept on the card for the next time.
    EXPECT_EQ(Sandbox::Read(card_ + "UserData/TraInfoAuth.key"), "777");
    EXPECT_NE(Sandbox::Read(box_.Path("pc/Log/traffic.log")).find("Snd: "), std::string::npos);

    // An emptied probe folder goes away; a known key is sent as it is.
    platform::DeleteFileForce(card_ + "Data/TraInfo/huge.dat");
    box_.Write("card/Swiftpath_OrLa/Data/TraInfo/probe2.dat", "x");
    EXPECT_EQ(Upload(2), 1);
    EXPECT_EQ(server_->key_requests().back(), 777u);
    EXPECT_EQ(server_->uploads().back().kind, 0x1140);
    EXPECT_FALSE(platform::FolderExists(card_ + "Data/TraInfo"));
}

TEST_F(TrafficUploadTest, RefusedOrDroppedUploadKeepsEveryCardFile) {
    for (auto mode : {TrafficServerConfig::Upload::kRefuse, TrafficServerConfig::Upload::kDrop}) {
        TrafficServerConfig config = Wanting({{5, true, "Data/TraInfo"}});
        config.upload = mode;
        StartServer(config);
        EXPECT_EQ(Upload(), 0);
        EXPECT_EQ(server_->uploads().size(), 1u);
        EXPECT_TRUE(platform::FileExists(card_ + "Data/TraInfo/probe1.dat"));
        EXPECT_TRUE(platform::FileExists(card_ + "Data/TraInfo/mfgps01.log"));
    }
}

TEST_F(TrafficUploadTest, BackupIsTheSourceWithoutCardProbeFolder) {
    platform::DeleteFolderTree(card_ + "Data/TraInfo");
    box_.Write("pc/Backup_20240510/Swiftpath_OrLa/Data/TraInfo/probe9.dat", "from backup");
    box_.Write("card/Swiftpath_OrLa/Data/TraInfo.txt", "unrelated");
    StartServer(Wanting({{5, true, "Data/TraInfo/probe9.dat"}, {5, true, "../../escape.dat"}}));
    box_.Write("escape.dat", "outside");
    EXPECT_EQ(Upload(), 1);
    const auto uploads = server_->uploads();
    ASSERT_EQ(uploads[0].files.size(), 1u);
    EXPECT_EQ(uploads[0].files[0].bytes, "from backup");
    EXPECT_EQ(Sandbox::Read(box_.Path("escape.dat")), "outside");
}

TEST_F(TrafficUploadTest, LinksAreNeitherReadNorDeleted) {
    namespace fs = std::filesystem;
    box_.Write("outside/probe1.dat", "private 1");
    box_.Write("outside/inner/probe2.dat", "private 2");
    box_.Write("outside/secret.dat", "private 3");
    box_.Write("outside/keys/.keep", "");

    // A real probe folder holding a linked file and a linked folder; a linked key folder.
    box_.Write("card/Swiftpath_OrLa/Data/TraInfo/own.dat", "own");
    fs::create_symlink(box_.Path("outside/secret.dat"), card_ + "Data/TraInfo/secret.dat");
    fs::create_symlink(box_.Path("outside/inner"), card_ + "Data/TraInfo/inner");
    fs::create_symlink(box_.Path("outside/keys"), card_ + "UserData");
    StartServer(Wanting({{5, true, "Data/TraInfo/secret.dat"},
                         {5, true, "Data/TraInfo/inner"},
                         {5, true, "Data/TraInfo/inner/probe2.dat"},
                         {6, true, "Data/TraInfo/own.dat"}}));
    EXPECT_EQ(Upload(), 1);
    ASSERT_EQ(server_->uploads().size(), 1u);
    ASSERT_EQ(server_->uploads()[0].files.size(), 1u);
    EXPECT_EQ(server_->uploads()[0].files[0].bytes, "own");
    EXPECT_FALSE(platform::FileExists(card_ + "Data/TraInfo/own.dat"));
    EXPECT_TRUE(fs::is_symlink(card_ + "Data/TraInfo/secret.dat"));
    EXPECT_EQ(Sandbox::Read(box_.Path("outside/inner/probe2.dat")), "private 2");
    EXPECT_FALSE(platform::FileExists(box_.Path("outside/keys/TraInfoAuth.key")));

    // A linked probe folder is no probe folder: the backup is the source, and the card path of
    // what it sent leads through the link, so nothing is deleted there.
    platform::DeleteFolderTree(card_ + "Data/TraInfo");
    fs::create_symlink(box_.Path("outside"), card_ + "Data/TraInfo");
    box_.Write("pc/Backup_20240510/Swiftpath_OrLa/Data/TraInfo/probe1.dat", "backup 1");
    StartServer(Wanting({{5, true, "Data/TraInfo"}, {5, true, "Data/TraInfo/probe1.dat"}}));
    EXPECT_EQ(Upload(), 1);
    ASSERT_EQ(server_->uploads().size(), 1u);
    ASSERT_EQ(server_->uploads()[0].files.size(), 2u);
    EXPECT_EQ(server_->uploads()[0].files[0].bytes, "backup 1");
    EXPECT_EQ(server_->uploads()[0].files[1].bytes, "backup 1");
    EXPECT_EQ(Sandbox::Read(box_.Path("outside/probe1.dat")), "private 1");
    EXPECT_EQ(Sandbox::Read(box_.Path("outside/secret.dat")), "private 3");
    EXPECT_TRUE(fs::is_symlink(card_ + "Data/TraInfo"));
}

TEST_F(TrafficUploadTest, FailuresBeforeTheUpload) {
    TrafficServerConfig config = Wanting({{5, true, "Data/TraInfo"}});
    config.drop_key_request = true;
    StartServer(config);
    EXPECT_EQ(Upload(), 0);
    EXPECT_TRUE(server_->uploads().empty());

    StartServer(Wanting({{5, true, "Data/Nothing"}}));
    EXPECT_EQ(Upload(), 0);  // an empty upload list is a failure
    EXPECT_TRUE(server_->uploads().empty());

    server_.reset();  // nobody listens
    EXPECT_EQ(Upload(), 0);
    EXPECT_TRUE(platform::FileExists(card_ + "Data/TraInfo/probe1.dat"));
}

TEST(TrafficConsentTest, ChoiceIsRecordedAndReportedOnlyWhenItChanges) {
    Sandbox box;
    platform::FileSettingsStore store(box.path());
    platform::Profile profile(store, "VELMORA", "TSKN_Waymark+");
    platform::FakeClock clock;
    clock.SetLocal(2024, 5, 20);
    app::AppSettings settings;
    std::vector<std::pair<std::string, bool>> reports;
    auto report = [&](std::string_view user, bool agreed) {
        reports.emplace_back(std::string(user), agreed);
        return true;
    };

    EXPECT_EQ(ApplyTrafficChoice(TrafficChoice::kAgree, settings, profile, clock, report), 0);
    EXPECT_TRUE(reports.empty());

    settings.user_id = "alice";
    settings.traffic_last_ack = 1;
    EXPECT_EQ(ApplyTrafficChoice(TrafficChoice::kAgree, settings, profile, clock, report), 1);
    EXPECT_TRUE(reports.empty());  // same as reported
    EXPECT_EQ(profile.GetProfileInt("USER\\alice", "TRAFFIC", -1), 1);

    EXPECT_EQ(ApplyTrafficChoice(TrafficChoice::kDecline, settings, profile, clock, report), 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], std::make_pair(std::string("alice"), false));
    EXPECT_EQ(settings.traffic_last_ack, 0);
    EXPECT_EQ(profile.GetProfileInt("USER\\alice", "TRAFFIC_LAST_ACK", -1), 0);
    EXPECT_EQ(profile.GetProfileInt("USER\\alice\\TRA_NOTI_TIME\\", "YEAR", 0), 2024);
    EXPECT_EQ(profile.GetProfileInt("USER\\alice\\TRA_NOTI_TIME\\", "MON", 0), 5);
    EXPECT_EQ(profile.GetProfileInt("USER\\alice\\TRA_NOTI_TIME\\", "DAY", 0), 20);
}

}  // namespace
}  // namespace mapvale::net
