#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>

class QWidget;

namespace mapvale::ui {

class CMovieView;

// The main screen's status strip: setState with the first three, then setRemainTime when the
// remaining text is not empty.
void ShowStatus(CMovieView& status, const QString& text, int percent, const QString& speed,
                const QString& remaining);

// On a resize of the main screen to `window_size`: a positive size keeps the strip at `rect` and,
// once its movie was set, tells the movie the strip's width. A zero size, or a strip without a
// movie, does nothing.
void ResizeStatus(CMovieView& status, const QSize& window_size, const QRect& rect);

// The pie chart of a content list: made as a visible child of `list` on first use (loading
// Info/PieChart.html from `program_folder`), placed right of the list's first five columns
// (`columns_width` pixels) within the list's client area (scroll bars left out) and sent pieDraw
// for a map package (`camera` false: map, user and free amounts) or a camera-data package
// (`camera`: the install size in `map`).
CMovieView* ShowPie(QWidget* list, const QString& program_folder, int columns_width, bool camera,
                    std::int64_t map, std::int64_t user, std::int64_t free);
// Hides the list's pie (a device marked as having no chart); nothing when it has none.
void HidePie(QWidget* list);

}  // namespace mapvale::ui
