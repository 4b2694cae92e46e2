#include "ui/qt_frame_ui.h"

#include <QJsonArray>
#include <QWebEngineView>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QThread>

#include "controller/main_frame.h"
#include "platform/process.h"
#include "ui/dlg_login.h"
#include "ui/dlg_re_agree_popup.h"
#include "ui/dlg_upgrade.h"
#include "ui/screen_window.h"
#include "ui/skin/message_box.h"
#include "ui/skin/splash_window.h"
#include "ui/web/notice_dialog.h"
#include "ui/web/page_script.h"

namespace mapvale::ui {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

MessageBoxButtons ToSkin(controller::Buttons buttons) {
    switch (buttons) {
        case controller::Buttons::kOk:
            return MessageBoxButtons::kOk;
        case controller::Buttons::kYesNo:
            return MessageBoxButtons::kYesNo;
        case controller::Buttons::kYesNoCancel:
            return MessageBoxButtons::kYesNoCancel;
        case controller::Buttons::kOkCancel:
            return MessageBoxButtons::kOkCancel;
    }
    return MessageBoxButtons::kOk;
}

MessageBoxIcon ToSkin(controller::Icon icon) {
    switch (icon) {
        case controller::Icon::kNone:
            return MessageBoxIcon::kNone;
        case controller::Icon::kInformation:
            return MessageBoxIcon::kInformation;
        case controller::Icon::kQuestion:
            return MessageBoxIcon::kQuestion;
        case controller::Icon::kWarning:
            return MessageBoxIcon::kWarning;
        case controller::Icon::kError:
            return MessageBoxIcon::kError;
    }
    return MessageBoxIcon::kNone;
}

controller::Answer ToAnswer(int id) {
    switch (id) {
        case kIdOk:
            return controller::Answer::kOk;
        case kIdYes:
            return controller::Answer::kYes;
        case kIdNo:
            return controller::Answer::kNo;
        default:
            return controller::Answer::kCancel;
    }
}

void CentreOnPrimaryScreen(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place(QPoint(), window->size());
        place.moveCenter(screen->availableGeometry().center());
        window->move(place.topLeft());
    }
}

}  // namespace

QtFrameUi::QtFrameUi(FramePump& pump, ScreenRegistry registry)
    : pump_(pump),
      registry_(std::move(registry)),
      open_([](const std::string& target) { platform::OpenWithDesktop(target); }),
      start_([](const std::string& path) {
          platform::DefaultProcessLauncher().Start(platform::LaunchRequest{path, {}, {}, true});
      }) {
    retire_timer_.setInterval(0);
    retire_timer_.setSingleShot(true);
    connect(&retire_timer_, &QTimer::timeout, this, &QtFrameUi::DeleteRetired);
}

QtFrameUi::~QtFrameUi() {
    for (ScreenWindow* screen : Screens()) {
        delete screen;
    }
    for (const QPointer<ScreenWindow>& screen : retired_) {
        delete screen.data();
    }
}

void QtFrameUi::SetDesktop(std::function<void(const std::string&)> open,
                           std::function<void(const std::string&)> start) {
    open_ = std::move(open);
    start_ = std::move(start);
}

void QtFrameUi::BeginEnding() {
    ending_ = true;
    // Innermost first; each one hides as it is rejected, which uncovers the next.
    for (int guard = 0; guard < 64; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            break;
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal) {
            modal->hide();
        }
    }
}

ScreenWindow* QtFrameUi::WizardScreen(int number) const {
    return wizard_screens_.value(number).data();
}

ScreenWindow* QtFrameUi::CurrentWizardScreen() const {
    return WizardScreen(current_wizard_);
}

QList<ScreenWindow*> QtFrameUi::Screens() const {
    QList<ScreenWindow*> screens;
    for (const QPointer<ScreenWindow>& screen : wizard_screens_) {
        if (screen) {
            screens.append(screen.data());
        }
    }
    if (main_screen_) {
        screens.append(main_screen_.data());
    }
    return screens;
}

void QtFrameUi::Present(ScreenWindow* screen, const QWidget* replaced) {
    screen->setWindowTitle(kProgramTitle);
    if (replaced != nullptr) {
        screen->setGeometry(replaced->geometry());
    } else {
        CentreOnPrimaryScreen(screen);
    }
    screen->show();
    screen->raise();
    screen->activateWindow();
    screen->setFocus();
}

bool QtFrameUi::CreateWizardScreen(int number, std::optional<int> place_over) {
    if (frame_ == nullptr || !registry_.Has(number)) {
        return false;
    }
    ScreenWindow* screen = registry_.Create(number, *frame_);
    if (screen == nullptr) {
        return false;
    }
    const ScreenWindow* replaced = place_over ? WizardScreen(*place_over) : nullptr;
    // A screen replacing one of its own number: the controller destroys "that number" next, and
    // means the old window, not the one just made.
    if (ScreenWindow* previous = WizardScreen(number)) {
        if (previous == replaced) {
            superseded_.insert(number, previous);
        } else {
            Retire(previous);
        }
    }
    wizard_screens_[number] = screen;
    current_wizard_ = number;
    Present(screen, replaced);
    return true;
}

