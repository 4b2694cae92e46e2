#pragma once

#include <QJsonObject>

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::ui {

// The controller's state as a driver reads it: the process, the screen shown, whether a job runs,
// the chosen drive and device with its job stage and percents, whether the sign-in dialog is open.
// Null frame (before the start-up made it, or after it ended): {"frame": false, "pid": ...}.
QJsonObject DescribeFrameState(const controller::CMainFrame* frame);

}  // namespace mapvale::ui
