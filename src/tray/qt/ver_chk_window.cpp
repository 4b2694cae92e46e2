#include "tray/qt/ver_chk_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include "tray/screen_placement.h"
#include "ui/skin/image_button.h"
#include "ui/skin/skin_fonts.h"
#include "ui/skin/skin_image.h"

namespace mapvale::tray {

namespace {

constexpr int kWidthUnits = 147;
constexpr int kHeightUnits = 83;
constexpr int kCornerDiameter = 20;

// The nine-piece frame: top band, middle band, bottom band; left, middle, right.
constexpr int kFrame[3][3] = {{142, 143, 144}, {145, 146, 147}, {148, 149, 150}};
constexpr int kTitleImage = 141;
constexpr int kCloseSmallImage = 151;
constexpr int kOkImage = 157;
constexpr int kCloseImage = 158;

ScreenRect ToScreenRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

VerChkWindow::VerChkWindow(std::function<void(int mode)> start_updater, QWidget* parent)
    : ui::CSkinDialog(parent), start_updater_(std::move(start_updater)) {
    // A notification: above other windows, no task-bar entry, and it never takes the focus from
    // what the user is doing.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    SetDragArea(kDragBody);
    const PixelSize size = DialogUnitsToPixels(kWidthUnits, kHeightUnits);
    setFixedSize(size.width, size.height);

    AddButton(kCloseSmallId, kCloseSmallImage, 4, 8, width() - 40);
    ui::CImageButton* ok = AddButton(kOkId, kOkImage, 4, 0, 0);
    ui::CImageButton* close = AddButton(kCloseId, kCloseImage, 4, 0, 0);
    const int buttons_y = height() / 2 + ok->height();
    close->move(25, buttons_y);
    ok->move(width() - 5 - ok->width(), buttons_y);

    hide_timer_.setSingleShot(true);
    connect(&hide_timer_, &QTimer::timeout, this, &VerChkWindow::SlideOut);
    connect(&slide_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& rows) { Reveal(rows.toInt()); });
    connect(&slide_, &QVariantAnimation::finished, this, &VerChkWindow::OnSlideFinished);
}

VerChkWindow::~VerChkWindow() = default;

void VerChkWindow::SetSlideDurations(int in_ms, int out_ms) {
    slide_in_ms_ = in_ms;
    slide_out_ms_ = out_ms;
}

void VerChkWindow::Fill(int type, const QString& text, int mode) {
    mode_ = mode;
    type_ = type;
    text_ = text;
    text_.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    hide_timer_.start(kShowMs);

    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const ScreenPoint place =
            PopupPosition(ToScreenRect(screen->geometry()),
                          ToScreenRect(screen->availableGeometry()), {width(), height()});
        final_position_ = QPoint(place.x, place.y);
    }

    slide_.stop();
    sliding_in_ = true;
    slide_.setStartValue(1);
    slide_.setEndValue(height());
    slide_.setDuration(slide_in_ms_);
    Reveal(1);
    show();
    raise();
    update();
    slide_.start();
}

void VerChkWindow::SlideOut() {
    hide_timer_.stop();
    if (!isVisible() || (Sliding() && !sliding_in_)) {
        return;
    }
    slide_.stop();
    sliding_in_ = false;
    slide_.setStartValue(height());
    slide_.setEndValue(0);
    slide_.setDuration(slide_out_ms_);
    slide_.start();
}

void VerChkWindow::Reveal(int rows) {
    // The window rises from behind its final bottom edge: only the part above that edge shows.
    if (rows <= 0) {
        return;
    }
    rows = std::min(rows, height());
    move(final_position_.x(), final_position_.y() + height() - rows);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), kCornerDiameter / 2.0,
                           kCornerDiameter / 2.0);
    setMask(QRegion(outline.toFillPolygon().toPolygon()) & QRegion(0, 0, width(), rows));
}

void VerChkWindow::OnSlideFinished() {
    // The animation reports only changed values: a slide that ends at once, or ends where the
    // last one did, may never have reported its end.
    if (sliding_in_) {
        Reveal(height());
    } else {
        hide();
    }
}

void VerChkWindow::OnCommand(int id) {
    switch (id) {
        case kCloseSmallId:
            hide_timer_.start(10);
            break;
        case kOkId:
            if (start_updater_) {
                start_updater_(type_);
            }
            break;
        case kCloseId:
            SlideOut();
            break;
        default:
            break;
    }
}

QRect VerChkWindow::TextRect() const {
    const int left = width() * 10 / 100;
    const int right = width() * 90 / 100;
    return QRect(left, 60, right - left, 40);
}

void VerChkWindow::paintEvent(QPaintEvent*) {
    QPixmap canvas(size());
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        const QPixmap top_left = ui::SkinImage(kFrame[0][0]);
        const QPixmap bottom_left = ui::SkinImage(kFrame[2][0]);
        const int edge = top_left.isNull() ? 14 : top_left.width();
        const int top = top_left.isNull() ? 93 : top_left.height();
        const int bottom_height = bottom_left.isNull() ? 13 : bottom_left.height();
        // The last column and row sit one pixel in from the right and bottom edges.
        const int right_x = width() - edge - 1;
        const int bottom_y = height() - bottom_height - 1;
        const int rows[3][2] = {{0, top}, {top, bottom_y - top}, {bottom_y, bottom_height}};
        for (int band = 0; band < 3; ++band) {
            const int y = rows[band][0];
            const int h = rows[band][1];
            if (h <= 0) {
                continue;
            }
            painter.drawPixmap(QRect(0, y, edge, h), ui::SkinImage(kFrame[band][0]));
            painter.drawPixmap(QRect(edge, y, right_x - edge, h), ui::SkinImage(kFrame[band][1]));
            painter.drawPixmap(QRect(right_x, y, edge, h), ui::SkinImage(kFrame[band][2]));
        }
        painter.drawPixmap(9, 9, ui::SkinImage(kTitleImage));
        painter.setFont(ui::SkinFont(13, 700));
        painter.setPen(Qt::black);
        // drawText takes no markup: the text shows as it is, whatever it holds.
        painter.drawText(TextRect(), Qt::AlignCenter | Qt::TextWordWrap, text_);
    }
    QPainter(this).drawPixmap(0, 0, canvas);
}

}  // namespace mapvale::tray
