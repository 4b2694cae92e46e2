#pragma once

#include <QPixmap>

namespace mapvale::ui {

// The skin image of a resource number, compiled in as ":/skin/<number>.png". A number the skin
// does not have gives a null pixmap (which paints nothing) and one warning per number, so a
// screen with a missing image still works and the log says what is missing.
QPixmap SkinImage(int number);

}  // namespace mapvale::ui
