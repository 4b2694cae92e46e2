#pragma once

#include <QImage>
#include <QList>
#include <QString>

class QWidget;

namespace mapvale::gallery {

// A picture of several labelled shots in a grid, written as one PNG.
class GallerySheet {
public:
    explicit GallerySheet(int columns) : columns_(columns) {}

    void Add(const QString& label, const QImage& shot);
    // The widget as it paints itself now (laid out and polished first).
    void AddWidget(const QString& label, QWidget& widget);
    // False, and nothing written, when a shot is blank (one colour) or the file cannot be written.
    bool Save(const QString& file) const;

private:
    struct Shot {
        QString label;
        QImage image;
    };
    int columns_;
    QList<Shot> shots_;
};

// The widget's own picture, after the events that make it current were handled.
QImage Shoot(QWidget& widget);

}  // namespace mapvale::gallery
