#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <optional>

#include "controller/status_strip.h"
#include "ui/screen_window.h"

class QWidget;

namespace mapvale::ui {

class CDlgEtc;
class CDlgEtcTarno;
class CDlgInstall;
class CDlgMap;
class CDlgPicroute;
class CImageButton;
class CMovieView;
class CUserInfo;
class CWebPanel;

// The main screen: all options in one resizable window. Its own caption buttons, four page tabs
// (install, map content, extra content, TARNO extra content) over one page area, the settings,
// the change of user and the way back to the wizard, a welcome line, and at the bottom the
// status strip that follows the selected device's job every 300 ms.
//
// It is dragged by its top 50 pixels and resized by the 12 x 12 square at its bottom-right
// corner; a double click in the top 50 pixels maximises it (the screen's work area and one
// pixel more on every side) or brings back the rectangle it had. Enter does nothing.
class CDlgMain final : public ScreenWindow {
    Q_OBJECT

public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kClose = 2;
    static constexpr int kMinimise = 4;
    static constexpr int kMaximise = 5;
    static constexpr int kInstallTab = 6;
    static constexpr int kMapTab = 7;
    static constexpr int kEtcTab = 8;
    static constexpr int kSettings = 9;
    static constexpr int kChangeUser = 10;
    static constexpr int kWizard = 11;
    static constexpr int kTarnoTab = 12;
    static constexpr int kStatus = 1008;
    static constexpr int kWelcome = 1009;
    static constexpr int kPages = 1010;
    static constexpr int kMaximiseImage = 389;
    static constexpr int kRestoreImage = 439;
    // The band that moves the window and takes the double click.
    static constexpr int kCaptionHeight = 50;
    // The square at the bottom-right corner that resizes it.
    static constexpr int kGripSize = 12;

    explicit CDlgMain(controller::CMainFrame& frame);

    // --- What the controller asks of the screen ---
    void EnableStartButton() override;
    void RefreshLists() override;
    void RefreshOptions() override;
    void ShowInstallPage() override;
    void RepaintProgress() override;
    void SetStartButtonBitmap(int resource) override;
    void NavigateBanner(const std::string& url) override;

    bool Maximised() const { return maximised_; }
    void ToggleMaximise();
    // The page shown in the page area (the install page, or one of the web panels).
    QWidget* ShownPage() const;
    CDlgInstall* InstallPage() const { return install_; }
    // What the status strip shows now (tests and pictures).
    const std::optional<controller::StatusStrip>& Strip() const { return strip_; }
    // Reads the job state into the strip now, as the timer does.
    void RefreshStatus();
    // The photo dialog the map page opens: made once over this screen and kept, hidden on close.
    CDlgPicroute* OpenPhotoDialog();
    // Null until a page opened it.
    CDlgPicroute* PhotoDialog() const;

protected:
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Moving {
        QPointer<QWidget> control;
        QPoint place;  // at the initial size
    };

    void ShowPage(QWidget* page, CImageButton* tab);
    void ShowWebPanel(CWebPanel* panel, CImageButton* tab);
    CDlgMap* MapPage();
    void ChangeUser();
    void OpenSettings();
    void SetWelcome();
    bool InGrip(const QPoint& point) const;
    QRect StatusRect() const;
    QRect PagesRect() const;

    CUserInfo* welcome_;
    CMovieView* status_;
    QWidget* pages_;
    CDlgInstall* install_;
    QPointer<CDlgMap> map_;
    QPointer<CDlgEtc> etc_;
    QPointer<CDlgEtcTarno> tarno_;
    QPointer<CDlgPicroute> photo_;
    CImageButton* maximise_;
    QList<CImageButton*> tabs_;
    QList<Moving> right_side_;  // keep their distance to the right edge
    QTimer status_timer_;
    std::optional<controller::StatusStrip> strip_;
    bool maximised_ = false;
    std::optional<QRect> normal_rect_;
    bool resizing_ = false;
    QPoint resize_grip_;
};

}  // namespace mapvale::ui
