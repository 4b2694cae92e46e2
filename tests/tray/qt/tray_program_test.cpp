// The real MapvaleTray on a virtual X display with a tray host: its icon is embedded in the
// tray even when the host comes after the agent, a double-click starts the updater, a plain
// second start ends at once and "-UPDATE" replaces the running agent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "platform/instance.h"
#include "platform/settings_store.h"
#include "support/sandbox.h"
#include "ui/wait_for.h"

namespace mapvale::tray {
namespace {

using mapvale::testing::WaitFor;

class TrayProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xvfb-run", "trayer", "xwininfo", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
            }
        }
        // A display of its own; the shell tells where it is and lives while its input is open.
        display_.start(
            QStringLiteral("xvfb-run"),
            {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
             QStringLiteral("sh"), QStringLiteral("-c"),
             QStringLiteral("echo \"$DISPLAY $XAUTHORITY\"; exec cat >/dev/null")});
        ASSERT_TRUE(display_.waitForStarted());
        ASSERT_TRUE(WaitFor([&] { return display_.canReadLine(); }, 30000));
        const QStringList where = QString::fromLocal8Bit(display_.readLine()).trimmed().split(' ');
        ASSERT_EQ(where.size(), 2);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("DISPLAY"), where[0]);
        environment_.insert(QStringLiteral("XAUTHORITY"), where[1]);
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // Without a session bus Qt embeds its icon the X way, in the tray host's window.
        environment_.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        const auto set = [this](const char* name, const std::string& value) {
            environment_.insert(QString::fromLatin1(name), QString::fromStdString(value));
        };
        // On the X display the GL and X libraries load driver modules and unload them again;
        // what those keep cannot be told from our leaks (no module name is left), so leak checks
        // stay with the offscreen tests of the same code.
        set("ASAN_OPTIONS", environment_.value(QStringLiteral("ASAN_OPTIONS")).toStdString() +
                                ":new_delete_type_mismatch=0:detect_leaks=0");
        set("LSAN_OPTIONS", "suppressions=" MAPVALE_LSAN_SUPPRESSIONS ":print_suppressions=0");
        set("MAPVALE_SETTINGS_DIR", box_.Path("settings"));
        set("MAPVALE_INSTANCE_SCOPE", scope_);
        set("XDG_RUNTIME_DIR", box_.Path("runtime"));
        std::filesystem::create_directories(box_.Path("runtime"));
        std::filesystem::permissions(box_.Path("runtime"), std::filesystem::perms::owner_all);

        // The updater's stand-in writes down its arguments.
        std::filesystem::create_directories(box_.Path("program"));
        std::ofstream(box_.Path("program/Mapvale"))
            << "#!/bin/sh\necho \"[$*]\" >> '" << box_.Path("starts.txt") << "'\n";
        std::filesystem::permissions(box_.Path("program/Mapvale"),
                                     std::filesystem::perms::owner_all);
        platform::FileSettingsStore(box_.Path("settings"))
            .SetString(platform::SettingsRoot::kUser, "Software\\Velmora\\TSKN_Waymark+\\PATH",
                       "INSTALL", box_.Path("program") + "/");
    }

    void TearDown() override {
        for (auto& process : processes_) {
            process->terminate();
            if (!process->waitForFinished(10000)) {
                process->kill();
                process->waitForFinished();
            }
        }
        processes_.clear();
        if (display_.state() != QProcess::NotRunning) {
            display_.closeWriteChannel();
            display_.waitForFinished(10000);
        }
    }

    QProcess& Run(const QString& program, const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment_);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted()) << program.toStdString();
        processes_.push_back(std::move(process));
        return *processes_.back();
    }
    QProcess& RunAgent(const QStringList& arguments = {}) {
        return Run(QString::fromLocal8Bit(std::getenv("MAPVALE_PROGRAM_DIR")) +
                       QStringLiteral("/MapvaleTray"),
                   arguments);
    }
    QString Output(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment_);
        process.start(program, arguments);
        process.waitForFinished(10000);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    // The agent's icon as a child of the tray host's panel: its centre on the screen.
    std::optional<QPoint> EmbeddedIcon() {
        const QStringList lines =
            Output(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                .split('\n');
        static const QRegularExpression geometry(
            QStringLiteral(R"((\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)"));
        int panel_indent = -1;
        for (const QString& line : lines) {
            const int indent = static_cast<int>(line.size() - line.trimmed().size());
            if (line.contains(QStringLiteral("(\"panel\" \"trayer\")"))) {
                panel_indent = indent;
                continue;
            }
            if (panel_indent >= 0 && indent <= panel_indent) {
                panel_indent = -1;
            }
            if (panel_indent >= 0 &&
                line.contains(QStringLiteral("(\"MapvaleTray\" \"MapvaleTray\")"))) {
                const auto match = geometry.match(line);
                if (match.hasMatch()) {
                    return QPoint(match.captured(3).toInt() + match.captured(1).toInt() / 2,
                                  match.captured(4).toInt() + match.captured(2).toInt() / 2);
                }
            }
        }
        return std::nullopt;
    }
    std::string Starts() const {
        std::ifstream file(box_.Path("starts.txt"));
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    mapvale::testing::Sandbox box_;
    const std::string scope_ = "tray-program-" + std::to_string(::getpid());
    QProcess display_;
    QProcessEnvironment environment_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(TrayProgramTest, TheIconJoinsALateTrayAndTheProgramKeepsToOneAgent) {
    // Started before any tray host, as at a logon where the panel comes late.
    QProcess& first = RunAgent();
    platform::SocketInstanceService instances(scope_);
    ASSERT_TRUE(WaitFor([&] { return instances.Exists("MapvaleTray"); }, 30000));
    EXPECT_FALSE(EmbeddedIcon());
    Run(QStringLiteral("trayer"),
        {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
         QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
         QStringLiteral("--height"), QStringLiteral("32")});
    std::optional<QPoint> icon;
    ASSERT_TRUE(WaitFor([&] { return (icon = EmbeddedIcon()).has_value(); }, 30000));

    // A double-click on it starts the updater without argument. The icon may take a moment to
    // be mapped in the panel after it was embedded: the click is repeated until it lands.
    // The panel may still be laying the icon out: its place is read again for every try.
    for (int attempt = 0; attempt < 10 && Starts().empty(); ++attempt) {
        icon = EmbeddedIcon().value_or(*icon);
        Output(QStringLiteral("xdotool"),
               {QStringLiteral("mousemove"), QString::number(icon->x()), QString::number(icon->y()),
                QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
        WaitFor([&] { return !Starts().empty(); }, 2000);
    }
    ASSERT_FALSE(Starts().empty())
        << icon->x() << "," << icon->y() << "\n"
        << Output(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
               .toStdString();
    EXPECT_TRUE(QString::fromStdString(Starts()).startsWith(QStringLiteral("[]\n"))) << Starts();

    // A plain second start ends at once; "-UPDATE" takes the first one's place and its icon.
    QProcess& second = RunAgent();
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    QProcess& replacement = RunAgent({QStringLiteral("-UPDATE")});
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitCode(), 0);
    ASSERT_TRUE(WaitFor([&] { return EmbeddedIcon().has_value(); }, 30000));
    EXPECT_EQ(replacement.state(), QProcess::Running);
}

}  // namespace
}  // namespace mapvale::tray
