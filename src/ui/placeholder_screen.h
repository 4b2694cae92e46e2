#pragma once

#include <QString>

#include "ui/screen_window.h"

namespace mapvale::ui {

// A screen whose real window is not there yet: a plain skinned window that names the class it
// stands for, so the program runs end to end meanwhile.
class PlaceholderScreen : public ScreenWindow {
    Q_OBJECT

public:
    PlaceholderScreen(controller::CMainFrame& frame, const QString& class_name, QSize size);

    const QString& ClassName() const { return class_name_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString class_name_;
};

}  // namespace mapvale::ui
