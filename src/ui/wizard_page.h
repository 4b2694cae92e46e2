#pragma once

#include <QString>
#include <string_view>

#include "ui/screen_window.h"

class QLabel;

namespace mapvale::ui {

class CMovieView;

// What the easy-install wizard's pages share: one size (a page is placed over the one it
// replaces, so all take the same rectangle), the caption buttons, dragging from any point, and
// the buttons every page handles alike: 2 closes the program (with the controller's question),
// 4 minimises, 3 hands over to the main screen.
class WizardPage : public ScreenWindow {
    Q_OBJECT

public:
    static constexpr int kWidth = 712;
    static constexpr int kHeight = 470;
    static constexpr int kClose = 2;
    static constexpr int kMainScreen = 3;
    static constexpr int kMinimise = 4;
    // Movies sit in control 1008 on every page.
    static constexpr int kMovie = 1008;

    WizardPage(controller::CMainFrame& frame, int background, const char* class_name);

    // The program folder the movies and pictures are read from, with '/' at its end.
    QString ProgramFolder();

protected:
    void OnCommand(int id) override;

    // Caption buttons: close and minimise, and with `main_screen` the button to the main screen.
    void AddCaptionButtons(bool main_screen);
    // A line of text at fixed pixels, plain text whatever it holds.
    QLabel* AddLine(int id, const QRect& place, int pixel_height = 12);
    // A movie of the program folder in control 1008 at `place`.
    CMovieView* AddMovie(const QRect& place, const QString& name);
};

// The controller's UTF-8 text as Qt text.
QString WizardText(std::string_view text);

}  // namespace mapvale::ui
