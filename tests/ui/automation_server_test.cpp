// The automation socket over plain widgets, driven from another thread the way a test process
// drives the program: answers come while the widgets' own loops (a modal box) run.
#include "ui/automation_server.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <atomic>
#include <thread>

#include "support/sandbox.h"
#include "ui/automation_client.h"
#include "ui/wait_for.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::AutomationClient;
using mapvale::testing::WaitFor;

QJsonObject Request(const char* op, const char* window = nullptr, const char* id = nullptr) {
    QJsonObject request{{QStringLiteral("op"), QString::fromLatin1(op)}};
    if (window != nullptr) {
        request.insert(QStringLiteral("window"), QString::fromLatin1(window));
    }
    if (id != nullptr) {
        request.insert(QStringLiteral("id"), QString::fromLatin1(id));
    }
    return request;
}

QJsonObject With(QJsonObject request, const QString& text) {
    request.insert(QStringLiteral("text"), text);
    return request;
}

class AutomationServerTest : public ::testing::Test {
protected:
    AutomationServerTest() {
        window_.setObjectName(QStringLiteral("Driven"));
        window_.setGeometry(100, 100, 300, 200);
        id_->setObjectName(QStringLiteral("1015"));
        id_->setGeometry(10, 20, 150, 22);
        id_->setMaxLength(64);
        password_->setObjectName(QStringLiteral("1016"));
        password_->setGeometry(10, 50, 150, 22);
        password_->setEchoMode(QLineEdit::Password);
        password_->setText(QStringLiteral("secret"));
        ask_->setObjectName(QStringLiteral("1"));
        ask_->setGeometry(10, 80, 80, 24);
        off_->setObjectName(QStringLiteral("2"));
        off_->setGeometry(100, 80, 80, 24);
        off_->setEnabled(false);
        QObject::connect(ask_, &QPushButton::clicked, [this] {
            QMessageBox box(QMessageBox::Question, QStringLiteral("종료 확인"),
                            QStringLiteral("종료하시겠습니까?"), QMessageBox::NoButton, &window_);
            QPushButton* yes = box.addButton(QStringLiteral("예"), QMessageBox::YesRole);
            box.addButton(QStringLiteral("아니오"), QMessageBox::NoRole);
            box.exec();
            answered_yes_ = box.clickedButton() == yes;
        });
        window_.show();
    }

    // Runs `drive` on a thread of its own while this thread's loop serves the requests.
    void Drive(const std::function<void(AutomationClient&)>& drive) {
        std::atomic<bool> done{false};
        std::thread driver([&] {
            AutomationClient client(path_);
            drive(client);
            done = true;
        });
        const bool finished = WaitFor([&] { return done.load(); }, 120000);
        driver.join();
        ASSERT_TRUE(finished);
    }

    testing::Sandbox box_;
    QString path_ = QString::fromStdString(box_.Path("automation"));
    QDialog window_;
    QLineEdit* id_ = new QLineEdit(&window_);
    QLineEdit* password_ = new QLineEdit(&window_);
    QPushButton* ask_ = new QPushButton(QStringLiteral("확인"), &window_);
    QPushButton* off_ = new QPushButton(QStringLiteral("취소"), &window_);
    bool answered_yes_ = false;
};

