#include "ui/web/notice_dialog.h"

#include <QMetaObject>
#include <QPointer>

#include "model/script_functions.h"
#include "ui/web/dlg_alert.h"

namespace mapvale::ui {

namespace {

struct OpenNotice {
    QPointer<CDlgAlert> dialog;
    int answer = 0;
};

OpenNotice* open_notice = nullptr;

}  // namespace

int RunNoticeDialog(QWidget* owner, const QString& url) {
    if (open_notice != nullptr) {
        return 0;
    }
    OpenNotice notice;
    notice.dialog = new CDlgAlert(owner, url);
    notice.dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    open_notice = &notice;
    notice.dialog->exec();
    open_notice = nullptr;
    delete notice.dialog.data();
    return notice.answer;
}

int AnswerNoticeDialog(int answer) {
    if (open_notice == nullptr || open_notice->dialog == nullptr) {
        return 0;
    }
    open_notice->answer = answer;
    QMetaObject::invokeMethod(open_notice->dialog.data(), "accept", Qt::QueuedConnection);
    return 1;
}

void AddNoticeFunctions(ScriptFunctionList& functions, std::function<void(int answer)> on_answer) {
    for (const auto& [name, answer] :
         {std::pair{"__StartUpdate", 1}, std::pair{"__StopUpdate", 2}}) {
        functions.Append({name, [on_answer, answer = answer](const std::vector<ScriptValue>&) {
                              if (on_answer) {
                                  on_answer(answer);
                              }
                              AnswerNoticeDialog(answer);
                              return 1;
                          }});
    }
}

}  // namespace mapvale::ui
