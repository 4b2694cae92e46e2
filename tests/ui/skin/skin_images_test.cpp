// The committed skin against its list: every listed image is compiled in at its size, and the
// resources hold nothing the list does not name.
#include <gmock/gmock.h>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTextStream>

namespace mapvale::ui {
namespace {

struct ListedImage {
    int number = 0;
    int width = 0;
    int height = 0;
    int frames = 0;
    QString kind;

    QString FileName() const {
        return QStringLiteral("%1.%2").arg(number).arg(
            kind == QLatin1String("animation") ? QStringLiteral("gif") : QStringLiteral("png"));
    }
};

QList<ListedImage> ReadList() {
    QList<ListedImage> images;
    QFile file(QStringLiteral(MAPVALE_SKIN_LIST));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ADD_FAILURE() << "cannot read " << MAPVALE_SKIN_LIST;
        return images;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (columns.size() < 7) {
            ADD_FAILURE() << "short line: " << line.toStdString();
            continue;
        }
        images.append({columns[0].toInt(), columns[1].toInt(), columns[2].toInt(),
                       columns[3].toInt(), columns[4]});
    }
    return images;
}

TEST(SkinImages, EveryListedImageIsCompiledInAtItsSizeWithAlpha) {
    const QList<ListedImage> images = ReadList();
    ASSERT_FALSE(images.isEmpty());
    QSet<int> numbers;
    for (const ListedImage& listed : images) {
        SCOPED_TRACE(listed.number);
        EXPECT_FALSE(numbers.contains(listed.number)) << "listed twice";
        numbers.insert(listed.number);
        ASSERT_GE(listed.frames, 1);
        EXPECT_EQ(listed.width % listed.frames, 0);
        QImageReader reader(QStringLiteral(":/skin/") + listed.FileName());
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.width(), listed.width);
        EXPECT_EQ(image.height(), listed.height);
        EXPECT_TRUE(image.hasAlphaChannel());
    }
}

TEST(SkinImages, TheResourcesHoldOnlyListedImages) {
    QSet<QString> listed;
    for (const ListedImage& image : ReadList()) {
        listed.insert(image.FileName());
    }
    QDirIterator it(QStringLiteral(":/skin"), QDir::Files, QDirIterator::Subdirectories);
    int found = 0;
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        ++found;
        EXPECT_TRUE(listed.contains(name)) << name.toStdString() << " is not in the list";
    }
    EXPECT_EQ(found, listed.size());
}

TEST(SkinImages, TheDesktopIconsExistAtEverySize) {
    const QString icons =
        QFileInfo(QStringLiteral(MAPVALE_SKIN_LIST)).absolutePath() + QStringLiteral("/../icons");
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        for (const QString& name : {QStringLiteral("mapvale"), QStringLiteral("mapvale-tray")}) {
            const QString path =
                QStringLiteral("%1/hicolor/%2x%2/apps/%3.png").arg(icons).arg(size).arg(name);
            SCOPED_TRACE(path.toStdString());
            const QImage icon(path);
            ASSERT_FALSE(icon.isNull());
            EXPECT_EQ(icon.size(), QSize(size, size));
            EXPECT_TRUE(icon.hasAlphaChannel());
        }
    }
}

}  // namespace
}  // namespace mapvale::ui
