#pragma once

// A scripted front end for the controller and a fixture around it: a demo world served by the
// real stand-in servers, a program folder made from the world's overlay, a settings store,
// virtual cards, a fake clock for the controller's own time and real time for its workers.

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "controller/controller_state.h"
#include "controller/frame_ui.h"
#include "controller/main_frame.h"
#include "mapvale-servers/world.h"
#include "model/messages.h"
#include "platform/fake_clock.h"
#include "platform/message_queue.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "platform/virtual_volumes.h"
#include "platform/volumes.h"
#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::controller::test {

// What the front end was asked to do, one line per call ("create 22", "box 종료 확인|...").
class ScriptedUi final : public FrameUi {
public:
    struct Box {
        std::string text;
        std::string caption;
        Buttons buttons;
        Icon icon;
        Owner owner;
    };

    bool CreateWizardScreen(int number, std::optional<int> place_over) override {
        const bool known = number == 1 || number == 2 || number == 3 || number == 4 || number == 22;
        Log("create " + std::to_string(number) +
            (place_over ? " over " + std::to_string(*place_over) : ""));
        return known;
    }
    void DestroyWizardScreen(int number) override { Log("destroy " + std::to_string(number)); }
    void CreateMainScreen() override { Log("main"); }
    void DestroyMainScreen() override { Log("main gone"); }
    void EnableStartButton() override { ++start_button_enabled; }
    void RefreshLists() override { ++lists_refreshed; }
    void RefreshOptions() override { ++options_refreshed; }
    void ShowInstallPage() override {}
    void RepaintProgress() override { ++repaints; }
    void SetStartButtonBitmap(int resource) override { Log("bitmap " + std::to_string(resource)); }
    void NavigateBanner(const std::string& url) override { Log("navigate " + url); }
    bool TakeSkipQuestionFlag() override { return std::exchange(skip_question, false); }
    void DisableWizardOptions() override { ++options_disabled; }
    std::optional<std::pair<bool, bool>> WizardFormatAndBackupChoice() override {
        return wizard_choice;
    }

    Answer MessageBox(std::string_view text, std::string_view caption, Buttons buttons, Icon icon,
                      Owner owner) override {
        boxes.push_back({std::string(text), std::string(caption), buttons, icon, owner});
        Log("box " + std::string(caption));
        if (on_box) {
            on_box(boxes.back());
        }
        if (!answers.empty()) {
            const Answer answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        }
        return buttons == Buttons::kOk || buttons == Buttons::kOkCancel ? Answer::kOk
                                                                        : Answer::kYes;
    }

    UpdateOutcome RunSelfUpdateDialog(const update::UpdateSetup&) override {
        Log("self-update");
        return update_outcome;
    }
    bool RunSignInDialog() override {
        Log("sign-in");
        return frame != nullptr && frame->RunSignIn(user, brand, password) == 1;
    }
    int RunNoticeDialog(const std::string& text) override {
        Log("notice " + text);
        return notice_answer;
    }
    bool RunReconsentDialog() override {
        ++reconsent_dialogs;
        return reconsent_answer;
    }
    void OpenWithDesktop(const std::string& target) override { Log("open " + target); }
    void StartProgram(const std::string& path) override { Log("start " + path); }
    std::optional<std::string> ChooseFolder(const std::string& initial,
                                            std::string_view title) override {
        Log("choose " + initial);
        folder_titles.emplace_back(title);
        if (folders.empty()) {
            return std::nullopt;
        }
        std::string folder = folders.front();
        folders.erase(folders.begin());
        return folder;
    }
    int CallMapPageScript(const std::string& name, const std::vector<int>& arguments) override {
        std::string line = "page " + name + "(";
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            line += (i == 0 ? "" : ",") + std::to_string(arguments[i]);
        }
        Log(line + ")");
        return 1;
    }
    void SetTimer(int id, int milliseconds) override { timers[id] = milliseconds; }
    void KillTimer(int id) override { timers.erase(id); }

    bool Did(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    void Log(std::string line) { log.push_back(std::move(line)); }

    CMainFrame* frame = nullptr;
    std::string user = "hong";
    std::string brand = "OV";
    std::string password = "1234";
    UpdateOutcome update_outcome = UpdateOutcome::kContinue;
    int notice_answer = 1;
    bool reconsent_answer = true;
    bool skip_question = false;
    std::optional<std::pair<bool, bool>> wizard_choice;
    std::vector<Answer> answers;  // taken in order; then OK/Yes
    std::function<void(const Box&)> on_box;
    std::vector<std::string> folders;
    std::vector<std::string> folder_titles;

    std::vector<std::string> log;
    std::vector<Box> boxes;
    std::map<int, int> timers;
    int start_button_enabled = 0;
    int lists_refreshed = 0;
    int options_refreshed = 0;
    int options_disabled = 0;
    int repaints = 0;
    int reconsent_dialogs = 0;
};

