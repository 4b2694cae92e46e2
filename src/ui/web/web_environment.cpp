#include "ui/web/web_environment.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace mapvale::ui {

namespace {

WebEnvironment& Current() {
    static WebEnvironment environment;
    return environment;
}

QString HostText(const QUrl& url) {
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    const int default_port = url.scheme() == QLatin1String("https") ? 443 : 80;
    const int port = url.port(default_port);
    return port == 80 ? host : host + QLatin1Char(':') + QString::number(port);
}

QString NormalHost(QString configured) {
    configured = configured.trimmed().toLower();
    if (configured.endsWith(QLatin1String(":80"))) {
        configured.chop(3);
    }
    return configured;
}

}  // namespace

bool WebEnvironment::Trusts(const QUrl& url) const {
    if (!url.isValid()) {
        return false;
    }
    if (url.isLocalFile()) {
        if (program_folder.isEmpty()) {
            return false;
        }
        const QString folder = QFileInfo(program_folder).canonicalFilePath();
        const QString file = QFileInfo(url.toLocalFile()).canonicalFilePath();
        return !folder.isEmpty() && !file.isEmpty() &&
               file.startsWith(QDir(folder).absolutePath() + QLatin1Char('/'));
    }
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) {
        return false;
    }
    const QString host = HostText(url);
    for (const QString& trusted : trusted_hosts) {
        if (!trusted.trimmed().isEmpty() && NormalHost(trusted) == host) {
            return true;
        }
    }
    return false;
}

const WebEnvironment& CurrentWebEnvironment() {
    WebEnvironment& environment = Current();
    if (!environment.open_external) {
        environment.open_external = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    }
    return environment;
}

void SetWebEnvironment(WebEnvironment environment) {
    Current() = std::move(environment);
}

}  // namespace mapvale::ui
