#include "ui/wizard_page.h"

#include <QLabel>

#include "controller/main_frame.h"
#include "ui/skin/image_button.h"
#include "ui/skin/skin_fonts.h"
#include "ui/web/movie_view.h"

namespace mapvale::ui {

namespace {

// The caption buttons' strips (4 frames of 21 x 21) and their row in the title band.
constexpr int kCloseImage = 333;
constexpr int kMinimiseImage = 334;
constexpr int kMainScreenImage = 389;
constexpr int kCaptionY = 11;

}  // namespace

QString WizardText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

WizardPage::WizardPage(controller::CMainFrame& frame, int background, const char* class_name)
    : ScreenWindow(frame, background) {
    setObjectName(QString::fromLatin1(class_name));
    setFixedSize(kWidth, kHeight);
    SetDragArea(kDragBody);
}

QString WizardPage::ProgramFolder() {
    QString folder = WizardText(frame().state().settings.program_folder);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

void WizardPage::OnCommand(int id) {
    switch (id) {
        case kMinimise:
            showMinimized();
            break;
        case kMainScreen:
            frame().ToggleMainScreen(true);
            break;
        default:
            ScreenWindow::OnCommand(id);
            break;
    }
}

void WizardPage::AddCaptionButtons(bool main_screen) {
    AddButton(kClose, kCloseImage, 4, kCaptionY, kWidth - 29);
    AddButton(kMinimise, kMinimiseImage, 4, kCaptionY, kWidth - 52);
    if (main_screen) {
        AddButton(kMainScreen, kMainScreenImage, 4, kCaptionY, kWidth - 75);
    }
}

QLabel* WizardPage::AddLine(int id, const QRect& place, int pixel_height) {
    auto* line = new QLabel(this);
    line->setObjectName(QString::number(id));
    line->setTextFormat(Qt::PlainText);
    line->setFont(SkinFont(pixel_height));
    line->setGeometry(place);
    return line;
}

CMovieView* WizardPage::AddMovie(const QRect& place, const QString& name) {
    auto* movie = new CMovieView(this, ProgramFolder());
    movie->setObjectName(QString::number(kMovie));
    movie->setGeometry(place);
    movie->SetMovie(name);
    return movie;
}

}  // namespace mapvale::ui