void QtFrameUi::DestroyWizardScreen(int number) {
    if (const QPointer<ScreenWindow> old = superseded_.take(number); old) {
        Retire(old.data());
        return;
    }
    if (ScreenWindow* screen = WizardScreen(number)) {
        Retire(screen);
    }
    wizard_screens_.remove(number);
    if (current_wizard_ == number) {
        current_wizard_ = 0;
        for (auto it = wizard_screens_.constBegin(); it != wizard_screens_.constEnd(); ++it) {
            if (it.value()) {
                current_wizard_ = it.key();
            }
        }
    }
}

void QtFrameUi::CreateMainScreen() {
    if (frame_ == nullptr || main_screen_) {
        return;
    }
    main_screen_ = registry_.Create(ScreenRegistry::kMainScreen, *frame_);
    if (main_screen_) {
        // Unlike the wizard's pages, the main screen keeps the title it gives itself.
        const QString own_title = main_screen_->windowTitle();
        Present(main_screen_.data(), nullptr);
        if (!own_title.isEmpty()) {
            main_screen_->setWindowTitle(own_title);
        }
    }
}

void QtFrameUi::DestroyMainScreen() {
    if (main_screen_) {
        Retire(main_screen_.data());
    }
    main_screen_.clear();
}

void QtFrameUi::Retire(ScreenWindow* screen) {
    screen->hide();
    retired_.append(screen);
    retire_timer_.start();
}

void QtFrameUi::DeleteRetired() {
    // Only from the main loop with nothing modal open: the screen's own code may still be on
    // the stack below a nested loop (its button's signal, a box it owns).
    const bool nested = QThread::currentThread()->loopLevel() > 1;
    if (nested || QApplication::activeModalWidget() != nullptr || pump_.Holding()) {
        retire_timer_.start(50);
        return;
    }
    const QList<QPointer<ScreenWindow>> retired = std::exchange(retired_, {});
    for (const QPointer<ScreenWindow>& screen : retired) {
        delete screen.data();
    }
}

void QtFrameUi::EnableStartButton() {
    for (ScreenWindow* screen : Screens()) {
        screen->EnableStartButton();
    }
}

void QtFrameUi::RefreshLists() {
    for (ScreenWindow* screen : Screens()) {
        screen->RefreshLists();
    }
}

void QtFrameUi::RefreshOptions() {
    for (ScreenWindow* screen : Screens()) {
        screen->RefreshOptions();
    }
}

void QtFrameUi::ShowInstallPage() {
    if (main_screen_) {
        main_screen_->ShowInstallPage();
    }
}

void QtFrameUi::RepaintProgress() {
    if (main_screen_) {
        main_screen_->RepaintProgress();
    }
}

void QtFrameUi::SetStartButtonBitmap(int resource) {
    if (main_screen_) {
        main_screen_->SetStartButtonBitmap(resource);
    }
}

void QtFrameUi::NavigateBanner(const std::string& url) {
    for (ScreenWindow* screen : Screens()) {
        screen->NavigateBanner(url);
    }
}

bool QtFrameUi::TakeSkipQuestionFlag() {
    ScreenWindow* options = WizardScreen(22);
    return options != nullptr && options->TakeSkipQuestionFlag();
}

void QtFrameUi::DisableWizardOptions() {
    if (ScreenWindow* options = WizardScreen(22)) {
        options->DisableWizardOptions();
    }
}

std::optional<std::pair<bool, bool>> QtFrameUi::WizardFormatAndBackupChoice() {
    ScreenWindow* options = WizardScreen(22);
    return options != nullptr ? options->WizardFormatAndBackupChoice() : std::nullopt;
}

QWidget* QtFrameUi::OwnerWindow(controller::Owner owner) const {
    switch (owner) {
        case controller::Owner::kNone:
            return nullptr;
        case controller::Owner::kMainScreen:
            return main_screen_.data();
        case controller::Owner::kWizardScreen:
            return CurrentWizardScreen();
        case controller::Owner::kCurrentScreen:
            if (ScreenWindow* wizard = CurrentWizardScreen()) {
                return wizard;
            }
            return main_screen_.data();
    }
    return nullptr;
}

