#pragma once

#include <QString>
#include <functional>
#include <string_view>

#include "extras/geo_photo.h"
#include "ui/skin/button_group.h"
#include "ui/skin/skin_dialog.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace mapvale::controller {
class CMainFrame;
class FrameUi;
}  // namespace mapvale::controller

namespace mapvale::ui {

class CImageButton;

inline constexpr std::string_view kPicrouteTitle = "Orla짱- Picroute";
inline constexpr std::string_view kPicrouteLoadFailed = "이미지를 로드하는데 실패하였습니다.";
inline constexpr std::string_view kPicrouteLoadCaption = "로드 실패";

// The photo dialog: a photo chosen from the disk with its position, which the map gives (in
// WGS 84, shown here in Bessel 1841) or the photo carries, saved through the controller as
// "UserPhoto.jpg" onto the card and/or posted with a category, a title, a place and a text to
// the ORLA portal's photo board. Modeless; made once and hidden, not destroyed, on close.
class CDlgPicroute final : public CSkinDialog {
    Q_OBJECT

public:
    static constexpr int kBackground = 440;
    static constexpr int kPostingOffVeil = 441;
    static constexpr int kPreview = 1005;
    static constexpr int kPathEdit = 1030;
    static constexpr int kLongitudeEdit = 1032;
    static constexpr int kLatitudeEdit = 1033;
    static constexpr int kSubjectEdit = 1035;
    static constexpr int kLocationEdit = 1036;
    static constexpr int kContentsEdit = 1037;
    static constexpr int kOpen = 14;
    static constexpr int kWebPosting = 1009;
    static constexpr int kCopyToCard = 1010;
    static constexpr int kFirstCategory = 1011;  // 1011-1013
    static constexpr int kGetPosition = 1034;
    static constexpr int kSave = 1;
    static constexpr int kClose = 2;

    CDlgPicroute(controller::CMainFrame& frame, controller::FrameUi& ui, QWidget* owner);

    // Where the open button finds its photo (default: the file dialog); an empty answer is a
    // cancel.
    void SetFileChooser(std::function<QString()> chooser) { choose_file_ = std::move(chooser); }

    // The map's answer to getCoord: a WGS 84 position shown in Bessel.
    void SetCoord(int longitude, int latitude);

    // The dialog's parts, for the tests and the gallery.
    QString PathText() const;
    QString LongitudeText() const;
    QString LatitudeText() const;
    bool WebPosting() const;
    bool CopyToCard() const;
    int Category() const { return categories_.Checked(); }
    bool HasPreview() const;
    const extras::GeoPhoto& Photo() const { return photo_; }

protected:
    void OnCommand(int id) override;
    void OnCloseRequest() override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Open();
    void ShowPreview(const QString& path);
    void UpdatePosting();
    void Save();
    void Reset();

    controller::CMainFrame& frame_;
    controller::FrameUi& ui_;
    std::function<QString()> choose_file_;
    extras::GeoPhoto photo_;
    QLabel* preview_ = nullptr;
    QLineEdit* path_ = nullptr;
    QLineEdit* longitude_ = nullptr;
    QLineEdit* latitude_ = nullptr;
    QLineEdit* subject_ = nullptr;
    QLineEdit* location_ = nullptr;
    QPlainTextEdit* contents_ = nullptr;
    CImageButton* web_posting_ = nullptr;
    CImageButton* copy_to_card_ = nullptr;
    CButtonGroup categories_;
    bool placed_ = false;  // centred over its owner once; later where the user left it
};

}  // namespace mapvale::ui
