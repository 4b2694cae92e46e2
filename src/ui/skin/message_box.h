#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>

class QWidget;

namespace mapvale::ui {

// The answers a message box gives, with the numbers the program's callers compare against.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Button sets, left to right; the first button is the default one (Enter).
enum class MessageBoxButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };

enum class MessageBoxIcon { kNone, kInformation, kQuestion, kWarning, kError };

// The answer Escape and closing the window give for a set: Cancel when the set has it, else No,
// else OK.
int EscapeAnswer(MessageBoxButtons buttons);

// Builds the box without showing it (the blocking call below and the screenshot gallery share it).
// The text is always plain text: "\n" breaks the line and markup shows literally, because much of
// what these boxes say comes from servers and files. An empty caption shows `program_title`.
// The box is a child of `owner` when there is one: the owner must outlive it (or release it).
std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const QString& text,
                                             const QString& caption, MessageBoxButtons buttons,
                                             MessageBoxIcon icon, const QString& program_title);

// Shows the box modally over `owner` (null: Qt centres it over the active window or the screen)
// and returns the answer: kIdOk, kIdCancel, kIdYes or kIdNo. A box destroyed while open (its owner
// went away) answers as Escape does.
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   MessageBoxButtons buttons, MessageBoxIcon icon, const QString& program_title);

}  // namespace mapvale::ui
