// skin-painter: draws the skin images of the windowed programs from resources/skin/images.txt.
//
//   build/ci/bin/skin-painter <repository root>
//
// writes resources/skin/<number>.png (and .gif for animations), the desktop icons in
// resources/icons/hicolor/<N>x<N>/apps/, and the animation tests'
// tests/ui/skin/data/two_frames.gif and the option page's product pictures in resources/Info. The
// output is committed; run this after changing the list or the drawing and commit the result. Same
// source, same bytes: nothing random, no time stamps, no text chunks in the PNGs.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>
#include <cstdlib>

#include "gif_writer.h"
#include "icon_painter.h"
#include "image_list.h"
#include "image_painter.h"
#include "product_painter.h"
#include "spinner.h"

namespace {

using namespace mapvale::skin_painter;

constexpr int kDesktopIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool SavePng(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter writer(path, "png");
    // Maximum zlib effort keeps the committed files small; the output stays deterministic.
    writer.setCompression(100);
    if (!writer.write(image.convertToFormat(QImage::Format_ARGB32))) {
        std::fprintf(stderr, "skin-painter: %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool SaveJpeg(const QImage& image, const QString& path) {
    QImageWriter writer(path, "jpg");
    writer.setQuality(90);
    if (!writer.write(image)) {
        std::fprintf(stderr, "skin-painter: %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool SaveFile(const QByteArray& bytes, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "skin-painter: %s: cannot be written\n", qPrintable(path));
        return false;
    }
    return true;
}

QString DesktopIconName(int number) {
    return number == 154 ? QStringLiteral("mapvale-tray") : QStringLiteral("mapvale");
}

bool PaintEntry(const ImageEntry& entry, const QString& root) {
    const QString skin = root + QStringLiteral("/resources/skin/");
    if (entry.kind == QLatin1String("animation")) {
        const QStringList numbers = entry.subject.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QList<GifFrame> frames =
            PaintSpinner(entry.width, numbers.value(0).toInt(), numbers.value(1).toInt());
        return SaveFile(EncodeGif(frames), skin + QString::number(entry.number) + ".gif");
    }
    if (entry.kind == QLatin1String("icon")) {
        const QImage icon = PaintIcon(entry.subject, entry.width);
        if (icon.isNull()) {
            std::fprintf(stderr, "skin-painter: line %d: unknown icon '%s'\n", entry.line,
                         qPrintable(entry.subject));
            return false;
        }
        bool ok = SavePng(icon, skin + QString::number(entry.number) + ".png");
        for (const int size : kDesktopIconSizes) {
            ok = SavePng(PaintIcon(entry.subject, size),
                         QStringLiteral("%1/resources/icons/hicolor/%2x%2/apps/%3.png")
                             .arg(root)
                             .arg(size)
                             .arg(DesktopIconName(entry.number))) &&
                 ok;
        }
        return ok;
    }
    QString error;
    const QImage image = PaintImage(entry, &error);
    if (image.isNull()) {
        std::fprintf(stderr, "skin-painter: %s\n", qPrintable(error));
        return false;
    }
    return SavePng(image, skin + QString::number(entry.number) + ".png");
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-painter <repository root>\n");
        return 2;
    }
    const QString root = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const ImageList list = ReadImageList(root + QStringLiteral("/resources/skin/images.txt"));
    if (!list.error.isEmpty()) {
        std::fprintf(stderr, "skin-painter: %s\n", qPrintable(list.error));
        return 1;
    }
    bool ok = true;
    for (const ImageEntry& entry : list.entries) {
        ok = PaintEntry(entry, root) && ok;
    }
    // Red then blue, 50 ms each: what the animated picture's tests look for.
    ok = SaveFile(EncodeGif(SolidFrames(8, qRgb(255, 0, 0), qRgb(0, 0, 255), 50)),
                  root + QStringLiteral("/tests/ui/skin/data/two_frames.gif")) &&
         ok;
    // The option page's product pictures ship in the program folder, not in the skin.
    ok = SaveJpeg(PaintDefaultProduct(), root + QStringLiteral("/resources/Info/DefProduct.jpg")) &&
         ok;
    ok =
        SaveJpeg(PaintNoSelection(), root + QStringLiteral("/resources/Info/NoneSelect.jpg")) && ok;
    std::printf("skin-painter: %lld images\n", static_cast<long long>(list.entries.size()));
    return ok ? 0 : 1;
}
