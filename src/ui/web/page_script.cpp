#include "ui/web/page_script.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QWebEngineView>

namespace mapvale::ui {

bool IsScriptIdentifier(const QString& name) {
    static const QRegularExpression kIdentifier(QStringLiteral("^[A-Za-z_$][A-Za-z0-9_$]{0,254}$"));
    return kIdentifier.match(name).hasMatch();
}

int CallPageScript(QWebEngineView* view, const QString& name, const QJsonArray& arguments) {
    if (view == nullptr || view->page() == nullptr || !IsScriptIdentifier(name) ||
        view->url().isEmpty()) {
        return 0;
    }
    const QString name_literal =
        QString::fromUtf8(QJsonDocument(QJsonArray{name}).toJson(QJsonDocument::Compact));
    const QString argument_list =
        QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact));
    // The name travels as data too: only a function the page itself defines is called.
    view->page()->runJavaScript(QStringLiteral("(function(n,a){var f=window[n[0]];"
                                               "if(typeof f==='function'){f.apply(window,a);}})(") +
                                name_literal + QLatin1Char(',') + argument_list +
                                QStringLiteral(");"));
    return 1;
}

}  // namespace mapvale::ui
