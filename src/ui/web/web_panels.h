#pragma once

#include <string_view>

#include "ui/web/web_panel.h"

namespace mapvale {
class ServerConfig;
}

namespace mapvale::ui {

// The ORLA portal's add-on services (the first browser, 800 x 400).
class CDlgEtc : public CWebPanel {
    Q_OBJECT

public:
    CDlgEtc(QWidget* parent, const ServerConfig& servers, std::string_view user_id);
};

// The TARNO portal's services (the first browser, 800 x 400).
class CDlgEtcTarno : public CWebPanel {
    Q_OBJECT

public:
    CDlgEtcTarno(QWidget* parent, const ServerConfig& servers, std::string_view user_id);
};

// The map page the photo service works with (browser 1027, 737 x 295); `map_value` is the
// controller's value for it.
class CDlgMap : public CWebPanel {
    Q_OBJECT

public:
    CDlgMap(QWidget* parent, const ServerConfig& servers, std::string_view map_value);
};

}  // namespace mapvale::ui
