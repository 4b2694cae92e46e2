#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace mapvale::ui {

// A borderless window showing skin image 478 at its own size.
class CSplashWnd : public QWidget {
    Q_OBJECT

public:
    static constexpr int kImage = 478;
    static constexpr int kShowMs = 2000;

    CSplashWnd();

    // Shows the splash centred on the primary screen and closes it after `ms`. Only the first
    // call of the process shows anything; later ones return null.
    static QPointer<CSplashWnd> ShowOnce(int ms = kShowMs);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap image_;
};

}  // namespace mapvale::ui
