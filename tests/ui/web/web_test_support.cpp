#include "ui/web/web_test_support.h"

#include <QEventLoop>
#include <QUrl>
#include <QWebEngineView>
#include <cstdlib>
#include <memory>

#include "ui/wait_for.h"

namespace mapvale::testing {

QVariant RunScript(QWebEngineView& view, const QString& expression) {
    auto result = std::make_shared<QVariant>();
    auto done = std::make_shared<bool>(false);
    view.page()->runJavaScript(expression, [result, done](const QVariant& value) {
        *result = value;
        *done = true;
    });
    WaitFor([&] { return *done; }, 10000);
    return *result;
}

bool WaitForScript(QWebEngineView& view, const QString& expression, int ms) {
    return WaitFor(
        [&] { return RunScript(view, QStringLiteral("!!(") + expression + ")").toBool(); }, ms);
}

bool LoadAndWait(QWebEngineView& view, const QUrl& url) {
    bool finished = false;
    bool ok = false;
    auto connection = QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool success) {
        finished = true;
        ok = success;
    });
    view.load(url);
    WaitFor([&] { return finished; }, 20000);
    QObject::disconnect(connection);
    return ok;
}

std::filesystem::path MakeMovieFolder(const std::filesystem::path& parent) {
    const std::filesystem::path folder = parent / "프로그램 폴더";
    std::filesystem::create_directories(folder / "Info");
    const char* programs = std::getenv("MAPVALE_PROGRAM_DIR");
    const std::filesystem::path shipped = std::filesystem::path(programs ? programs : ".") / "Info";
    for (const auto& entry : std::filesystem::directory_iterator(shipped)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".html") || name.ends_with(".js") || name.ends_with(".css")) {
            std::filesystem::copy_file(entry.path(), folder / "Info" / name);
        }
    }
    return folder;
}

}  // namespace mapvale::testing
