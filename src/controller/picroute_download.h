#pragma once

#include <vector>

#include "model/script_functions.h"

namespace mapvale::controller {

class FrameUi;
struct ControllerState;

// The photo board's "DownloadPicroute"(address, file name, ignored): fetches a photo of the
// board into the data folder as <file name>.jpg and moves it onto the selected card's photo
// folder, for ORLA units only. 1 when the photo came and its copy was tried, else 0. A file
// name that would leave the data folder counts as a failed download.
class PicrouteDownload {
public:
    PicrouteDownload(const ControllerState& state, FrameUi& ui) : state_(state), ui_(ui) {}

    // `arguments` as the page's call delivers them, last first.
    int Run(const std::vector<ScriptValue>& arguments);

private:
    const ControllerState& state_;
    FrameUi& ui_;
};

}  // namespace mapvale::controller
