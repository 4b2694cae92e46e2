#pragma once

// A recording front end for the tray agent and a fixture around it: a demo world served by the
// real stand-in servers, a program folder made from the world's overlay, a settings store,
// virtual cards, real instance endpoints, a recording launcher and a fake clock that the
// timers run on.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "catalog/card_paths.h"
#include "catalog/package_info_parser.h"
#include "catalog/text_file.h"
#include "mapvale-servers/world.h"
#include "mapvale-servers/world_settings.h"
#include "model/messages.h"
#include "platform/encoding.h"
#include "platform/fake_clock.h"
#include "platform/files.h"
#include "platform/message_queue.h"
#include "platform/settings_store.h"
#include "platform/virtual_volumes.h"
#include "platform/volumes.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "tray/popup_text.h"
#include "tray/tray_agent.h"
#include "tray/tray_app.h"
#include "tray/tray_constants.h"
#include "update/update_fixtures.h"

namespace mapvale::tray::test {

// What the agent asked of its front end, with timers kept on the fake clock.
class RecordingUi final : public TrayUi {
public:
    struct Popup {
        int type = 0;
        std::string text;
        int mode = 0;
    };
    struct Timer {
        int period = 0;
        std::int64_t due = 0;
    };

    explicit RecordingUi(platform::FakeClock& clock) : clock_(clock) {}

    bool AddTrayIcon(std::string_view tip) override {
        tip_ = std::string(tip);
        return accept_icon;
    }
    void SetTrayIcon(int resource) override { icon = resource; }
    void RemoveTrayIcon() override { tip_.reset(); }
    void ShowPopup(int type, std::string_view text, int mode) override {
        popups.push_back({type, std::string(text), mode});
    }
    void ShowNoticeWindow(const std::string& url, std::string_view title) override {
        notices.push_back(url + " " + std::string(title));
    }
    void SetTimer(int id, int milliseconds) override {
        timers[id] = {milliseconds, clock_.NowMs() + milliseconds};
    }
    void KillTimer(int id) override { timers.erase(id); }
    void Quit() override {
        ++quits;
        if (on_quit) {
            on_quit();
        }
    }

    const std::optional<std::string>& tip() const { return tip_; }
    std::vector<int> PopupTypes() const {
        std::vector<int> types;
        for (const Popup& popup : popups) {
            types.push_back(popup.type);
        }
        return types;
    }

    bool accept_icon = true;
    int icon = 0;
    std::vector<Popup> popups;
    std::vector<std::string> notices;
    std::map<int, Timer> timers;
    int quits = 0;
    std::function<void()> on_quit;

private:
    platform::FakeClock& clock_;
    std::optional<std::string> tip_;
};

// A sleeper on the fake clock that lets the test act at every sleep (another agent handles its
// messages meanwhile, as it would in its own process).
class HookedSleeper final : public platform::Sleeper {
public:
    explicit HookedSleeper(platform::FakeClock& clock) : inner_(clock) {}
    void Sleep(std::chrono::milliseconds duration) override {
        inner_.Sleep(duration);
        slept += duration;
        if (on_sleep) {
            on_sleep();
        }
    }
    bool WaitFor(platform::Event& event, std::chrono::milliseconds timeout) override {
        return inner_.WaitFor(event, timeout);
    }

    std::function<void()> on_sleep;
    std::chrono::milliseconds slept{0};

private:
    platform::FakeSleeper inner_;
};

// Draws from a list, then its last value again.
class ListedDraws final : public RandomDraw {
public:
    explicit ListedDraws(std::vector<int> draws) : draws_(std::move(draws)) {}
    int Next() override {
        const int draw = draws_[std::min(next_, draws_.size() - 1)];
        ++next_;
        return draw;
    }

private:
    std::vector<int> draws_;
    std::size_t next_ = 0;
};

// One agent process: its queue, front end, application object and window.
struct AgentRun {
    AgentRun(platform::FakeClock& clock) : ui(clock) {}

    platform::MessageQueue queue;
    RecordingUi ui;
    std::unique_ptr<TSKN_CRozavIzivApp> app;
    std::unique_ptr<TSKN_CRozavIzivDlg> dialog;

