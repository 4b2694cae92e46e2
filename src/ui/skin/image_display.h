#pragma once

#include <QPixmap>
#include <QWidget>

namespace mapvale::ui {

// A picture on a white background, drawn at the control's origin.
class CImageDisplay : public QWidget {
    Q_OBJECT

public:
    CImageDisplay(int id, QWidget* parent);

    void SetImage(int image);
    void SetPixmap(const QPixmap& pixmap);
    const QPixmap& Pixmap() const { return pixmap_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap pixmap_;
};

}  // namespace mapvale::ui
