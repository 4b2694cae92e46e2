#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

#include "ui/web/web.h"

namespace mapvale::ui {

class CMovieBridge;

// A movie: one of the program's HTML5 movies in Info/, shown by the browser host without
// window.external. Requests are the movies' <invoke ...> strings; they reach the page as JSON
// string literals (never as script text) and are parsed there. Requests made before the page is
// ready wait, oldest first, at most kMaxWaiting of them (the oldest are dropped).
class CMovieView : public CWeb {
    Q_OBJECT

public:
    static constexpr int kMaxWaiting = 64;

    CMovieView(QWidget* parent, QString program_folder);

    // Loads program folder + `name` ("Info/Process02.html?tmStart=30": what follows the first
    // '?' is passed on unchanged as the query). The layer of LoadMovie is always 0.
    void SetMovie(const QString& name);
    void LoadMovie(int layer, const QString& name) {
        static_cast<void>(layer);
        SetMovie(name);
    }
    // Whether a movie was set (requests then reach it, at once or when it is ready).
    bool HasMovie() const { return has_movie_; }
    bool IsReady() const { return ready_; }

    void CallMovie(std::string_view request);
    void CallMovie(const QString& request);

    // The movie's file address for `name` below `program_folder` (tests and the gallery use it).
    static QUrl MovieUrl(const QString& program_folder, const QString& name);

signals:
    // The movie's FSCommand (any command; the program decides what it means).
    void FSCommand(const QString& command, const QString& arguments);

private:
    void Send(const QString& request);
    void OnLoadFinished(bool ok);

    QString program_folder_;
    CMovieBridge* bridge_ = nullptr;
    QStringList waiting_;
    bool has_movie_ = false;
    bool ready_ = false;
};

}  // namespace mapvale::ui