    // Hands every message posted so far to the window.
    void Pump() {
        while (const auto message = queue.TryTake()) {
            if (dialog) {
                dialog->HandleMessage(message->message, message->w_param, message->l_param);
            }
        }
    }
};

class TrayTest : public ::testing::Test {
protected:
    TrayTest() : world_(box_.Path("world")), store_(box_.Path("settings")), volumes_({&cards_}) {}

    void SetUp() override { MakeWorld(false); }

    // The world (made once per kind and program run, copied for each test: making one costs
    // far more than copying it).
    void MakeWorld(bool offer_update) {
        static testing::Sandbox templates;
        const std::string folder = templates.Path(offer_update ? "offered" : "current");
        if (!std::filesystem::exists(folder + "/world.conf")) {
            servers::WorldOptions options;
            options.folder = folder;
            options.offer_update = offer_update;
            std::string error;
            ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
        }
        std::filesystem::remove_all(world_.folder);
        std::filesystem::copy(folder, world_.folder, std::filesystem::copy_options::recursive);
    }

    // Serves the world and makes the program folder from its overlay, with the unpacker, and
    // names it in the settings as the installer does.
    void Serve() {
        server_ = std::make_unique<testing::ServerProcess>(
            std::vector<std::string>{"serve", "--world", world_.folder});
        ASSERT_TRUE(server_->ok()) << server_->error();
        std::filesystem::remove_all(ProgramFolder());
        std::filesystem::copy(world_.ProgramFolder(), ProgramFolder(),
                              std::filesystem::copy_options::recursive);
        const char* programs = std::getenv("MAPVALE_PROGRAM_DIR");
        ASSERT_NE(programs, nullptr);
        std::filesystem::copy_file(std::string(programs) + "/ZipModule",
                                   ProgramFolder() + "ZipModule");
        store_.SetString(platform::SettingsRoot::kUser, "Software\\Velmora\\TSKN_Waymark+\\PATH",
                         "INSTALL", ProgramFolder());
    }

    std::string ProgramFolder() const { return box_.Path("program") + "/"; }

    TrayServices Services(std::vector<std::string> arguments = {}) {
        TrayServices services;
        services.settings = &store_;
        services.arguments = std::move(arguments);
        services.default_program_folder = box_.Path("default-program");
        services.lock_folder = box_.Path("locks");
        services.volumes = &volumes_;
        services.launcher = &launcher_;
        services.instances = &instances_;
        services.clock = &clock_;
        services.sleeper = &sleeper_;
        services.random = &draws_;
        services.elevation = &elevation_;
        return services;
    }

    // An agent that started (or did not) with `arguments`; its window exists when it did.
    AgentRun& Start(std::vector<std::string> arguments = {}) {
        std::filesystem::create_directories(box_.Path("locks"));
        auto run = std::make_unique<AgentRun>(clock_);
        AgentRun& agent = *run;
        runs_.push_back(std::move(run));
        agent.app = std::make_unique<TSKN_CRozavIzivApp>(Services(arguments));
        if (!agent.app->InitInstance(agent.queue)) {
            agent.app.reset();
            return agent;
        }
        agent.dialog = std::make_unique<TSKN_CRozavIzivDlg>(
            agent.ui, agent.queue, Services(std::move(arguments)), agent.app->restart_flag());
        // The program ends as the front end's loop does: the window goes, then the process.
        agent.ui.on_quit = [&agent] { agent.app->ExitInstance(); };
        agent.dialog->OnInitDialog();
        agent.Pump();
        return agent;
    }

    // Moves the fake clock on by `duration`, firing every timer of `agent` that falls due on the
    // way (in time order) and handing the messages they cause to the window.
    void RunFor(AgentRun& agent, std::chrono::milliseconds duration) {
        const std::int64_t end = clock_.NowMs() + duration.count();
        for (;;) {
            agent.Pump();
            if (!agent.dialog || agent.dialog->closed()) {
                break;
            }
            auto next = agent.ui.timers.end();
            for (auto it = agent.ui.timers.begin(); it != agent.ui.timers.end(); ++it) {
                if (it->second.due <= end &&
                    (next == agent.ui.timers.end() || it->second.due < next->second.due)) {
                    next = it;
                }
            }
            if (next == agent.ui.timers.end()) {
                break;
            }
            const int id = next->first;
            clock_.SetNowMs(std::max(clock_.NowMs(), next->second.due));
            next->second.due += next->second.period;
            agent.dialog->HandleMessage(kWmTimer, static_cast<platform::WParam>(id), 0);
        }
        if (clock_.NowMs() < end) {
            clock_.SetNowMs(end);
        }
    }

