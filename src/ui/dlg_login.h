#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>

#include "ui/skin/button_group.h"
#include "ui/skin/message_box.h"
#include "ui/skin/skin_dialog.h"

class QLineEdit;

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::ui {

class CImageButton;
class CStaticColor;
class CWeb;

// The sign-in screen: the brand owner's account, the remember and automatic boxes, the brands'
// find-id and find-password pages. The sign-in itself is the controller's; its results go into
// the controller's settings, which this dialog saves after a success.
//
// While a sign-in runs the controller lets window messages through, so a second sign-in, Enter,
// Escape, a close and the automatic timer all arrive here again: none of them starts anything or
// ends the dialog then.
class CDlgLogin final : public CSkinDialog {
    Q_OBJECT

public:
    enum class Mode {
        kStartUp,     // the program's first sign-in; the stored account may sign in by itself
        kChangeUser,  // opened from the main screen: never signs in by itself
    };

    static constexpr int kBackground = 397;
    static constexpr int kFindBackground = 474;
    static constexpr int kAutoDelayMs = 1000;

    CDlgLogin(controller::CMainFrame& frame, Mode mode, QWidget* parent = nullptr);
    ~CDlgLogin() override;

    // Opens addresses in the desktop's browser (tests record).
    void SetDesktop(std::function<void(const std::string&)> open) { open_ = std::move(open); }

    bool Busy() const { return busy_; }
    bool FindPanelShown() const { return find_panel_; }
    const QString& Brand() const { return brand_; }
    // The number of sign-ins this dialog started.
    int SignInsStarted() const { return sign_ins_started_; }

protected:
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool AgreementMode() const;
    void FillFromStored();
    void SelectBrand(const QString& brand);
    void ShowFindPanel(bool on);
    void SetControlsEnabled(bool on);
    void CopyChoicesToFrame();
    void UpdateRememberedIdButton();
    void OnCheckBox(int id);
    void SignIn(bool requested);
    void SignedIn();
    void ConfirmDataFolder();
    void OnCancel();
    void OpenFindPage(const QString& brand);
    void OpenPage(const std::string& key);
    int Box(const QString& text, const QString& caption, MessageBoxButtons buttons,
            MessageBoxIcon icon);

    controller::CMainFrame& frame_;
    Mode mode_;
    std::function<void(const std::string&)> open_;
    QString brand_ = QStringLiteral("OV");
    bool busy_ = false;
    bool find_panel_ = false;
    int sign_ins_started_ = 0;
    QTimer auto_timer_;      // 1: signs in by itself
    QTimer reenable_timer_;  // 2: change-user mode only gives the controls back

    QLineEdit* id_edit_ = nullptr;
    QLineEdit* password_edit_ = nullptr;
    CImageButton* save_box_ = nullptr;
    CImageButton* auto_box_ = nullptr;
    CImageButton* brand_ov_ = nullptr;
    CImageButton* brand_dl_ = nullptr;
    CImageButton* find_tab_ = nullptr;
    CImageButton* find_id_ = nullptr;
    CImageButton* find_password_ = nullptr;
    CButtonGroup find_choices_;
    CImageButton* remembered_id_ = nullptr;
    CStaticColor* strip_ = nullptr;
    CWeb* banner_ = nullptr;
    QPointer<CDlgLogin> alive_;
};

}  // namespace mapvale::ui
