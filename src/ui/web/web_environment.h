#pragma once

#include "model/script_functions.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace mapvale::ui {

// What every browser of a program shares: the functions of window.external, the pages allowed to
// call them, and where pages' new windows go. A program sets it once at start
// (SetWebEnvironment), before its first browser; tests set their own.
struct WebEnvironment {
    // Null: pages get no window.external. Must outlive every browser.
    const ScriptFunctionList* functions = nullptr;
    // "host" or "host:port" of the configured servers (ports compare as given: "host" alone
    // means port 80).
    QStringList trusted_hosts;
    // Pages from files below this folder are trusted too (empty: none).
    QString program_folder;
    // Opens an address outside the program (a page's new window); the desktop's opener by
    // default.
    std::function<void(const QUrl&)> open_external;

    // Whether a page at `url` may call window.external: an http(s) page of a trusted host, or a
    // file below the program folder.
    bool Trusts(const QUrl& url) const;
};

// The environment browsers take when none is given; starts empty (no functions, nothing
// trusted, the desktop opener).
const WebEnvironment& CurrentWebEnvironment();
void SetWebEnvironment(WebEnvironment environment);

}  // namespace mapvale::ui