    // A virtual card at `letter`; `files` are (path on the card, bytes).
    std::string InsertCard(char letter, std::vector<std::pair<std::string, std::string>> files) {
        const std::string folder = box_.Path(std::string("card-") + letter);
        std::filesystem::create_directories(folder);
        for (const auto& [path, bytes] : files) {
            box_.Write(std::string("card-") + letter + "/" + path, bytes);
        }
        const auto config =
            platform::ParseVirtualVolumeConfig(std::string(1, letter) + ": 2G " + folder);
        EXPECT_EQ(config.entries.size(), 1u);
        cards_.Insert(config.entries.front());
        return folder + "/";
    }

    // The version file the updater leaves on a card that holds `model`'s package from the world,
    // with completion mark `mark`; `edit` may change the file lines ("folder|name|version|0")
    // first.
    std::string CardVersionFile(const std::string& model, int mark,
                                const std::function<void(std::vector<std::string>&)>& edit = {}) {
        const auto bytes = platform::ReadWholeFile(
            world_.Content() + "/vehicle/Waymark/PackageInfo/" + model + ".inf");
        EXPECT_TRUE(bytes);
        PackageInfo package;
        catalog::ParsePackageInfoText(
            package,
            platform::Cp949ToUtf8(bytes.value_or(""), platform::InvalidBytes::kReplace).text,
            catalog::EntrySections::kFilesOnly);
        std::vector<std::string> lines;
        for (const FileEntry& entry : package.entries) {
            lines.push_back(catalog::CardVersionFolderText(entry.destination_path, model) + "|" +
                            entry.file_name + "|" + std::to_string(entry.version) + "|0");
        }
        if (edit) {
            edit(lines);
        }
        std::string text =
            "*|20240115|2024012|" + model + "|2024.01|1|0|" + std::to_string(mark) + "\n";
        for (const std::string& line : lines) {
            text += line + "\n";
        }
        return catalog::ToCp949(text);
    }

    // Posts what the drive watcher posts for a card that arrives (or goes) at `letter`.
    static void Report(AgentRun& agent, char letter, bool arrived = true) {
        agent.dialog->HandleMessage(
            kMsgDriveChange,
            static_cast<platform::WParam>((arrived ? kDriveArrived : kDriveRemoved) |
                                          static_cast<unsigned char>(letter)),
            0);
    }

    // Requests of the world's servers to `path` so far (the log's lines are written after the
    // answers; waited for up to `expected`).
    std::size_t RequestsTo(std::string_view path, std::size_t expected = 0) {
        const auto count = [&] {
            std::size_t n = 0;
            for (const auto& request : testing::ReadRequestLog(world_.RequestLog())) {
                n += request.path == path ? 1 : 0;
            }
            return n;
        };
        if (expected > 0) {
            testing::WaitUntil([&] { return count() >= expected; });
        }
        return count();
    }

    void SetNotificationMode(std::uint32_t mode) {
        store_.SetDword(platform::SettingsRoot::kUser, "Software\\Velmora\\TSKN_Waymark+\\USER",
                        "BIG", mode);
    }
    void SetVersionStatus(int status) {
        std::string error;
        auto settings = servers::WorldSettings::Load(world_.Settings(), error);
        ASSERT_TRUE(settings) << error;
        settings->version_status = status;
        box_.Write("world/world.conf", settings->Format());
    }

    testing::Sandbox box_;
    servers::WorldLayout world_;
    std::unique_ptr<testing::ServerProcess> server_;
    platform::FileSettingsStore store_;
    platform::VirtualVolumes cards_;
    platform::MachineVolumes volumes_;
    platform::FakeClock clock_;
    HookedSleeper sleeper_{clock_};
    update::test::RecordingLauncher launcher_;
    update::test::FakeElevation elevation_{true};
    ListedDraws draws_{{0, 0, 0, 8192, 0}};  // the fourth: one hour
    platform::SocketInstanceService instances_{"tray-test-" + std::to_string(::getpid())};
    std::vector<std::unique_ptr<AgentRun>> runs_;
};

}  // namespace mapvale::tray::test
