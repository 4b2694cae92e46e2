#pragma once

#include <QString>

#include "ui/skin/button_group.h"
#include "ui/skin/skin_dialog.h"

class QLineEdit;

namespace mapvale::controller {
class CMainFrame;
class FrameUi;
}  // namespace mapvale::controller

namespace mapvale::platform {
class Volumes;
}

namespace mapvale::ui {

class CImageButton;

// The settings dialog: the download folder with the free space of its drive, checked against
// the drive's kind and a recommended free space on OK, and the tray agent's notification mode,
// carried through hidden choices. OK stores both through the controller; the close button and
// Escape leave everything as it was. Folders are chosen with the front end's folder chooser and
// the drives are asked of `volumes`.
class CDlgEnv final : public CSkinDialog {
    Q_OBJECT

public:
    static constexpr int kBackground = 407;
    static constexpr int kFolderEdit = 1022;
    static constexpr int kFreeSpaceText = 1040;
    static constexpr int kBrowse = 1021;
    static constexpr int kFirstModeChoice = 1037;  // 1037-1039: modes 0-2, hidden

    CDlgEnv(controller::CMainFrame& frame, controller::FrameUi& ui, platform::Volumes& volumes,
            QWidget* owner);

    QString FolderText() const;
    QString FreeSpaceText() const;
    // The notification mode the hidden choices hold (-1: none, as for a stored mode beyond 2).
    int CheckedMode() const { return modes_.Checked(); }

protected:
    void OnCommand(int id) override;
    void showEvent(QShowEvent* event) override;

private:
    void Browse();
    void Accept();
    void ShowFreeSpace(const QString& folder);

    controller::CMainFrame& frame_;
    controller::FrameUi& ui_;
    platform::Volumes& volumes_;
    QLineEdit* folder_ = nullptr;
    QLineEdit* free_space_ = nullptr;
    CButtonGroup modes_;
};

}  // namespace mapvale::ui
