#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace mapvale::ui {

// The main screen's welcome line: one line of text, vertically centred, 2 pixels in from both
// sides, "굴림" 12 pixels semibold in dark grey on a light grey band. Painted through an
// off-screen buffer so frequent updates do not flicker.
class CUserInfo : public QWidget {
    Q_OBJECT

public:
    static constexpr int kInset = 2;
    static inline const QColor kTextColour{60, 60, 60};
    static inline const QColor kBackground{170, 170, 170};

    CUserInfo(int id, QWidget* parent);

    void SetText(const QString& text);
    const QString& Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

}  // namespace mapvale::ui
