#pragma once

#include <QFont>

namespace mapvale::ui {

// The screens were drawn for "굴림"; here that family name resolves to NanumGothic, which is also
// the application's font. Call once after the QApplication exists.
void InstallSkinFonts();

// "굴림" at a pixel height and a weight on the 100-900 scale (400 normal, 600 semibold, 700 bold).
QFont SkinFont(int pixel_height, int weight = 400);

}  // namespace mapvale::ui
