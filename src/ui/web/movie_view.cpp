#include "ui/web/movie_view.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QWebChannel>
#include <QWebEngineSettings>

#include "ui/web/movie_bridge.h"

namespace mapvale::ui {

namespace {

QString ReadResource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The request as a JSON string literal: whatever it holds stays data.
QString JsonLiteral(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

}  // namespace

CMovieView::CMovieView(QWidget* parent, QString program_folder)
    : CWeb(parent, CurrentWebEnvironment(), false), program_folder_(std::move(program_folder)) {
    bridge_ = new CMovieBridge(this);
    connect(bridge_, &CMovieBridge::FSCommand, this, &CMovieView::FSCommand);
    Channel()->registerObject(QStringLiteral("mapvaleMovie"), bridge_);
    AddDocumentScript(QStringLiteral("mapvale-movie"),
                      ReadResource(QStringLiteral(":/mapvale/web/movie_link.js")));
    connect(this, &QWebEngineView::loadStarted, this, [this] { ready_ = false; });
    connect(this, &QWebEngineView::loadFinished, this, &CMovieView::OnLoadFinished);
    // Movies have no background of their own until they paint: the window shows through. A
    // missing movie leaves the area empty rather than showing the engine's error page.
    page()->setBackgroundColor(Qt::transparent);
    page()->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
}

QUrl CMovieView::MovieUrl(const QString& program_folder, const QString& name) {
    const int question = name.indexOf(QLatin1Char('?'));
    const QString path = question < 0 ? name : name.left(question);
    QUrl url = QUrl::fromLocalFile(QDir(program_folder).filePath(path));
    if (question >= 0) {
        url.setQuery(name.mid(question + 1));
    }
    return url;
}

void CMovieView::SetMovie(const QString& name) {
    has_movie_ = true;
    ready_ = false;
    load(MovieUrl(program_folder_, name));
}

void CMovieView::CallMovie(std::string_view request) {
    CallMovie(QString::fromUtf8(request.data(), static_cast<qsizetype>(request.size())));
}

void CMovieView::CallMovie(const QString& request) {
    if (ready_) {
        Send(request);
        return;
    }
    if (waiting_.size() >= kMaxWaiting) {
        waiting_.removeFirst();
    }
    waiting_.append(request);
}

void CMovieView::Send(const QString& request) {
    page()->runJavaScript(
        QStringLiteral("typeof __mapvaleMovieRequest === 'function' && __mapvaleMovieRequest(") +
        JsonLiteral(request) + QStringLiteral(");"));
}

void CMovieView::OnLoadFinished(bool ok) {
    if (!ok || !has_movie_) {
        return;
    }
    ready_ = true;
    const QStringList waiting = std::exchange(waiting_, {});
    for (const QString& request : waiting) {
        Send(request);
    }
}

}  // namespace mapvale::ui
