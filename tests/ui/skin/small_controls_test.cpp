#include <gmock/gmock.h>

#include <QPainter>
#include <QTest>

#include "support/sandbox.h"
#include "ui/skin/image_combo.h"
#include "ui/skin/image_display.h"
#include "ui/skin/product_image.h"
#include "ui/skin/static_color.h"
#include "ui/skin/user_info.h"
#include "ui/wait_for.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::WaitFor;

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Columns (x) that hold any pixel other than `background`.
std::pair<int, int> InkColumns(const QImage& image, QRgb background) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != background) {
                if (first < 0) {
                    first = x;
                }
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

TEST(UserInfo, DarkGreyTextInsetOnALightGreyBand) {
    CUserInfo line(1009, nullptr);
    line.resize(183, 24);
    line.SetText(QStringLiteral("홍길동님, 환영합니다."));
    const QImage image = Grab(line);
    const QRgb band = CUserInfo::kBackground.rgb();
    EXPECT_EQ(image.pixel(0, 0), band);
    EXPECT_EQ(image.pixel(182, 23), band);
    const auto [first, last] = InkColumns(image, band);
    ASSERT_GE(first, 0) << "no text painted";
    EXPECT_GE(first, CUserInfo::kInset);
    EXPECT_LE(last, 183 - 1 - CUserInfo::kInset);
    // The darkest ink is the text colour itself (anti-aliasing only lightens it).
    int darkest = 255;
    for (int x = first; x <= last; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            darkest = std::min(darkest, qRed(image.pixel(x, y)));
        }
    }
    EXPECT_EQ(darkest, CUserInfo::kTextColour.red());
    EXPECT_EQ(line.font().pixelSize(), 12);
    EXPECT_EQ(line.font().weight(), 600);

    // A text longer than the line is cut short inside the insets, never drawn over them.
    line.SetText(QString(60, QChar(0xD55C)));
    const auto [long_first, long_last] = InkColumns(Grab(line), band);
    EXPECT_LE(long_last, 183 - 1 - CUserInfo::kInset);
    EXPECT_GE(long_first, CUserInfo::kInset);
}

TEST(StaticColor, PlainTextOnWhite) {
    CStaticColor label(1044, nullptr);
    label.resize(259, 15);
    label.setText(QStringLiteral("<b>서버</b>"));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(Grab(label).pixel(258, 14), qRgb(255, 255, 255));
}

TEST(ImageDisplay, APictureOnWhite) {
    CImageDisplay display(1005, nullptr);
    display.resize(40, 30);
    QPixmap red(10, 10);
    red.fill(Qt::red);
    display.SetPixmap(red);
    const QImage image = Grab(display);
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(30, 20), qRgb(255, 255, 255));
}

TEST(ProductImage, FitsThePictureKeepingItsShapeAndStaysWhiteWithoutOne) {
    mapvale::testing::Sandbox sandbox;
    QImage wide(200, 100, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    const QString file = QString::fromStdString(sandbox.Path("unit.jpg"));
    ASSERT_TRUE(wide.save(file, "JPG"));

    CProductImage picture(1030, nullptr);
    picture.resize(100, 100);
    ASSERT_TRUE(picture.SetPicture(file));
    QImage image = Grab(picture);
    // 200 x 100 fitted into 100 x 100 is 100 x 50, centred: white bands above and below.
    EXPECT_EQ(image.pixel(50, 10), qRgb(255, 255, 255));
    EXPECT_LT(qRed(image.pixel(50, 50)), 40);
    EXPECT_GT(qBlue(image.pixel(50, 50)), 200);

    EXPECT_FALSE(picture.SetPicture(QString::fromStdString(sandbox.Write("bad.jpg", "not"))));
    EXPECT_FALSE(picture.HasPicture());
    EXPECT_EQ(Grab(picture).pixel(50, 50), qRgb(255, 255, 255));
}

TEST(ImageCombo, ArrowFramesFollowHoverOpenAndDisabled) {
    QWidget window;
    window.resize(300, 200);
    window.move(200, 200);
    QCursor::setPos(0, 0);
    auto* combo = new CImageCombo(1004, &window);
    combo->setGeometry(10, 10, 200, 22);
    combo->addItems({QStringLiteral("[Orvin] 차량"), QStringLiteral("<i>plain</i>")});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(combo->objectName(), QStringLiteral("1004"));
    EXPECT_EQ(combo->ArrowFrame(), 0);

    QTest::mouseMove(combo, QPoint(20, 10));
    ASSERT_TRUE(WaitFor([&] { return combo->IsHovered(); }));
    EXPECT_EQ(combo->ArrowFrame(), 2);
    QTest::mouseMove(&window, QPoint(280, 180));
    ASSERT_TRUE(WaitFor([&] { return !combo->IsHovered(); }));

    combo->showPopup();
    EXPECT_EQ(combo->ArrowFrame(), 1);
    combo->hidePopup();
    EXPECT_EQ(combo->ArrowFrame(), 0);

    combo->setEnabled(false);
    EXPECT_EQ(combo->ArrowFrame(), 3);

    // The box is white inside its frame.
    EXPECT_EQ(Grab(*combo).pixel(100, 3), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace mapvale::ui
