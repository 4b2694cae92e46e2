#pragma once

#include <functional>

class QWebEngineView;
class QWidget;

namespace mapvale::gallery {

// Lets the engine paint: events for `ms` milliseconds (pictures, not tests: a fixed wait is fine).
void Settle(int ms);

// Handles events until `done` holds or `ms` milliseconds passed; whether it holds.
bool WaitUntil(const std::function<bool()>& done, int ms);

// Runs `load` and waits for the view's page to finish loading, then lets it paint.
bool LoadAndSettle(QWebEngineView& view, const std::function<void()>& load);

// Shows `window` and waits until every browser in it has loaded its page (those that were given
// one), then lets it paint for `settle_ms`: a picture taken before shows blank web areas.
void ShowLoaded(QWidget& window, int settle_ms = 700);

}  // namespace mapvale::gallery
