#include "ui/web/web.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include "model/script_functions.h"
#include "ui/web/external_bridge.h"
#include "ui/web/web_page.h"

namespace mapvale::ui {

namespace {

QString ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("web: resource %s is missing", qPrintable(path));
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace

CWeb::CWeb(QWidget* parent, const WebEnvironment& environment, bool external)
    : QWebEngineView(parent) {
    setPage(new CWebPage(environment, this));
    setContextMenuPolicy(Qt::NoContextMenu);
    if (external && environment.functions != nullptr) {
        external_ = new CExternalBridge(environment, page(), this);
        Channel()->registerObject(QStringLiteral("mapvaleExternal"), external_);
        QStringList function_names;
        for (const std::string& name : environment.functions->Names()) {
            function_names.append(QString::fromStdString(name));
        }
        const QString names =
            QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(function_names))
                                  .toJson(QJsonDocument::Compact));
        AddDocumentScript(QStringLiteral("mapvale-external"),
                          ReadResource(QStringLiteral(":/mapvale/web/external.js")) +
                              QLatin1Char('(') + names + QStringLiteral(");"));
    }
    WatchFocusProxy();
}

CWeb::~CWeb() {
    // The page goes first: it must not outlive the view it paints into nor see the channel go.
    delete page();
}

void CWeb::Navigate(const QString& address) {
    const QUrl url(address);
    if (!address.isEmpty() && url.isValid()) {
        load(url);
    }
}

bool CWeb::IsSwallowedKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_F5) {
        return true;
    }
    return (modifiers & Qt::ControlModifier) &&
           (key == Qt::Key_O || key == Qt::Key_P || key == Qt::Key_N);
}

QWebChannel* CWeb::Channel() {
    if (channel_ == nullptr) {
        channel_ = new QWebChannel(this);
        page()->setWebChannel(channel_, QWebEngineScript::MainWorld);
        AddDocumentScript(QStringLiteral("mapvale-qwebchannel"),
                          ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) +
                              ReadResource(QStringLiteral(":/mapvale/web/channel_link.js")));
    }
    return channel_;
}

void CWeb::AddDocumentScript(const QString& name, const QString& source) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    page()->scripts().insert(script);
}

bool CWeb::event(QEvent* event) {
    // The engine puts the widget that takes the keys in as a child once it renders.
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished ||
        event->type() == QEvent::Show) {
        WatchFocusProxy();
    }
    return QWebEngineView::event(event);
}

bool CWeb::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
        event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsSwallowedKey(key->key(), key->modifiers())) {
            event->accept();
            return true;
        }
    }
    return QWebEngineView::eventFilter(watched, event);
}

void CWeb::WatchFocusProxy() {
    QWidget* proxy = focusProxy();
    if (proxy != nullptr && proxy != watched_) {
        proxy->installEventFilter(this);
        proxy->setContextMenuPolicy(Qt::NoContextMenu);
        watched_ = proxy;
    }
}

}  // namespace mapvale::ui
