#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace mapvale::skin_painter {

struct GifFrame {
    QImage image;  // every frame has the size of the first
    int delay_ms = 100;
};

// A looping GIF89a: one global palette of up to 255 colours plus a transparent index, chosen
// from the frames' most frequent colours; pixels with alpha below half are transparent, the
// others are opaque (GIF has no partial transparency, so callers blend edges themselves). Each
// frame is cleared to transparent before the next one is drawn. Delays are rounded to the
// format's hundredths of a second. Same frames, same bytes.
QByteArray EncodeGif(const QList<GifFrame>& frames);

}  // namespace mapvale::skin_painter
