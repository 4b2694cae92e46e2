#include "gallery_sheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "ui/skin/skin_fonts.h"

namespace mapvale::gallery {

namespace {
constexpr int kMargin = 12;
constexpr int kLabelHeight = 18;
}  // namespace

QImage Shoot(QWidget& widget) {
    widget.ensurePolished();
    QCoreApplication::processEvents();
    return widget.grab().toImage();
}

void GallerySheet::Add(const QString& label, const QImage& shot) {
    shots_.append({label, shot});
}

void GallerySheet::AddWidget(const QString& label, QWidget& widget) {
    Add(label, Shoot(widget));
}

namespace {
// A shot of one colour is a control that painted nothing (a missing image, an empty window).
bool Blank(const QImage& image) {
    if (image.isNull()) {
        return true;
    }
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first) {
                return false;
            }
        }
    }
    return true;
}
}  // namespace

bool GallerySheet::Save(const QString& file) const {
    if (shots_.isEmpty()) {
        return false;
    }
    bool blank = false;
    for (const Shot& shot : shots_) {
        if (Blank(shot.image)) {
            std::fprintf(stderr, "%s: shot \"%s\" is blank\n", qPrintable(file),
                         qPrintable(shot.label));
            blank = true;
        }
    }
    if (blank) {
        return false;
    }
    const QFont label_font = ui::SkinFont(12);
    const QFontMetrics metrics(label_font);
    int cell_width = 0, cell_height = 0;
    for (const Shot& shot : shots_) {
        cell_width =
            std::max({cell_width, shot.image.width(), metrics.horizontalAdvance(shot.label)});
        cell_height = std::max(cell_height, shot.image.height());
    }
    const int columns = std::min<int>(columns_, static_cast<int>(shots_.size()));
    const int rows = (static_cast<int>(shots_.size()) + columns - 1) / columns;
    const int step_x = cell_width + kMargin;
    const int step_y = cell_height + kLabelHeight + kMargin;
    QImage sheet(kMargin + columns * step_x, kMargin + rows * step_y, QImage::Format_RGB32);
    sheet.fill(QColor(236, 238, 242));
    QPainter painter(&sheet);
    painter.setFont(label_font);
    painter.setPen(QColor(40, 40, 40));
    for (int i = 0; i < shots_.size(); ++i) {
        const int x = kMargin + (i % columns) * step_x;
        const int y = kMargin + (i / columns) * step_y;
        painter.drawText(QRect(x, y, cell_width, kLabelHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         shots_[i].label);
        painter.drawImage(x, y + kLabelHeight, shots_[i].image);
    }
    painter.end();
    return sheet.save(file, "PNG");
}

QImage MessageBoxShot(const QString& text, const QString& caption, ui::MessageBoxButtons buttons,
                      ui::MessageBoxIcon icon) {
    std::unique_ptr<QMessageBox> box =
        ui::BuildMessageBox(nullptr, text, caption, buttons, icon, QStringLiteral("TSKN_Waymark+"));
    box->show();
    const QImage shot = Shoot(*box);
    box->hide();
    return shot;
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

GalleryFolder::GalleryFolder(const QString& folder) : folder_(folder), ok_(QDir().mkpath(folder)) {}

void GalleryFolder::Save(const GallerySheet& sheet, const QString& name) {
    const QString file = QDir(folder_).filePath(name);
    if (ok_ && sheet.Save(file)) {
        written_.append(file);
    }
}

}  // namespace mapvale::gallery
