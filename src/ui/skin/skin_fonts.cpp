#include "ui/skin/skin_fonts.h"

#include <QApplication>

namespace mapvale::ui {

namespace {
const QString kSkinFamily = QStringLiteral("굴림");
const QString kRealFamily = QStringLiteral("NanumGothic");
}  // namespace

void InstallSkinFonts() {
    QFont::insertSubstitution(kSkinFamily, kRealFamily);
    QApplication::setFont(SkinFont(12));
}

QFont SkinFont(int pixel_height, int weight) {
    QFont font(kSkinFamily);
    font.setPixelSize(pixel_height);
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

}  // namespace mapvale::ui
