#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class QWidget;

namespace mapvale::ui {

// What a driver of the program sees of its windows: the windows, each control by its id (its
// object name) with what a user could read off it, and an open message box's parts. Password
// fields show what the screen shows, never what was typed.
class AutomationInspector {
public:
    // Every window a user could see, and every one of ours even while hidden (a hidden run of a
    // dialog is still a window of the program), in the order they were made.
    static QJsonArray DescribeWindows();

    // The window named `name`: a class name without namespace ("CDlgLogin", "QMessageBox"), an
    // object name or a window title. Empty: the modal window on top, else the active window, else
    // the last visible one. A visible window wins over a hidden one of the same name.
    static QWidget* FindWindow(const QString& name);
    // The control of `window` whose id is `id`.
    static QWidget* FindControl(QWidget* window, const QString& id);

    static QJsonObject DescribeWindow(QWidget* window);
    static QJsonObject DescribeControl(QWidget* window, QWidget* control);

    // The class name without its namespace.
    static QString ClassName(const QObject* object);
};

}  // namespace mapvale::ui
