#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <string_view>

#include "ui/skin/message_box.h"

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

// A picture of the skin's message box as the program would show it.
QImage MessageBoxShot(const QString& text, const QString& caption, ui::MessageBoxButtons buttons,
                      ui::MessageBoxIcon icon);

// UTF-8 text of the program's own constants.
QString Text(std::string_view text);

// Writes sheets into `folder` (made when missing) and lists the files that were written.
class GalleryFolder {
public:
    explicit GalleryFolder(const QString& folder);
    bool ok() const { return ok_; }
    void Save(const GallerySheet& sheet, const QString& name);
    const QStringList& written() const { return written_; }

private:
    QString folder_;
    bool ok_;
    QStringList written_;
};

}  // namespace mapvale::gallery
