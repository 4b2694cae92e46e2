#pragma once

#include <functional>

#include "model/script_functions.h"

#include <QString>

class QWidget;

namespace mapvale::ui {

// The notice before a job: the page at `url` in a modal CDlgAlert over `owner`. The page answers
// with window.external.__StartUpdate() (1: start) or __StopUpdate() (2: do not), which closes the
// window; closing it otherwise answers 0. One notice is open at a time (a second call while one
// is open answers 0 at once).
int RunNoticeDialog(QWidget* owner, const QString& url);

// Sets the open notice's answer and closes it (queued, after the page's call returned). 1 when a
// notice was open, else 0 (the page's call then does nothing).
int AnswerNoticeDialog(int answer);

// Registers "__StartUpdate" and "__StopUpdate" (in that order) answering the open notice.
// `on_answer` (when given) learns the answer first. Both return 1, notice open or not.
void AddNoticeFunctions(ScriptFunctionList& functions,
                        std::function<void(int answer)> on_answer = {});

}  // namespace mapvale::ui
