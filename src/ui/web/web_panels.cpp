#include "ui/web/web_panels.h"

#include "ui/web/panel_addresses.h"

namespace mapvale::ui {

namespace {

// The panels' first browser has no id of its own in their templates.
constexpr int kFirstBrowser = 1000;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CDlgEtc::CDlgEtc(QWidget* parent, const ServerConfig& servers, std::string_view user_id)
    : CWebPanel(parent, kFirstBrowser, QSize(800, 400), Text(OrlaAddOnAddress(servers, user_id))) {
    setObjectName(QStringLiteral("323"));
}

CDlgEtcTarno::CDlgEtcTarno(QWidget* parent, const ServerConfig& servers, std::string_view user_id)
    : CWebPanel(parent, kFirstBrowser, QSize(800, 400), Text(TarnoAddOnAddress(servers, user_id))) {
    setObjectName(QStringLiteral("468"));
}

CDlgMap::CDlgMap(QWidget* parent, const ServerConfig& servers, std::string_view map_value)
    : CWebPanel(parent, 1027, QSize(737, 295), Text(MapPageAddress(servers, map_value))) {
    setObjectName(QStringLiteral("322"));
}

}  // namespace mapvale::ui
