#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace mapvale::ui {

// The selected unit's product picture, fitted into the control with its proportions kept, on
// white. A picture that cannot be read leaves the control white.
class CProductImage : public QWidget {
    Q_OBJECT

public:
    CProductImage(int id, QWidget* parent);

    // False when the file cannot be read as a picture.
    bool SetPicture(const QString& file);
    void Clear();
    bool HasPicture() const { return !picture_.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace mapvale::ui
