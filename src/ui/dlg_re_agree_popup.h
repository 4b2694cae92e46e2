#pragma once

#include "ui/skin/button_group.h"
#include "ui/skin/skin_dialog.h"

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::ui {

class CImageButton;
class CWeb;

// The traffic-information agreement: the agreement page, agree (1050) and decline (1054) in one
// group showing the current choice, and OK, which waits for a click on a choice. Each click is
// recorded (and reported when it changed) by the controller at once. Accepted only through OK.
class CDlgReAgreePopUp final : public CSkinDialog {
    Q_OBJECT

public:
    static constexpr int kBackground = 462;

    CDlgReAgreePopUp(controller::CMainFrame& frame, QWidget* parent = nullptr);

protected:
    void OnCommand(int id) override;

private:
    controller::CMainFrame& frame_;
    CImageButton* agree_ = nullptr;
    CImageButton* decline_ = nullptr;
    CImageButton* ok_ = nullptr;
    CButtonGroup choices_;
    CWeb* page_ = nullptr;
};

}  // namespace mapvale::ui
