#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "model/device_entry.h"
#include "ui/skin/button_group.h"
#include "ui/skin/dialog_rsz.h"

class QLabel;

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::ui {

class CImageButton;
class CImageCombo;
class CListClass;
class CProductImage;
class CWeb;

// The main screen's install page: which unit and which card, the install type and the card
// options, the content list with the card chart, the option information page and the S banner,
// and the button that starts or stops the job. It keeps nothing of its own: every choice is a
// controller operation, after which the page shows the controller's state again.
class CDlgInstall final : public CDialogRsz {
    Q_OBJECT

public:
    static constexpr int kStart = 6;
    static constexpr int kType1G = 11;
    static constexpr int kType2G = 12;
    static constexpr int kType4G = 13;
    static constexpr int kTypeCustom = 14;
    static constexpr int kTypeCamera = 15;
    static constexpr int kFormat = 16;
    static constexpr int kBackup = 17;
    static constexpr int kDeepColour = 18;
    static constexpr int kProductSite = 19;
    static constexpr int kRefresh = 20;
    static constexpr int kDeviceBox = 1004;
    static constexpr int kStatic = 1005;
    static constexpr int kList = 1010;
    static constexpr int kOptionPage = 1012;
    static constexpr int kBanner = 1013;
    static constexpr int kPicture = 1014;
    static constexpr int kDriveBox = 1023;
    static constexpr int kListButton = 1041;
    // The page's size inside the main screen's page area.
    static constexpr int kWidth = 785;
    static constexpr int kHeight = 460;

    CDlgInstall(controller::CMainFrame& frame, QWidget* parent);

    // --- What the controller asks of the page (through the main screen) ---
    void RefreshLists();
    void RefreshOptions();
    void EnableStartButton();
    void SetStartButtonBitmap(int resource);
    void NavigateBanner(const std::string& url);
    // The content list and its chart again (the statuses and percents of a running job).
    void RefreshContent();

    int StartButtonBitmap() const { return start_bitmap_; }
    // The address the option information browser was sent to last.
    const QString& OptionPageAddress() const { return option_address_; }
    const QString& PictureFile() const { return picture_file_; }

protected:
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnDeviceChosen(int row);
    void OnDriveChosen(int row);
    void OnTypeChosen(int type);
    void OnStart();
    void OpenProductSite();
    void ShowOptionPage();
    void ShowPicture();
    QString ProgramFolder() const;
    CImageButton* AddCheck(int id, int x, int y, std::string_view caption, int caption_width);

    controller::CMainFrame& frame_;
    CImageCombo* device_box_;
    CImageCombo* drive_box_;
    CButtonGroup types_;
    CImageButton* format_;
    CImageButton* backup_;
    CImageButton* colour_;
    CImageButton* start_;
    CListClass* list_;
    CWeb* option_page_;
    CWeb* banner_;
    CProductImage* picture_;
    std::vector<DeviceEntry*> device_rows_;
    std::vector<char> drive_rows_;  // 0: the hard disk only
    int start_bitmap_ = 0;
    QString option_address_;
    QString picture_file_;
};

}  // namespace mapvale::ui
