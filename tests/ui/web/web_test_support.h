#pragma once

#include <QString>
#include <QVariant>
#include <filesystem>
#include <string>

class QWebEngineView;

namespace mapvale::testing {

// What the page's script `expression` gives (null when the page did not answer in time).
QVariant RunScript(QWebEngineView& view, const QString& expression);
// Waits until the page's `expression` is true.
bool WaitForScript(QWebEngineView& view, const QString& expression, int ms = 10000);
// Loads `url` and waits for the load to end; false when it failed or took too long.
bool LoadAndWait(QWebEngineView& view, const QUrl& url);

// A program folder whose path holds a blank and Korean letters, with the shipped movies (and
// their shared script and style) copied into its Info/ from the build's program folder.
std::filesystem::path MakeMovieFolder(const std::filesystem::path& parent);

}  // namespace mapvale::testing
