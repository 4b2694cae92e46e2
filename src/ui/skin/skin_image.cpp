#include "ui/skin/skin_image.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QtGlobal>

namespace mapvale::ui {

QPixmap SkinImage(int number) {
    // Pixmaps live on the GUI thread only, so plain containers do.
    static QHash<int, QPixmap> loaded;
    static QSet<int> missing;
    if (auto it = loaded.constFind(number); it != loaded.constEnd()) {
        return *it;
    }
    if (missing.contains(number)) {
        return {};
    }
    QPixmap image(QStringLiteral(":/skin/%1.png").arg(number));
    if (image.isNull()) {
        missing.insert(number);
        qWarning("skin image %d is missing", number);
        return {};
    }
    loaded.insert(number, image);
    return image;
}

}  // namespace mapvale::ui
