#include "ui/automation_actions.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace mapvale::ui {

namespace {

void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButtons buttons) {
    const QPointF local = QRectF(widget->rect()).center();
    QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void SendKey(QWidget* widget, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

QString PrepareClick(QWidget* control, AutomationActions::Run& run) {
    run = [target = QPointer<QWidget>(control)] {
        if (target && target->isEnabled() && target->isVisible()) {
            target->window()->activateWindow();
            SendMouse(target, QEvent::MouseButtonPress, Qt::LeftButton);
            if (target) {
                SendMouse(target, QEvent::MouseButtonRelease, Qt::NoButton);
            }
        }
    };
    return {};
}

QString PrepareType(QWidget* control, const QJsonObject& request, AutomationActions::Run& run) {
    auto* line = qobject_cast<QLineEdit*>(control);
    auto* text_area = qobject_cast<QPlainTextEdit*>(control);
    if (line == nullptr && text_area == nullptr) {
        return QStringLiteral("not an edit");
    }
    const QString text = request.value(QStringLiteral("text")).toString();
    const bool replace = request.value(QStringLiteral("replace")).toBool(true);
    run = [target = QPointer<QWidget>(control), text, replace] {
        if (!target) {
            return;
        }
        target->setFocus(Qt::OtherFocusReason);
        if (replace) {
            if (auto* edit = qobject_cast<QLineEdit*>(target)) {
                edit->selectAll();
            } else if (auto* area = qobject_cast<QPlainTextEdit*>(target)) {
                area->selectAll();
            }
        }
        for (const QChar c : text) {
            if (!target) {
                return;
            }
            // A line break as the Return key, which is how a person types one.
            if (c == QLatin1Char('\n')) {
                SendKey(target, Qt::Key_Return, QStringLiteral("\r"));
            } else {
                SendKey(target, 0, QString(c));
            }
        }
    };
    return {};
}

QString PrepareKey(QWidget* window, const QJsonObject& request, AutomationActions::Run& run) {
    static const struct {
        const char* name;
        int key;
        const char* text;
    } keys[] = {{"Return", Qt::Key_Return, "\r"},
                {"Escape", Qt::Key_Escape, "\x1b"},
                {"Tab", Qt::Key_Tab, "\t"},
                {"Space", Qt::Key_Space, " "}};
    const QString key = request.value(QStringLiteral("key")).toString();
    for (const auto& known : keys) {
        if (key == QLatin1String(known.name)) {
            run = [target = QPointer<QWidget>(window), code = known.key,
                   text = QString::fromLatin1(known.text)] {
                if (target) {
                    QWidget* focus = target->focusWidget() ? target->focusWidget() : target.data();
                    SendKey(focus, code, text);
                }
            };
            return {};
        }
    }
    return QStringLiteral("unknown key");
}

QString PrepareChoose(QWidget* control, const QJsonObject& request, AutomationActions::Run& run) {
    auto* combo = qobject_cast<QComboBox*>(control);
    if (combo == nullptr) {
        return QStringLiteral("not a list");
    }
    const int index = request.value(QStringLiteral("index")).toInt(-1);
    const int row =
        index >= 0 ? index : combo->findText(request.value(QStringLiteral("text")).toString());
    if (row < 0 || row >= combo->count()) {
        return QStringLiteral("no such row");
    }
    // A person's choice: the row becomes current, then the box reports it as chosen.
    run = [target = QPointer<QComboBox>(combo), row] {
        if (target && row < target->count()) {
            target->setCurrentIndex(row);
            emit target->activated(row);
        }
    };
    return {};
}

QString PrepareAnswer(QWidget* window, const QJsonObject& request, AutomationActions::Run& run) {
    const QString label = request.value(QStringLiteral("button")).toString();
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->window() == window && button->text() == label && button->isVisible()) {
            if (!button->isEnabled()) {
                return QStringLiteral("control disabled");
            }
            run = [target = QPointer<QAbstractButton>(button)] {
                if (target) {
                    target->click();
                }
            };
            return {};
        }
    }
    return QStringLiteral("no such button");
}

}  // namespace

QString AutomationActions::Refusal(const QWidget* control) {
    if (control == nullptr) {
        return QStringLiteral("no such control");
    }
    if (!control->isVisible()) {
        return QStringLiteral("control hidden");
    }
    if (!control->isEnabled()) {
        return QStringLiteral("control disabled");
    }
    return {};
}

QString AutomationActions::Prepare(const QString& op, const QJsonObject& request, QWidget* window,
                                   QWidget* control, Run& run) {
    if (op == QLatin1String("answer")) {
        return PrepareAnswer(window, request, run);
    }
    if (op == QLatin1String("key")) {
        return PrepareKey(window, request, run);
    }
    if (op != QLatin1String("click") && op != QLatin1String("type") &&
        op != QLatin1String("choose")) {
        return QStringLiteral("unknown op");
    }
    // Typing without a control goes where the window's focus is: the name field of a file
    // chooser, whose controls carry no number of ours.
    if (op == QLatin1String("type") && control == nullptr &&
        !request.contains(QStringLiteral("id"))) {
        control = window->focusWidget();
    }
    if (QString refusal = Refusal(control); !refusal.isEmpty()) {
        return refusal;
    }
    if (op == QLatin1String("type")) {
        return PrepareType(control, request, run);
    }
    if (op == QLatin1String("choose")) {
        return PrepareChoose(control, request, run);
    }
    return PrepareClick(control, run);
}

bool AutomationActions::Grab(QWidget* window, const QString& file) {
    if (window == nullptr || !window->isVisible()) {
        return false;
    }
    QPixmap picture;
    // On a real display the screen holds what the web engine drew; offscreen only the widgets
    // can paint themselves.
    QScreen* screen = window->screen();
    if (QGuiApplication::platformName() != QLatin1String("offscreen") && screen != nullptr &&
        window->windowHandle() != nullptr) {
        picture = screen->grabWindow(window->winId());
    }
    if (picture.isNull()) {
        picture = window->grab();
    }
    return !picture.isNull() && picture.save(file, "PNG");
}

}  // namespace mapvale::ui