TEST_F(AutomationServerTest, DescribesActsLikeAUserAndAnswersWhileABoxWaits) {
    AutomationServer server([] { return QJsonObject{{QStringLiteral("screen"), 22}}; });
    ASSERT_TRUE(server.Listen(path_));
    QJsonObject window;
    std::optional<QJsonObject> typed, disabled, missing, unknown, box_window, state;
    Drive([&](AutomationClient& client) {
        if (auto found = client.WaitForWindow(QStringLiteral("Driven"), 30000)) {
            window = *found;
        }
        client.Ok(With(Request("type", "Driven", "1015"), QString(70, QLatin1Char('a'))));
        typed = client.WaitForWindow(QStringLiteral("Driven"), 30000, [](const QJsonObject& w) {
            return AutomationClient::Control(w, QStringLiteral("1015"))
                       .value(QStringLiteral("length"))
                       .toInt() > 0;
        });
        disabled = client.Request(Request("click", "Driven", "2"));
        missing = client.Request(Request("click", "Nobody", "1"));
        unknown = client.Request(Request("paint", "Driven", "1"));
        // The click opens a box whose loop waits for this driver: the click's answer came first.
        client.Ok(Request("click", "Driven", "1"));
        box_window = client.WaitForWindow(QStringLiteral("QMessageBox"), 30000);
        QJsonObject answer = Request("answer", "QMessageBox");
        answer.insert(QStringLiteral("button"), QStringLiteral("예"));
        client.Ok(answer);
        state = client.Ok(Request("state"));
    });

    const QJsonObject id = AutomationClient::Control(window, QStringLiteral("1015"));
    EXPECT_EQ(id.value(QStringLiteral("class")).toString(), QStringLiteral("QLineEdit"));
    EXPECT_EQ(id.value(QStringLiteral("x")).toInt(), 10);
    EXPECT_EQ(id.value(QStringLiteral("y")).toInt(), 20);
    EXPECT_EQ(id.value(QStringLiteral("w")).toInt(), 150);
    EXPECT_TRUE(id.value(QStringLiteral("enabled")).toBool());
    // What the screen shows of a password, never the password.
    const QJsonObject password = AutomationClient::Control(window, QStringLiteral("1016"));
    EXPECT_NE(password.value(QStringLiteral("text")).toString(), QStringLiteral("secret"));
    EXPECT_EQ(password.value(QStringLiteral("length")).toInt(), 6);
    // Typed key by key: the edit's own limit holds.
    ASSERT_TRUE(typed);
    EXPECT_EQ(id_->text(), QString(64, QLatin1Char('a')));

    ASSERT_TRUE(disabled && missing && unknown);
    EXPECT_EQ(disabled->value(QStringLiteral("error")).toString(),
              QStringLiteral("control disabled"));
    EXPECT_EQ(missing->value(QStringLiteral("error")).toString(), QStringLiteral("no such window"));
    EXPECT_EQ(unknown->value(QStringLiteral("error")).toString(), QStringLiteral("unknown op"));

    ASSERT_TRUE(box_window);
    const QJsonObject box = box_window->value(QStringLiteral("box")).toObject();
    EXPECT_EQ(box.value(QStringLiteral("caption")).toString(), QStringLiteral("종료 확인"));
    EXPECT_EQ(box.value(QStringLiteral("icon")).toString(), QStringLiteral("question"));
    EXPECT_TRUE(WaitFor([&] { return answered_yes_; }));
    ASSERT_TRUE(state);
    EXPECT_EQ(
        state->value(QStringLiteral("state")).toObject().value(QStringLiteral("screen")).toInt(),
        22);
}

TEST_F(AutomationServerTest, TypesIntoTextAreasAndIntoTheFocusedFieldOfAWindow) {
    auto* text = new QPlainTextEdit(&window_);
    text->setObjectName(QStringLiteral("1037"));
    text->setGeometry(10, 110, 150, 60);
    text->setPlainText(QStringLiteral("old"));
    text->show();
    // A chooser-like window whose name field has no number.
    QDialog chooser;
    chooser.setObjectName(QStringLiteral("Chooser"));
    auto* name = new QLineEdit(&chooser);
    chooser.show();
    chooser.activateWindow();
    name->setFocus();
    AutomationServer server([] { return QJsonObject(); });
    ASSERT_TRUE(server.Listen(path_));
    std::optional<QJsonObject> typed_area, typed_focus, not_an_edit;
    Drive([&](AutomationClient& client) {
        typed_area =
            client.Ok(With(Request("type", "Driven", "1037"), QStringLiteral("첫 줄\n둘")));
        typed_focus = client.Ok(With(Request("type", "Chooser"), QStringLiteral("/tmp/a.jpg")));
        not_an_edit = client.Request(With(Request("type", "Driven", "1"), QStringLiteral("x")));
    });
    ASSERT_TRUE(typed_area && typed_focus && not_an_edit);
    EXPECT_TRUE(WaitFor([&] { return text->toPlainText() == QStringLiteral("첫 줄\n둘"); }))
        << text->toPlainText().toStdString();
    EXPECT_TRUE(WaitFor([&] { return name->text() == QStringLiteral("/tmp/a.jpg"); }))
        << name->text().toStdString();
    EXPECT_EQ(not_an_edit->value(QStringLiteral("error")).toString(),
              QStringLiteral("not an edit"));
}

TEST_F(AutomationServerTest, ARestartedProgramTakesThePathOverAndBadLinesGetAnError) {
    AutomationServer first([] { return QJsonObject{{QStringLiteral("who"), 1}}; });
    ASSERT_TRUE(first.Listen(path_));
    // The program that ran before never closed its socket: the new one takes the path.
    AutomationServer second([] { return QJsonObject{{QStringLiteral("who"), 2}}; });
    ASSERT_TRUE(second.Listen(path_));
    std::optional<QJsonObject> state;
    QByteArray garbage_answer;
    Drive([&](AutomationClient& client) {
        state = client.Ok(Request("state"));
        QLocalSocket raw;
        raw.connectToServer(path_);
        if (raw.waitForConnected(10000)) {
            raw.write("{not json\n");
            raw.waitForBytesWritten(10000);
            while (!raw.canReadLine() && raw.waitForReadyRead(10000)) {
            }
            garbage_answer = raw.readLine();
        }
    });
    ASSERT_TRUE(state);
    EXPECT_EQ(state->value(QStringLiteral("state")).toObject().value(QStringLiteral("who")).toInt(),
              2);
    EXPECT_TRUE(garbage_answer.contains("not a JSON object")) << garbage_answer.toStdString();

    qunsetenv("MAPVALE_AUTOMATION");
    EXPECT_EQ(AutomationServer::FromEnvironment(nullptr), nullptr);
}

}  // namespace
}  // namespace mapvale::ui::test
