#pragma once

#include <vector>

#include "model/script_functions.h"

namespace mapvale::controller {

class FrameUi;
struct ControllerState;

// The map page's "ThemeDownload"(IDCode, gbn, close flag, close argument): fetches the colour
// theme for the selected unit's line into the data folder and moves it onto the selected card,
// into the unit's theme folder, telling the user how it went. 1 when the theme came and its copy
// was tried, else 0.
class ThemeDownload {
public:
    ThemeDownload(const ControllerState& state, FrameUi& ui) : state_(state), ui_(ui) {}

    // `arguments` as the page's call delivers them, last first.
    int Run(const std::vector<ScriptValue>& arguments);

private:
    const ControllerState& state_;
    FrameUi& ui_;
};

}  // namespace mapvale::controller
