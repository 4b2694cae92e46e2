#include "ui/web/status_movies.h"

#include <QAbstractScrollArea>

#include "controller/movie_requests.h"
#include "ui/web/movie_view.h"

namespace mapvale::ui {

namespace {

const QString kPieName = QStringLiteral("1015-pie");

CMovieView* FindPie(QWidget* list) {
    return list->findChild<CMovieView*>(kPieName, Qt::FindDirectChildrenOnly);
}

}  // namespace

void ShowStatus(CMovieView& status, const QString& text, int percent, const QString& speed,
                const QString& remaining) {
    status.CallMovie(controller::SetStateRequest(text.toStdString(), percent, speed.toStdString()));
    if (!remaining.isEmpty()) {
        status.CallMovie(controller::SetRemainTimeRequest(remaining.toStdString()));
    }
}

void ResizeStatus(CMovieView& status, const QSize& window_size, const QRect& rect) {
    if (window_size.width() <= 0 || window_size.height() <= 0) {
        return;
    }
    status.setGeometry(rect);
    if (status.HasMovie()) {
        status.CallMovie(controller::CallResizeRequest(status.width()));
    }
}

CMovieView* ShowPie(QWidget* list, const QString& program_folder, int columns_width, bool camera,
                    std::int64_t map, std::int64_t user, std::int64_t free) {
    CMovieView* pie = FindPie(list);
    if (pie == nullptr) {
        pie = new CMovieView(list, program_folder);
        pie->setObjectName(kPieName);
        pie->LoadMovie(0, QStringLiteral("Info/PieChart.html"));
    }
    // The client area ends where a scroll bar begins: a chart under the bar loses its right edge.
    QSize client = list->size();
    if (const auto* area = qobject_cast<const QAbstractScrollArea*>(list)) {
        const QRect view = area->viewport()->geometry();
        client = QSize(view.right() + 1, view.bottom() + 1);
    }
    const controller::PiePlacement place =
        controller::PlacePie(client.width(), client.height(), columns_width);
    pie->setGeometry(place.x, place.y, place.width, place.height);
    pie->show();
    pie->CallMovie(camera ? controller::PieDrawCameraRequest(map, place.radius)
                          : controller::PieDrawMapRequest(map, user, free, place.radius));
    return pie;
}

void HidePie(QWidget* list) {
    if (CMovieView* pie = FindPie(list)) {
        pie->hide();
    }
}

}  // namespace mapvale::ui
