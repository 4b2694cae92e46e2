#include "ui/automation_inspector.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QWidget>

#include "ui/skin/image_button.h"
#include "ui/web/web.h"

namespace mapvale::ui {

namespace {

bool IsControlId(const QString& name) {
    if (name.isEmpty()) {
        return false;
    }
    for (const QChar c : name) {
        if (!c.isDigit()) {
            return false;
        }
    }
    return true;
}

// Windows of the program: ours (even hidden), message boxes and file choosers; not Qt's own
// popups, tool tips and menus.
bool IsProgramWindow(const QWidget* widget) {
    if (!widget->isWindow()) {
        return false;
    }
    const QByteArray name = widget->metaObject()->className();
    if (name.startsWith("mapvale::")) {
        return true;
    }
    return widget->isVisible() && (qobject_cast<const QDialog*>(widget) != nullptr ||
                                   name == "QWidget" || name == "QMainWindow");
}

void PutGeometry(QJsonObject& out, const QRect& rect) {
    out.insert(QStringLiteral("x"), rect.x());
    out.insert(QStringLiteral("y"), rect.y());
    out.insert(QStringLiteral("w"), rect.width());
    out.insert(QStringLiteral("h"), rect.height());
}

QString IconName(QMessageBox::Icon icon) {
    switch (icon) {
        case QMessageBox::Information:
            return QStringLiteral("information");
        case QMessageBox::Question:
            return QStringLiteral("question");
        case QMessageBox::Warning:
            return QStringLiteral("warning");
        case QMessageBox::Critical:
            return QStringLiteral("error");
        case QMessageBox::NoIcon:
            break;
    }
    return QStringLiteral("none");
}

QJsonObject DescribeBox(const QMessageBox& box) {
    QJsonArray buttons;
    for (const QAbstractButton* button : box.buttons()) {
        buttons.append(button->text());
    }
    return {{QStringLiteral("text"), box.text()},
            {QStringLiteral("caption"), box.windowTitle()},
            {QStringLiteral("buttons"), buttons},
            {QStringLiteral("icon"), IconName(box.icon())}};
}

}  // namespace

QString AutomationInspector::ClassName(const QObject* object) {
    const QString name = QString::fromLatin1(object->metaObject()->className());
    const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? name : name.mid(colon + 1);
}

QJsonArray AutomationInspector::DescribeWindows() {
    QJsonArray windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (IsProgramWindow(widget)) {
            windows.append(DescribeWindow(widget));
        }
    }
    return windows;
}

QWidget* AutomationInspector::FindWindow(const QString& name) {
    if (name.isEmpty()) {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            return modal;
        }
        if (QWidget* active = QApplication::activeWindow()) {
            return active;
        }
    }
    QWidget* hidden = nullptr;
    QWidget* visible = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!IsProgramWindow(widget)) {
            continue;
        }
        if (!name.isEmpty() && ClassName(widget) != name && widget->objectName() != name &&
            widget->windowTitle() != name) {
            continue;
        }
        (widget->isVisible() ? visible : hidden) = widget;
    }
    // A modal box over the window asked for is what the user faces, but the driver named the
    // window: give it the window, however deep the boxes.
    return visible != nullptr ? visible : hidden;
}

QWidget* AutomationInspector::FindControl(QWidget* window, const QString& id) {
    // "321/6": control 6 of the page 321 inside the window, where the window itself has a 6 too
    // (the main screen's install tab and its install page's start button).
    const qsizetype slash = id.indexOf(QLatin1Char('/'));
    if (slash > 0) {
        QWidget* page = FindControl(window, id.left(slash));
        const QString inner = id.mid(slash + 1);
        if (page == nullptr || !IsControlId(inner)) {
            return nullptr;
        }
        for (QWidget* child : page->findChildren<QWidget*>(inner)) {
            if (child->window() == window) {
                return child;
            }
        }
        return nullptr;
    }
    if (window == nullptr || !IsControlId(id)) {
        return nullptr;
    }
    // The window's own controls, not those of dialogs it owns.
    for (QWidget* child : window->findChildren<QWidget*>(id)) {
        if (child->window() == window) {
            return child;
        }
    }
    return nullptr;
}

QJsonObject AutomationInspector::DescribeControl(QWidget* window, QWidget* control) {
    QJsonObject out{{QStringLiteral("id"), control->objectName()},
                    {QStringLiteral("class"), ClassName(control)},
                    {QStringLiteral("enabled"), control->isEnabled()},
                    {QStringLiteral("visible"), control->isVisibleTo(window)}};
    PutGeometry(out, QRect(control->mapTo(window, QPoint(0, 0)), control->size()));
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
        out.insert(QStringLiteral("text"),
                   edit->echoMode() == QLineEdit::Normal ? edit->text() : edit->displayText());
        out.insert(QStringLiteral("length"), edit->text().size());
    } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
        out.insert(QStringLiteral("text"), label->text());
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        out.insert(QStringLiteral("text"), button->text());
        if (button->isCheckable()) {
            out.insert(QStringLiteral("checked"), button->isChecked());
        }
    } else if (const auto* image_button = qobject_cast<const CImageButton*>(control)) {
        out.insert(QStringLiteral("checked"), image_button->GetCheck());
    } else if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        QJsonArray items;
        for (int i = 0; i < combo->count(); ++i) {
            items.append(combo->itemText(i));
        }
        out.insert(QStringLiteral("items"), items);
        out.insert(QStringLiteral("current"), combo->currentIndex());
        out.insert(QStringLiteral("text"), combo->currentText());
    } else if (const auto* bar = qobject_cast<const QProgressBar*>(control)) {
        out.insert(QStringLiteral("value"), bar->value());
        out.insert(QStringLiteral("minimum"), bar->minimum());
        out.insert(QStringLiteral("maximum"), bar->maximum());
    } else if (const auto* web = qobject_cast<const CWeb*>(control)) {
        out.insert(QStringLiteral("url"), web->url().toString());
    }
    return out;
}

QJsonObject AutomationInspector::DescribeWindow(QWidget* window) {
    QJsonObject out{{QStringLiteral("class"), ClassName(window)},
                    {QStringLiteral("name"), window->objectName()},
                    {QStringLiteral("title"), window->windowTitle()},
                    {QStringLiteral("visible"), window->isVisible()},
                    {QStringLiteral("active"), window->isActiveWindow()},
                    {QStringLiteral("modal"), window == QApplication::activeModalWidget()}};
    PutGeometry(out, window->geometry());
    if (const auto* box = qobject_cast<const QMessageBox*>(window)) {
        out.insert(QStringLiteral("box"), DescribeBox(*box));
    }
    QJsonArray controls;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->window() == window && IsControlId(child->objectName())) {
            controls.append(DescribeControl(window, child));
        }
    }
    out.insert(QStringLiteral("controls"), controls);
    return out;
}

}  // namespace mapvale::ui
