#pragma once

#include "ui/screen_operations.h"
#include "ui/skin/skin_dialog.h"

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::ui {

// The base of the updater's screens (the wizard's pages and the main screen): a skinned window
// that belongs to the controller. Closing it from the window manager (Alt+F4) asks the
// controller to close the program, which asks the user; Escape does the same.
class ScreenWindow : public CSkinDialog, public ScreenOperations {
    Q_OBJECT

public:
    ScreenWindow(controller::CMainFrame& frame, int background_image);

    controller::CMainFrame& frame() { return frame_; }

protected:
    void OnCloseRequest() override;
    void OnCommand(int id) override;

private:
    controller::CMainFrame& frame_;
};

}  // namespace mapvale::ui
