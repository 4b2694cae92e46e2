#include "ui/web/web_page.h"

#include <QApplication>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

#include "ui/skin/message_box.h"
#include "ui/web/text_cut.h"
#include "ui/web/web_engine_setup.h"

namespace mapvale::ui {

namespace {

// What a page may put into a box, in UTF-8 bytes.
constexpr int kMaxBoxText = 1024;

}  // namespace

CWebPage::CWebPage(const WebEnvironment& environment, QObject* parent)
    : QWebEnginePage(WebProfile(), parent), open_external_(environment.open_external) {
    connect(this, &QWebEnginePage::newWindowRequested, [this](QWebEngineNewWindowRequest& request) {
        if (open_external_ && request.requestedUrl().isValid()) {
            open_external_(request.requestedUrl());
        }
    });
}

QWidget* CWebPage::Host() const {
    QWidget* view = QWebEngineView::forPage(this);
    return view != nullptr ? view->window() : nullptr;
}

QString CWebPage::Caption() const {
    QWidget* host = Host();
    return CutToUtf8Bytes(host != nullptr ? host->windowTitle() : QString(), kMaxBoxText);
}

void CWebPage::javaScriptAlert(const QUrl&, const QString& text) {
    ShowMessageBox(Host(), CutToUtf8Bytes(text, kMaxBoxText), Caption(), MessageBoxButtons::kOk,
                   MessageBoxIcon::kWarning, QApplication::applicationDisplayName());
}

bool CWebPage::javaScriptConfirm(const QUrl&, const QString& text) {
    return ShowMessageBox(Host(), CutToUtf8Bytes(text, kMaxBoxText), Caption(),
                          MessageBoxButtons::kOkCancel, MessageBoxIcon::kQuestion,
                          QApplication::applicationDisplayName()) == kIdOk;
}

bool CWebPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) {
    return false;
}

}  // namespace mapvale::ui
