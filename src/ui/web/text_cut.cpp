#include "ui/web/text_cut.h"

namespace mapvale::ui {

QString CutAtCharacter(const QString& text, int max_units) {
    if (text.size() <= max_units) {
        return text;
    }
    int end = std::max(max_units, 0);
    if (end > 0 && text.at(end - 1).isHighSurrogate()) {
        --end;
    }
    return text.left(end);
}

QString CutToUtf8Bytes(const QString& text, int max_bytes) {
    int bytes = 0;
    int end = 0;
    while (end < text.size()) {
        const char32_t unit = text.at(end).unicode();
        int units = 1;
        int length = 3;
        if (unit < 0x80) {
            length = 1;
        } else if (unit < 0x800) {
            length = 2;
        } else if (QChar::isHighSurrogate(unit) && end + 1 < text.size() &&
                   text.at(end + 1).isLowSurrogate()) {
            length = 4;
            units = 2;
        }
        if (bytes + length > max_bytes) {
            break;
        }
        bytes += length;
        end += units;
    }
    return text.left(end);
}

}  // namespace mapvale::ui
