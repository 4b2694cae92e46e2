#pragma once

#include <QString>
#include <string_view>

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

// What the settings dialog says.
inline constexpr std::string_view kEnvChooseTitle = "디렉토리를 선택하세요.";
inline constexpr std::string_view kEnvTextRemote =
    "선택하신 폴더는 이동식 디스크 타입의 경로입니다.\n문제가 발생 할 수있습니다.\n계속할까요?";
inline constexpr std::string_view kEnvCaptionRemote = "드라이브 설정 경고";
inline constexpr std::string_view kEnvTextNotHardDisk =
    "하드디스크 타입이 아닌 드라이브로 설정할 수 없습니다!";
inline constexpr std::string_view kEnvCaptionNotHardDisk = "폴더 설정 오류";
inline constexpr std::string_view kEnvTextLowSpace =
    "선택하신 폴더의 드라이브 용량이 부족할 수 있습니다.\n\n8 GBytes 이상의 여유용량을 확보해 "
    "주시거나\n\n다른 드라이브의 폴더를 선택하실것을 권장합니다.";
inline constexpr std::string_view kEnvCaptionLowSpace = "폴더 설정 권장";

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
