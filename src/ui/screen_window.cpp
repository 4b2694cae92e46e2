#include "ui/screen_window.h"

#include "controller/main_frame.h"
#include "model/messages.h"

namespace mapvale::ui {

ScreenWindow::ScreenWindow(controller::CMainFrame& frame, int background_image)
    : CSkinDialog(nullptr, background_image), frame_(frame) {
    setWindowFlag(Qt::Window);
    setModal(false);
}

void ScreenWindow::OnCloseRequest() {
    frame_.window().Post(kWmClose, 0, 0);
}

void ScreenWindow::OnCommand(int id) {
    if (id == 2) {
        OnCloseRequest();
    }
}

}  // namespace mapvale::ui
