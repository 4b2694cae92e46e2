// mapvale-gallery <folder>: draws the skin's controls, boxes and windows into <folder>/skin/ and
// the updater's own boxes and screens into <folder>/shell/.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "shell_gallery.h"
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
    QStringList written = mapvale::gallery::WriteSkinGallery(QDir(root).filePath("skin"));
    written += mapvale::gallery::WriteShellGallery(QDir(root).filePath("shell"));
    for (const QString& file : written) {
        std::printf("%s\n", qPrintable(file));
    }
    const int expected =
        mapvale::gallery::SkinGalleryPictureCount() + mapvale::gallery::ShellGalleryPictureCount();
    return written.size() == expected ? 0 : 1;
}
