#pragma once

// The real Mapvale program on an X display of its own, driven through its automation socket the
// way a user goes through it: the world it is served from, its start, the sign-in and the way to
// the main screen with a card. Every step waits for what the screen shows, with deadlines.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/constants.h"
#include "platform/instance.h"
#include "support/server_process.h"
#include "ui/automation_client.h"
#include "ui/program_run.h"
#include "ui/qt_frame_fixture.h"
#include "ui/virtual_display.h"

namespace mapvale::ui::test {

using mapvale::testing::AutomationClient;

// Requests to the automation socket.
inline QJsonObject Op(const char* op, QJsonObject fields = {}) {
    fields.insert(QStringLiteral("op"), QString::fromLatin1(op));
    return fields;
}

inline QJsonObject On(const char* window, const char* id) {
    return {{QStringLiteral("window"), QString::fromLatin1(window)},
            {QStringLiteral("id"), QString::fromLatin1(id)}};
}

inline QJsonObject With(QJsonObject request, const char* key, const QJsonValue& value) {
    request.insert(QString::fromLatin1(key), value);
    return request;
}

class ProgramEndToEndTest : public QtFrameTest {
protected:
    void SetUp() override {
        QtFrameTest::SetUp();
        if (display_.name().isEmpty()) {
            GTEST_SKIP() << display_.error().toStdString();
        }
    }

    void TearDown() override {
        // Whatever still runs of the program (a restarted one is not our child) ends here.
        if (pid_ > 0) {
            ::kill(static_cast<pid_t>(pid_), SIGTERM);
            platform::SocketInstanceService instances(scope_);
            testing::WaitUntil([&] { return !instances.Exists(std::string(app::kFrameClassName)); },
                               std::chrono::seconds(30));
        }
        if (first_.state() != QProcess::NotRunning) {
            first_.kill();
            first_.waitForFinished();
        }
        QtFrameTest::TearDown();
    }

    // Serves the world, with the program itself in its program folder: a self-update restarts
    // the program folder's updater.
    void ServeWithTheProgram(bool offer_update, const std::vector<std::string>& serve = {}) {
        if (offer_update) {
            servers::WorldOptions options;
            options.folder = world_.folder;
            options.offer_update = true;
            std::string error;
            ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
        }
        std::ofstream(world_.Accounts(), std::ios::app)
            << "\n[account eff]\npassword = pw\nletter = H\nname = 시험\nservice = F\n"
               "\n[vehicle]\nmodel = HX100\nproduct-line = HX-100\ncaption = 시험\nclass = AVN\n";
        std::vector<std::string> arguments{"serve", "--world", world_.folder, "--request-log",
                                           box_.Path("requests.log")};
        arguments.insert(arguments.end(), serve.begin(), serve.end());
        server_ = std::make_unique<testing::ServerProcess>(arguments);
        ASSERT_TRUE(server_->ok()) << server_->error();
        std::filesystem::copy(world_.ProgramFolder(), ProgramFolder(),
                              std::filesystem::copy_options::recursive);
        const std::string programs = std::getenv("MAPVALE_PROGRAM_DIR");
        for (const char* program : {"Mapvale", "ZipModule"}) {
            std::filesystem::copy_file(programs + "/" + program, ProgramFolder() + program);
        }
    }

    void Start(const QStringList& arguments) {
        ProgramRun run{box_.Path(), ProgramFolder(), scope_, display_.name(), socket_};
        ASSERT_TRUE(
            run.Start(first_, QString::fromStdString(ProgramFolder() + "Mapvale"), arguments));
        first_pid_ = first_.processId();
    }

    // The state once `check` holds, remembering the process that answers.
    QJsonObject WaitForState(const std::function<bool(const QJsonObject&)>& check) {
        const std::optional<QJsonObject> state = driver_.WaitForState(check, 120000);
        if (!state) {
            const auto compact = [](const std::optional<QJsonObject>& answer) {
                return QJsonDocument(answer.value_or(QJsonObject{}))
                    .toJson(QJsonDocument::Compact)
                    .toStdString();
            };
            ADD_FAILURE() << "the program never reached the state; it is at "
                          << compact(driver_.Ok(Op("state"))) << " with the windows "
                          << compact(driver_.Ok(Op("snapshot")));
            return {};
        }
        pid_ = state->value(QStringLiteral("pid")).toInteger();
        return *state;
    }

    void SignIn(const char* id, const char* password) {
        ASSERT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgLogin"), 120000));
        ASSERT_TRUE(driver_.Do(With(Op("type", On("CDlgLogin", "1015")), "text", id)));
        ASSERT_TRUE(driver_.Do(With(Op("type", On("CDlgLogin", "1016")), "text", password)));
        ASSERT_TRUE(driver_.Do(Op("click", On("CDlgLogin", "1017"))));
    }

    // The install page's unit HX100 and card E:.
    void ChooseUnitAndCard() {
        ASSERT_TRUE(driver_.Do(With(Op("choose", On("CDlgMain", "321/1004")), "text",
                                    QStringLiteral("[Orvin] 그랜드 HX"))));
        ASSERT_TRUE(driver_.Do(With(Op("choose", On("CDlgMain", "321/1023")), "index", 0)));
        WaitForState([](const QJsonObject& now) {
            return now.value(QStringLiteral("device")).toString() == QStringLiteral("HX100") &&
                   now.value(QStringLiteral("drive")).toString() == QStringLiteral("E");
        });
    }

    // Signed in with a card at E:, on the main screen.
    std::string MainScreenWithACard() {
        const std::string card = box_.Path("card-E");
        std::filesystem::create_directories(card + "/TSKN_Ver_Info");
        std::ofstream(box_.Path("volumes.conf")) << "E: 1G " << card << "\n";
        Start({QStringLiteral("-TRAINFO_AGREE")});
        SignIn("hong", "1234");
        EXPECT_TRUE(driver_.WaitForWindow(QStringLiteral("QMessageBox"), 120000));
        EXPECT_TRUE(driver_.Do(
            With(Op("answer", {{QStringLiteral("window"), QStringLiteral("QMessageBox")}}),
                 "button", QStringLiteral("예"))));
        EXPECT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgEasy22"), 120000));
        // The option screen's button 3 hands over to the main screen.
        EXPECT_TRUE(driver_.Do(Op("click", On("CDlgEasy22", "3"))));
        EXPECT_TRUE(driver_.WaitForWindow(QStringLiteral("CDlgMain"), 60000));
        WaitForState(
            [](const QJsonObject& now) { return now.value(QStringLiteral("main")).toBool(); });
        return card;
    }

    static bool HasFile(const std::string& folder, const std::string& name) {
        std::error_code failed;
        for (auto walk = std::filesystem::recursive_directory_iterator(folder, failed);
             !failed && walk != std::filesystem::recursive_directory_iterator();
             walk.increment(failed)) {
            if (walk->path().filename() == name) {
                return true;
            }
        }
        return false;
    }

    VirtualDisplay display_;
    std::string scope_ = "mapvale-e2e-" + std::to_string(::getpid());
    QString socket_ = QString::fromStdString(box_.Path("automation"));
    AutomationClient driver_{socket_};
    QProcess first_;
    qint64 first_pid_ = 0;
    qint64 pid_ = 0;
};

}  // namespace mapvale::ui::test
