#pragma once

#include <QJsonObject>
#include <QString>
#include <functional>

class QWidget;

namespace mapvale::ui {

// What a driver does to a control, the way a user does it: mouse clicks at the control's centre,
// key presses one character at a time, so disabled controls, length limits and the controls' own
// handlers behave as they do for a person.
class AutomationActions {
public:
    using Run = std::function<void()>;

    // Checks the request ("click", "type", "key", "choose" or "answer") against the window and
    // control now and returns what would refuse it, or empty with `run` set to the action; a
    // "type" without an "id" types into the window's focused edit. The
    // caller runs it from the event loop: a click may open a box whose loop only ends when the
    // driver, already answered, answers the box.
    static QString Prepare(const QString& op, const QJsonObject& request, QWidget* window,
                           QWidget* control, Run& run);

    // A picture of the window as on the screen (web areas included); false when none was taken.
    static bool Grab(QWidget* window, const QString& file);

    // Whether the control takes input now: enabled and shown.
    static QString Refusal(const QWidget* control);
};

}  // namespace mapvale::ui
