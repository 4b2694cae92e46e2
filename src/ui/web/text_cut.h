#pragma once

#include <QString>

namespace mapvale::ui {

// `text` cut to at most `max_units` UTF-16 units without splitting a surrogate pair.
QString CutAtCharacter(const QString& text, int max_units);
// `text` cut so that its UTF-8 form takes at most `max_bytes` bytes, at a character boundary.
QString CutToUtf8Bytes(const QString& text, int max_bytes);

}  // namespace mapvale::ui
