#include "tray_fixture.h"

namespace mapvale::tray::test {
namespace {

constexpr std::string_view kVersionQuery = "/WMK/WMKChkVersion.mms";

class CardCheckTest : public TrayTest {
protected:
    void SetUp() override {
        TrayTest::SetUp();
        Serve();
        SetNotificationMode(1);
    }

    // A running agent; no card is plugged in yet.
    AgentRun& Agent() {
        AgentRun& agent = Start();
        EXPECT_TRUE(agent.dialog);
        return agent;
    }

    // Points the registration server at a plain content server that answers the version query
    // with `answer` (and serves `files`).
    void AnswerVersionQueryWith(const std::string& answer,
                                std::vector<std::pair<std::string, std::string>> files = {}) {
        box_.Write("static/WMK/WMKChkVersion.mms", answer);
        for (const auto& [path, bytes] : files) {
            box_.Write("static/" + path, bytes);
        }
        static_server_ = std::make_unique<testing::ServerProcess>(std::vector<std::string>{
            "serve", "--content", box_.Path("static"), "--request-log", box_.Path("static.log")});
        ASSERT_TRUE(static_server_->ok()) << static_server_->error();
        box_.Write("program/Info/Servers.ini",
                   "[Servers]\nregistration = " + static_server_->address() +
                       "\nupdate = " + server_->address() + "\n");
    }

    std::unique_ptr<testing::ServerProcess> static_server_;
};

TEST_F(CardCheckTest, ComparesTheCardsRecordWithThePackage) {
    AgentRun& agent = Agent();
    // An ORLA-layout card: its record in TSKN_Ver_Info.
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 1)}});
    Report(agent, 'G');
    // An interrupted install is old even though every file matches.
    InsertCard('H', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 0)}});
    Report(agent, 'H');
    // A file the install had not copied yet (-1), a file the package does not list and a package
    // file the card does not record change nothing.
    InsertCard('I', {{"TSKN_Ver_Info/HX100.ver",
                      CardVersionFile("HX100", 1, [](std::vector<std::string>& lines) {
                          const std::size_t bar = lines[0].find('|', lines[0].find('|') + 1);
                          lines[0] = lines[0].substr(0, bar) + "|-1|0";
                          lines.push_back("Orla|notinpackage.dat|99|0");
                          lines.pop_back();
                          lines.erase(lines.begin() + 1);
                          lines.push_back("Orla|notinpackage.dat|99|0");
                      })}});
    Report(agent, 'I');
    // Another version of one file.
    InsertCard('J', {{"TSKN_Ver_Info/HX100.ver",
                      CardVersionFile("HX100", 1, [](std::vector<std::string>& lines) {
                          const std::size_t bar = lines[0].find('|', lines[0].find('|') + 1);
                          lines[0] = lines[0].substr(0, bar) + "|12345|0";
                      })}});
    Report(agent, 'J');
    EXPECT_EQ(agent.ui.PopupTypes(), (std::vector<int>{2, 1, 2, 1}));
    EXPECT_EQ(agent.ui.popups[1].text, "업데이트가 필요합니다.");
    EXPECT_EQ(agent.ui.popups[1].mode, 1);
    EXPECT_TRUE(launcher_.requests().empty());

    // One package, one question a run: the cache answered the later arrivals.
    EXPECT_EQ(RequestsTo(kVersionQuery, 1), 1u);
    ASSERT_EQ(agent.dialog->answer_cache().answers().size(), 1u);
    const CachedAnswer& cached = agent.dialog->answer_cache().answers()[0];
    EXPECT_EQ(cached.package_name, "HX100");
    EXPECT_EQ(cached.version_label, "2024.01");
    EXPECT_EQ(cached.server_version, 20240115);
    EXPECT_EQ(cached.package_info_address, server_->Url("/vehicle/Waymark/PackageInfo/HX100.inf"));
    const auto logged = testing::ReadRequestLog(world_.RequestLog());
    const auto query = std::find_if(logged.begin(), logged.end(),
                                    [](const auto& r) { return r.path == kVersionQuery; });
    ASSERT_NE(query, logged.end());
    EXPECT_EQ(query->query, (std::vector<std::pair<std::string, std::string>>{
                                {"D1", "HX100"}, {"D2", "OV"}, {"D3", ""}}));
}

TEST_F(CardCheckTest, TheNotificationModeDecidesWhatTheUserSees) {
    AgentRun& agent = Agent();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 0)}});
    InsertCard('H', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 1)}});
    // Mode 2: no check at all, not even a question.
    SetNotificationMode(2);
    Report(agent, 'G');
    EXPECT_TRUE(agent.ui.popups.empty());
    EXPECT_EQ(RequestsTo(kVersionQuery), 0u);
    // Mode 0: an old card starts the updater at once, without a popup; a current one still shows
    // its popup.
    SetNotificationMode(0);
    Report(agent, 'H');
    Report(agent, 'G');
    EXPECT_EQ(agent.ui.PopupTypes(), std::vector<int>{2});
    EXPECT_EQ(agent.ui.popups[0].mode, 0);
    ASSERT_EQ(launcher_.requests().size(), 1u);
    EXPECT_EQ(launcher_.requests()[0].program, ProgramFolder() + "Mapvale");
    EXPECT_EQ(launcher_.requests()[0].arguments, std::vector<std::string>{"-SYSTRAY"});
    // A missing value counts as 0.
    store_.DeleteValue(platform::SettingsRoot::kUser, "Software\\Velmora\\TSKN_Waymark+\\USER",
                       "BIG");
    RunFor(agent, std::chrono::seconds(7));  // the updater "ended"; the quiet period passes
    Report(agent, 'G');
    EXPECT_EQ(launcher_.requests().size(), 2u);
}

