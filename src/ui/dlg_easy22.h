#pragma once

#include <QPointer>
#include <map>
#include <string>
#include <vector>

#include "controller/vehicle_media.h"
#include "model/device_entry.h"
#include "ui/wizard_page.h"

class QLabel;

namespace mapvale::ui {

class CImageButton;
class CImageCombo;
class CProductImage;

// The wizard's option page, the first screen after sign-in: which unit, which drive, whether to
// format and back up the card, what will be installed (status line), and the start. It keeps
// the flag that spares the user the hard-disk question once they were told the newest package
// is already there.
class CDlgEasy22 : public WizardPage {
    Q_OBJECT

public:
    static constexpr int kDeviceBox = 1010;
    static constexpr int kDriveBox = 1011;
    static constexpr int kFormat = 1012;
    static constexpr int kBackup = 1013;
    static constexpr int kPicture = 1014;
    static constexpr int kStatus = 1015;
    static constexpr int kMedium = 1016;
    static constexpr int kStart = 1017;
    static constexpr int kSmallCardNote = 1018;
    static constexpr int kMoveScreen = 1019;
    static constexpr int kFormatCaption = 1020;
    static constexpr int kBackupCaption = 1021;
    // The vehicle media table below the program folder.
    static constexpr const char* kMediaTable = "Info/VehicleMedia.txt";

    explicit CDlgEasy22(controller::CMainFrame& frame);

    // --- What the controller asks of this page ---
    void EnableStartButton() override;
    void RefreshLists() override;
    void RefreshOptions() override;
    bool TakeSkipQuestionFlag() override;
    void DisableWizardOptions() override;
    std::optional<std::pair<bool, bool>> WizardFormatAndBackupChoice() override;

    // The picture file shown now (tests and pictures).
    const QString& PictureFile() const { return picture_file_; }
    bool SkipQuestionFlag() const { return skip_question_; }

protected:
    void OnCommand(int id) override;

private:
    void OnDeviceChosen(int row);
    void OnDriveChosen(int row);
    void OnFormatClicked();
    void OnBackupClicked();
    void OnStart();
    void RedrawStatus();
    void ShowPicture();
    void Tell(std::string_view text);
    std::optional<controller::Medium> SelectedMedium();

    CImageCombo* device_box_;
    CImageCombo* drive_box_;
    CImageButton* format_;
    CImageButton* backup_;
    CProductImage* picture_;
    QLabel* status_;
    QLabel* medium_;
    QLabel* small_card_note_;
    CImageButton* move_screen_;
    CImageButton* start_;
    std::vector<DeviceEntry*> device_rows_;
    std::vector<char> drive_rows_;  // 0: the hard disk
    std::map<std::string, controller::Medium> media_;
    QString picture_file_;
    bool skip_question_ = false;
    bool options_disabled_ = false;
};

}  // namespace mapvale::ui
