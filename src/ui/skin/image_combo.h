#pragma once

#include <QComboBox>
#include <QTimer>

namespace mapvale::ui {

// A drop-down list of text items drawn flat: a white box with a sunken 3-D frame, the current
// item's text, and the arrow of skin image 452 (normal, open, hover, disabled).
class CImageCombo : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kArrowImage = 452;
    static constexpr int kArrowFrames = 4;

    CImageCombo(int id, QWidget* parent);

    // The arrow frame shown now: 3 disabled, 1 open, 2 hovered, else 0.
    int ArrowFrame() const;
    bool IsHovered() const { return hover_; }
    bool IsOpen() const { return open_; }

    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetHover(bool hover);

    bool hover_ = false;
    bool open_ = false;
    QTimer hover_check_;
};

}  // namespace mapvale::ui
