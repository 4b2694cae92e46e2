#include "ui/web/web_engine_setup.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <cstdlib>

namespace mapvale::ui {

namespace {

bool off_the_record = false;
QWebEngineProfile* profile = nullptr;

}  // namespace

void PrepareWebEngine() {
    if (::geteuid() == 0 && std::getenv("QTWEBENGINE_DISABLE_SANDBOX") == nullptr) {
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    // Every view of a site shares one renderer process: the screens show several movies and
    // pages of the same few origins at once, and a renderer per view costs some 70-90 MB each.
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--process-per-site", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QWebEngineProfile* WebProfile() {
    if (profile == nullptr) {
        profile = off_the_record ? new QWebEngineProfile(QCoreApplication::instance())
                                 : new QWebEngineProfile(QStringLiteral("Mapvale"),
                                                         QCoreApplication::instance());
        if (!off_the_record) {
            profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
        }
        QObject::connect(profile, &QWebEngineProfile::downloadRequested,
                         [](QWebEngineDownloadRequest* download) { download->cancel(); });
        QObject::connect(profile, &QObject::destroyed, [] { profile = nullptr; });
    }
    return profile;
}

void UseOffTheRecordProfile() {
    off_the_record = true;
}

}  // namespace mapvale::ui
