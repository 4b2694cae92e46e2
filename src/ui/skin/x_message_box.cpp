#include "ui/skin/x_message_box.h"

#include <QApplication>
#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace mapvale::ui {

namespace {

// Pixel sizes of a system message box at 96 dpi; the text and the buttons grow from the font.
constexpr int kMargin = 16;  // around the icon and the text, inside the message area
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;        // between the icon and the text
constexpr int kMaxTextWidth = 480;  // longer lines wrap
constexpr int kMinWidth = 320;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonMinHeight = 23;
constexpr int kButtonGap = 8;
constexpr int kBandMargin = 12;  // between the buttons and the band's edges

const QColor kMessageAreaColor(0xFF, 0xFF, 0xFF);
const QColor kBandColor(0xF0, 0xF0, 0xF0);
const QColor kBandLineColor(0xDF, 0xDF, 0xDF);

QStyle::StandardPixmap StandardIcon(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::kQuestion:
            return QStyle::SP_MessageBoxQuestion;
        case MessageBoxIcon::kWarning:
            return QStyle::SP_MessageBoxWarning;
        case MessageBoxIcon::kError:
            return QStyle::SP_MessageBoxCritical;
        case MessageBoxIcon::kNone:
        case MessageBoxIcon::kInformation:
            break;
    }
    return QStyle::SP_MessageBoxInformation;
}

int Run(std::unique_ptr<XMessageBox> box) {
    QPointer<XMessageBox> alive(box.get());
    const int answer = box->exec();
    if (alive.isNull()) {
        // The owner took the box with it; the owner's destructor already freed it.
        (void)box.release();
        return kIdCancel;
    }
    return answer == kIdYes || answer == kIdNo ? answer : kIdCancel;
}

}  // namespace

XMessageBox::XMessageBox(const QString& text, const QString& caption, MessageBoxIcon icon,
                         const XMessageBoxParams& params)
    : QDialog(params.owner != nullptr ? params.owner : DefaultMessageBoxOwner()),
      vista_style_((params.options & kXMessageBoxVistaStyle) != 0) {
    setWindowTitle(caption);
    if (icon != MessageBoxIcon::kNone) {
        icon_ = new QLabel(this);
        icon_->setObjectName(QStringLiteral("icon"));
        icon_->setPixmap(
            style()->standardIcon(StandardIcon(icon), nullptr, this).pixmap(kIconSize));
    }
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("message"));
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setText(text);
    if (vista_style_) {
        // The area is white whatever the desktop's colours are, so the text must stay dark on it.
        QPalette palette = text_->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        text_->setPalette(palette);
    }
    buttons_[0] = AddButton(kIdYes, params.yes_caption, u"예");
    buttons_[1] = AddButton(kIdNo, params.no_caption, u"아니오");
    buttons_[2] = AddButton(kIdCancel, params.cancel_caption, u"취소");
    buttons_[0]->setDefault(true);
    buttons_[0]->setFocus();
    Arrange();
}

QPushButton* XMessageBox::AddButton(int answer, const QString& caption,
                                    const char16_t* standard_label) {
    auto* button =
        new QPushButton(caption.isEmpty() ? QString::fromUtf16(standard_label) : caption, this);
    button->setObjectName(QString::number(answer));
    connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
    return button;
}

void XMessageBox::Arrange() {
    // The widest line as the font draws it, wrapped only past the maximum. A word longer than the
    // maximum (an address, a path) cannot wrap, so the text gets as wide as that word. The label
    // then says how tall it is at that width, so what it draws is what was measured.
    const QFontMetrics metrics(text_->font());
    const QString& text = text_->text();
    const int natural_width = metrics.size(Qt::TextExpandTabs, text).width() + 2;
    int text_width = std::clamp(natural_width, 1, kMaxTextWidth);
    text_width = std::max(text_width, metrics
                                          .boundingRect(QRect(0, 0, text_width, QWIDGETSIZE_MAX),
                                                        Qt::TextWordWrap | Qt::TextExpandTabs, text)
                                          .width());
    const int text_height = std::max(text_->heightForWidth(text_width), metrics.height());
    const int icon_space = icon_ != nullptr ? kIconSize + kIconGap : 0;
    const int content_height = std::max(icon_ != nullptr ? kIconSize : 0, text_height);
    const int area_height = content_height + 2 * kMargin;

    QSize button_size(kButtonMinWidth, kButtonMinHeight);
    for (QPushButton* button : buttons_) {
        button_size = button_size.expandedTo(button->sizeHint());
    }
    const int buttons_width = 3 * button_size.width() + 2 * kButtonGap;
    const int band_height = button_size.height() + 2 * kBandMargin;

    const int width = std::max(
        {kMinWidth, 2 * kMargin + icon_space + text_width, buttons_width + 2 * kBandMargin});
    message_area_ = QRect(0, 0, width, area_height);
    button_band_ = QRect(0, area_height, width, band_height);

    if (icon_ != nullptr) {
        icon_->setGeometry(kMargin, kMargin, kIconSize, kIconSize);
    }
    // A text shorter than the icon sits level with the icon's middle.
    text_->setGeometry(kMargin + icon_space, kMargin + (content_height - text_height) / 2,
                       text_width, text_height);

    // The Vista look keeps the buttons at the band's right; the classic one centres them.
    int x = vista_style_ ? width - kBandMargin - buttons_width : (width - buttons_width) / 2;
    const int y = area_height + kBandMargin;
    for (QPushButton* button : buttons_) {
        button->setGeometry(QRect(QPoint(x, y), button_size));
        x += button_size.width() + kButtonGap;
    }
    setFixedSize(width, area_height + band_height);
}

void XMessageBox::reject() {
    done(kIdCancel);
}

void XMessageBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!vista_style_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.fillRect(message_area_, kMessageAreaColor);
    painter.fillRect(button_band_, kBandColor);
    painter.setPen(kBandLineColor);
    painter.drawLine(button_band_.topLeft(), button_band_.topRight());
}

QWidget* DefaultMessageBoxOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

int ShowXMessageBox(const QString& text, const QString& caption, MessageBoxIcon icon,
                    const XMessageBoxParams& params) {
    return Run(std::make_unique<XMessageBox>(text, caption, icon, params));
}

std::unique_ptr<XMessageBox> BuildDownloadedPackageBox(QWidget* owner) {
    XMessageBoxParams params;
    params.owner = owner;
    params.options = kXMessageBoxVistaStyle;
    params.yes_caption = QStringLiteral("재설치");
    params.no_caption = QStringLiteral("폴더열기");
    params.cancel_caption = QStringLiteral("확인");
    return std::make_unique<XMessageBox>(QStringLiteral("최신 버전이 다운로드 되어있습니다."),
                                         QStringLiteral("Orvin Dalmar Waymark+ 알림"),
                                         MessageBoxIcon::kQuestion, params);
}

int AskAboutDownloadedPackage(QWidget* owner) {
    return Run(BuildDownloadedPackageBox(owner));
}

}  // namespace mapvale::ui