class FrameTest : public ::testing::Test {
protected:
    FrameTest()
        : world_(box_.Path("world")),
          store_(box_.Path("settings")),
          profile_(store_, "VELMORA", "TSKN_Waymark+"),
          volumes_({&cards_}) {}

    void SetUp() override {
        servers::WorldOptions options;
        options.folder = world_.folder;
        std::string error;
        ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
        std::filesystem::create_directories(box_.Path("data"));
    }

    // Serves the world and makes the program folder from its overlay, with the unpacker.
    void Serve(const std::vector<std::string>& options = {}) {
        std::vector<std::string> arguments{"serve", "--world", world_.folder};
        arguments.insert(arguments.end(), options.begin(), options.end());
        server_ = std::make_unique<testing::ServerProcess>(arguments);
        ASSERT_TRUE(server_->ok()) << server_->error();
        std::filesystem::copy(world_.ProgramFolder(), ProgramFolder(),
                              std::filesystem::copy_options::recursive);
        const char* programs = std::getenv("MAPVALE_PROGRAM_DIR");
        ASSERT_NE(programs, nullptr);
        std::filesystem::copy_file(std::string(programs) + "/ZipModule",
                                   ProgramFolder() + "ZipModule");
    }

    std::string ProgramFolder() const { return box_.Path("program") + "/"; }
    std::string DataFolder() const { return box_.Path("data") + "/"; }

    FrameServices Services(std::vector<std::string> arguments = {}) {
        FrameServices services;
        services.profile = &profile_;
        services.arguments = std::move(arguments);
        services.folder_defaults = {ProgramFolder(), DataFolder()};
        services.volumes = &volumes_;
        services.clock = &clock_;
        services.sleeper = &sleeper_;
        services.instances = &instances_;
        services.may_write_folder = may_write_folder_;
        services.picture_cache_folder = box_.Path("cache/Product") + "/";
        return services;
    }

    // A frame driven by `ui_`; `arguments` is its command line.
    CMainFrame& MakeFrame(std::vector<std::string> arguments = {}) {
        frame_ = std::make_unique<CMainFrame>(ui_, queue_, Services(std::move(arguments)));
        ui_.frame = frame_.get();
        return *frame_;
    }

    // Start-up against the served world, signed in as ui_.user.
    CMainFrame& StartedFrame() {
        if (!server_) {
            Serve();
        }
        CMainFrame& frame = MakeFrame();
        frame.OnCreate();
        return frame;
    }

    // A virtual card at `letter`; `files` are (path on the card, bytes).
    std::string InsertCard(char letter, std::string_view capacity_text,
                           std::vector<std::pair<std::string, std::string>> files = {}) {
        const std::string folder = box_.Path(std::string("card-") + letter);
        std::filesystem::create_directories(folder + "/TSKN_Ver_Info");
        for (const auto& [path, bytes] : files) {
            box_.Write(std::string("card-") + letter + "/" + path, bytes);
        }
        const auto config = platform::ParseVirtualVolumeConfig(
            std::string(1, letter) + ": " + std::string(capacity_text) + " " + folder);
        EXPECT_EQ(config.entries.size(), 1u);
        cards_.Insert(config.entries.front());
        return folder + "/";
    }

    // Hands every message posted so far (and those they cause) to the frame.
    void Pump() {
        while (const auto message = queue_.TryTake()) {
            frame_->HandleMessage(message->message, message->w_param, message->l_param);
        }
    }
    // Hands messages to the frame until `done` holds (real time, for the workers).
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            if (const auto message = queue_.WaitTake(std::chrono::milliseconds(20))) {
                frame_->HandleMessage(message->message, message->w_param, message->l_param);
            }
        }
        return true;
    }
    bool ClosePosted() {
        for (const platform::Message& message : queue_.Drain()) {
            if (message.message == kWmClose) {
                return true;
            }
        }
        return false;
    }

    DeviceEntry* Device(std::string_view model) {
        for (DeviceEntry& device : frame_->state().devices) {
            if (device.model_name == model) {
                return &device;
            }
        }
        return nullptr;
    }

    testing::Sandbox box_;
    servers::WorldLayout world_;
    std::unique_ptr<testing::ServerProcess> server_;
    platform::FileSettingsStore store_;
    platform::Profile profile_;
    platform::VirtualVolumes cards_;
    platform::MachineVolumes volumes_;
    platform::FakeClock clock_;
    platform::FakeSleeper sleeper_{clock_};
    platform::SocketInstanceService instances_{"controller-test-" + std::to_string(::getpid())};
    platform::MessageQueue queue_;
    ScriptedUi ui_;
    // The program folder's write test; null: the real one (CI runs as root, who may write all).
    app::FolderWriteTest may_write_folder_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace mapvale::controller::test