TEST_F(CardCheckTest, MaintenanceShowsOnEveryArrivalUntilTheServerIsBack) {
    AgentRun& agent = Agent();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 1)}});
    for (const int status : {0, 2}) {
        SetVersionStatus(status);
        Report(agent, 'G');
    }
    EXPECT_EQ(agent.ui.PopupTypes(), (std::vector<int>{5, 5}));
    EXPECT_EQ(agent.ui.popups[0].text, "정기 업데이트 중입니다. 잠시 후에 시도해 주세요.");
    EXPECT_TRUE(agent.dialog->answer_cache().answers().empty());
    SetVersionStatus(1);
    Report(agent, 'G');
    Report(agent, 'G');
    EXPECT_EQ(agent.ui.PopupTypes(), (std::vector<int>{5, 5, 2, 2}));
    EXPECT_EQ(RequestsTo(kVersionQuery, 3), 3u);
}

TEST_F(CardCheckTest, FailedQuestionsShowNothingAndAreAskedAgain) {
    AgentRun& agent = Agent();
    // A package the server does not know answers 404 in its payload.
    InsertCard('G', {{"TSKN_Ver_Info/NOPE.ver", "*|1|2|NOPE|x|1|0|1\n"}});
    Report(agent, 'G');
    Report(agent, 'G');
    EXPECT_EQ(RequestsTo(kVersionQuery, 2), 2u);
    EXPECT_TRUE(agent.ui.popups.empty());
    EXPECT_TRUE(agent.dialog->answer_cache().answers().empty());
}

TEST_F(CardCheckTest, AnHttpFailureShowsNothing) {
    server_.reset();
    server_ = std::make_unique<testing::ServerProcess>(
        std::vector<std::string>{"serve", "--world", world_.folder, "--status", "500:/WMK/*"});
    ASSERT_TRUE(server_->ok()) << server_->error();
    std::filesystem::copy_file(world_.ServersIni(), ProgramFolder() + "Info/Servers.ini",
                               std::filesystem::copy_options::overwrite_existing);
    AgentRun& agent = Agent();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 0)}});
    Report(agent, 'G');
    Report(agent, 'G');
    EXPECT_TRUE(agent.ui.popups.empty());
    EXPECT_EQ(RequestsTo(kVersionQuery, 2), 2u);
}

TEST_F(CardCheckTest, AnAnswerWithoutEnvelopeShowsNothing) {
    AnswerVersionQueryWith("200|*|20240115|*|1|*|http://x/HX100.inf");
    AgentRun& agent = Agent();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 0)}});
    Report(agent, 'G');
    EXPECT_TRUE(agent.ui.popups.empty());
    EXPECT_TRUE(agent.dialog->answer_cache().answers().empty());
}

TEST_F(CardCheckTest, AnUnreachablePackageFileLeavesTheHeaderToDecide) {
    // The address has neither scheme nor path, and nothing listens there.
    AnswerVersionQueryWith("#!#200|*|1234567|*|1|*|127.0.0.1:1");
    AgentRun& agent = Agent();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver",
                      CardVersionFile("HX100", 1, [](std::vector<std::string>& lines) {
                          lines.push_back("Orla|map.dat|1|0");
                      })}});
    InsertCard('H', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 0)}});
    Report(agent, 'G');
    Report(agent, 'H');
    EXPECT_EQ(agent.ui.PopupTypes(), (std::vector<int>{2, 1}));
    ASSERT_EQ(agent.dialog->answer_cache().answers().size(), 1u);
    EXPECT_EQ(agent.dialog->answer_cache().answers()[0].server_version, 12345607);
}

TEST_F(CardCheckTest, TheCheckLooksOnlyWhereTheCardKeepsItsRecord) {
    AgentRun& agent = Agent();
    // A marker folder without a record beside a root record: the marker folder is where the
    // check looks, so this card is not checked.
    InsertCard('G',
               {{"TSKN_Ver_Info/readme.txt", "x"}, {"HX100.ver", CardVersionFile("HX100", 1)}});
    // A card without the marker folder keeps its record at the root.
    InsertCard('H', {{"HX100.ver", CardVersionFile("HX100", 1)}});
    // A card without any record, and one whose record is not a version file.
    InsertCard('I', {{"TSKN_Ver_Info/x.txt", "x"}});
    InsertCard('J', {{"TSKN_Ver_Info/HX100.ver", std::string(5000, '\x01') + "\n|||\n"}});
    for (const char letter : {'G', 'H', 'I', 'J', 'K'}) {
        Report(agent, letter);
    }
    EXPECT_EQ(agent.ui.PopupTypes(), std::vector<int>{2});
    EXPECT_EQ(RequestsTo(kVersionQuery, 1), 1u);
}

TEST_F(CardCheckTest, CardsArrivingWhileRunningAreReportedByTheWatcher) {
    AgentRun& agent = Agent();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 1)}});
    ASSERT_TRUE(testing::WaitUntil([&] {
        agent.Pump();
        return !agent.ui.popups.empty();
    }));
    EXPECT_EQ(agent.ui.PopupTypes(), std::vector<int>{2});
}

}  // namespace
}  // namespace mapvale::tray::test