controller::Answer QtFrameUi::MessageBox(std::string_view text, std::string_view caption,
                                         controller::Buttons buttons, controller::Icon icon,
                                         controller::Owner owner) {
    if (ending_) {
        return ToAnswer(EscapeAnswer(ToSkin(buttons)));
    }
    FramePump::Hold hold(pump_);
    QWidget* parent = OwnerWindow(owner);
    std::unique_ptr<QMessageBox> box = BuildMessageBox(
        parent, FromUtf8(text), FromUtf8(caption), ToSkin(buttons), ToSkin(icon), kProgramTitle);
    if (parent == nullptr) {
        box->adjustSize();
        CentreOnPrimaryScreen(box.get());
    }
    const QPointer<QMessageBox> alive(box.get());
    box->exec();
    if (!alive) {
        static_cast<void>(box.release());  // its owner went away and took it along
        return ToAnswer(EscapeAnswer(ToSkin(buttons)));
    }
    const QAbstractButton* pressed = box->clickedButton();
    if (ending_ || pressed == nullptr) {
        return ToAnswer(EscapeAnswer(ToSkin(buttons)));
    }
    return ToAnswer(pressed->objectName().toInt());
}

QtFrameUi::UpdateOutcome QtFrameUi::RunSelfUpdateDialog(const update::UpdateSetup& setup) {
    if (ending_) {
        return UpdateOutcome::kCancel;
    }
    FramePump::Hold hold(pump_);
    std::optional<update::PkexecElevation> pkexec;
    update::ElevationService* elevation = elevation_;
    if (elevation == nullptr) {
        elevation = &pkexec.emplace(platform::DefaultProcessLauncher());
    }
    CDlgUpgrade dialog(setup, *elevation);
    CentreOnPrimaryScreen(&dialog);
    const UpdateOutcome outcome = dialog.Run();
    return ending_ ? UpdateOutcome::kCancel : outcome;
}

bool QtFrameUi::RunSignInDialog() {
    return RunLoginDialog(true);
}

bool QtFrameUi::RunChangeUserDialog() {
    return RunLoginDialog(false);
}

bool QtFrameUi::RunLoginDialog(bool start_up) {
    if (frame_ == nullptr || ending_) {
        return false;
    }
    FramePump::Hold hold(pump_);
    if (start_up) {
        CSplashWnd::ShowOnce();
    }
    CDlgLogin dialog(*frame_, start_up ? CDlgLogin::Mode::kStartUp : CDlgLogin::Mode::kChangeUser,
                     start_up ? nullptr : OwnerWindow(controller::Owner::kCurrentScreen));
    dialog.SetDesktop(open_);
    if (start_up) {
        CentreOnPrimaryScreen(&dialog);
    }
    return dialog.exec() == QDialog::Accepted && !ending_;
}

int QtFrameUi::RunNoticeDialog(const std::string& text) {
    if (ending_) {
        return 0;
    }
    FramePump::Hold hold(pump_);
    return ui::RunNoticeDialog(OwnerWindow(controller::Owner::kCurrentScreen),
                               QString::fromStdString(text));
}

bool QtFrameUi::RunReconsentDialog() {
    if (frame_ == nullptr || ending_) {
        return false;
    }
    FramePump::Hold hold(pump_);
    CDlgReAgreePopUp dialog(*frame_, OwnerWindow(controller::Owner::kCurrentScreen));
    if (dialog.parentWidget() == nullptr) {
        CentreOnPrimaryScreen(&dialog);
    }
    return dialog.exec() == QDialog::Accepted && !ending_;
}

int QtFrameUi::CallMapPageScript(const std::string& name, const std::vector<int>& arguments) {
    if (!map_panel_) {
        return 0;
    }
    QJsonArray values;
    for (const int argument : arguments) {
        values.append(argument);
    }
    return CallPageScript(map_panel_, QString::fromStdString(name), values);
}

void QtFrameUi::OpenWithDesktop(const std::string& target) {
    if (open_) {
        open_(target);
    }
}

void QtFrameUi::StartProgram(const std::string& path) {
    if (start_) {
        start_(path);
    }
}

std::optional<std::string> QtFrameUi::ChooseFolder(const std::string& initial,
                                                   std::string_view title) {
    if (ending_) {
        return std::nullopt;
    }
    FramePump::Hold hold(pump_);
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    if (qt_folder_chooser_) {
        options |= QFileDialog::DontUseNativeDialog;
    }
    const QString chosen = QFileDialog::getExistingDirectory(
        OwnerWindow(controller::Owner::kCurrentScreen), FromUtf8(title),
        QString::fromStdString(initial), options);
    if (chosen.isEmpty() || ending_) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

void QtFrameUi::ProcessPendingMessages() {
    FramePump::Hold hold(pump_);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void QtFrameUi::SetTimer(int id, int milliseconds) {
    pump_.SetTimer(id, milliseconds);
}

void QtFrameUi::KillTimer(int id) {
    pump_.KillTimer(id);
}

}  // namespace mapvale::ui
