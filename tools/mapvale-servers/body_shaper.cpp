#include "mapvale-servers/body_shaper.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "mapvale-servers/pacer.h"

namespace mapvale::servers {

httplib::ContentProvider ShapeBody(httplib::ContentProvider inner, BodyShape shape,
                                   BodyTally& tally, const platform::Clock& clock,
                                   std::function<bool(std::chrono::milliseconds)> pause) {
    // The pace starts with the first byte, not when the handler answered; the provider is
    // copied by httplib, so the pacer lives behind a shared pointer.
    auto pacer = std::make_shared<std::optional<Pacer>>();
    return [inner = std::move(inner), shape, &tally, &clock, pause = std::move(pause), pacer](
               std::size_t offset, std::size_t length, httplib::DataSink& sink) -> bool {
        if (shape.bytes_per_second > 0 && !pacer->has_value()) {
            pacer->emplace(shape.bytes_per_second, clock);
        }
        bool stopped = false;
        httplib::DataSink proxy;
        proxy.is_writable = sink.is_writable;
        proxy.done = [&] {
            tally.done = true;
            sink.done();
        };
        proxy.write = [&](const char* data, std::size_t size) -> bool {
            while (size > 0) {
                std::size_t piece = size;
                if (shape.cut_after) {
                    if (tally.sent >= *shape.cut_after) {
                        tally.cut = true;
                        return false;
                    }
                    piece = static_cast<std::size_t>(
                        std::min<std::uint64_t>(piece, *shape.cut_after - tally.sent));
                }
                if (pacer->has_value()) {
                    piece = std::min(piece, (*pacer)->PieceSize());
                }
                if (!sink.write(data, piece)) {
                    return false;
                }
                tally.sent += piece;
                data += piece;
                size -= piece;
                if (pacer->has_value()) {
                    const auto wait = (*pacer)->Account(piece);
                    if (wait.count() > 0 && !pause(wait)) {
                        stopped = true;
                        return false;
                    }
                }
            }
            return true;
        };
        const bool ok = inner(offset, length, proxy);
        // A cut that falls exactly on the end of this piece is made on the next call, before
        // any more bytes go out.
        return ok && !tally.cut && !stopped;
    };
}

}  // namespace mapvale::servers
