// mapvale-gallery <folder>: draws the skin's controls, boxes and windows into <folder>/skin/.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "skin_gallery.h"
#include "ui/skin/skin_fonts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mapvale-gallery <output folder>\n");
        return 2;
    }
    mapvale::ui::InstallSkinFonts();
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QStringList written = mapvale::gallery::WriteSkinGallery(QDir(root).filePath("skin"));
    for (const QString& file : written) {
        std::printf("%s\n", qPrintable(file));
    }
    return written.size() == mapvale::gallery::SkinGalleryPictureCount() ? 0 : 1;
}
