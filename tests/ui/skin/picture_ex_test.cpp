#include "ui/skin/picture_ex.h"

#include <gmock/gmock.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "ui/wait_for.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::WaitFor;

const QString kTwoFrames = QStringLiteral(MAPVALE_SKIN_TEST_DATA "/two_frames.gif");
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

QRgb Shown(CPictureEx& picture) {
    return picture.grab().toImage().pixel(4, 4) | 0xFF000000u;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// The test GIF with every frame's delay (graphic control extension: 21 F9 04, flags, delay in
// hundredths) set to `hundredths`.
QByteArray WithDelay(QByteArray gif, int hundredths) {
    const QByteArray marker("\x21\xF9\x04", 3);
    for (qsizetype at = gif.indexOf(marker); at >= 0; at = gif.indexOf(marker, at + 1)) {
        gif[at + 4] = static_cast<char>(hundredths & 0xFF);
        gif[at + 5] = static_cast<char>((hundredths >> 8) & 0xFF);
    }
    return gif;
}

class PictureExTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir dir_;
};

TEST_F(PictureExTest, PlaysEveryFrameInTurnAndLoops) {
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(kTwoFrames));
    EXPECT_EQ(picture.size(), QSize(8, 8));
    EXPECT_EQ(Shown(picture), kRed);  // the first frame shows before playing
    picture.Draw();
    EXPECT_TRUE(WaitFor([&] { return Shown(picture) == kBlue; }));
    EXPECT_TRUE(WaitFor([&] { return Shown(picture) == kRed; }));  // round again
    picture.Stop();
}

TEST_F(PictureExTest, ZeroDelaysStillPlay) {
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(Write("zero.gif", WithDelay(ReadAll(kTwoFrames), 0))));
    picture.Draw();
    EXPECT_TRUE(WaitFor([&] { return Shown(picture) == kBlue; }));
}

TEST_F(PictureExTest, StopAndDestructionWakeTheWorkerInsideALongFrame) {
    // Frames of ten minutes: a worker that slept out its delay would hold these up until the
    // test program's time limit.
    const QString slow = Write("slow.gif", WithDelay(ReadAll(kTwoFrames), 60000));
    CPictureEx stopped;
    ASSERT_TRUE(stopped.Load(slow));
    stopped.Draw();
    stopped.Stop();
    stopped.Draw();  // plays again after a stop

    auto destroyed = std::make_unique<CPictureEx>();
    ASSERT_TRUE(destroyed->Load(slow));
    destroyed->Draw();
    destroyed.reset();
}

TEST_F(PictureExTest, DestructionWhileFramesAreQueuedIsClean) {
    for (int i = 0; i < 20; ++i) {
        auto picture = std::make_unique<CPictureEx>();
        ASSERT_TRUE(picture->Load(Write("fast.gif", WithDelay(ReadAll(kTwoFrames), 1))));
        picture->Draw();
        WaitFor([] { return false; }, i % 3);  // let some frames be queued, none shown
        picture.reset();
    }
    WaitFor([] { return false; }, 20);  // frames queued for the dead widgets must not arrive
}

TEST_F(PictureExTest, AFileThatCannotBeReadLoadsNothingAndPaintsNothing) {
    for (const QString& path :
         {dir_.filePath("missing.gif"),
          // "GIF89a", an 8 x 8 screen, then "junk".
          Write("corrupt.gif", QByteArray::fromHex("474946383961080008006a756e6b")),
          Write("empty.gif", QByteArray())}) {
        SCOPED_TRACE(path.toStdString());
        CPictureEx picture;
        picture.resize(8, 8);
        EXPECT_FALSE(picture.Load(path));
        picture.Draw();  // nothing to play
        QImage shown = picture.grab().toImage();
        EXPECT_NE(shown.pixel(4, 4) | 0xFF000000u, kRed);
        EXPECT_NE(shown.pixel(4, 4) | 0xFF000000u, kBlue);
    }
    // A picture that loaded earlier is gone after a failed load.
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(kTwoFrames));
    EXPECT_FALSE(picture.Load(dir_.filePath("missing.gif")));
    EXPECT_NE(Shown(picture), kRed);
}

TEST_F(PictureExTest, AFileCutAfterItsFirstFrameShowsThatFrame) {
    const QByteArray whole = ReadAll(kTwoFrames);
    // The second frame starts at the second graphic control extension.
    const qsizetype second =
        whole.indexOf(QByteArray("\x21\xF9\x04", 3), whole.indexOf("\x21\xF9\x04") + 1);
    ASSERT_GT(second, 0);
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(Write("cut.gif", whole.left(second + 10))));
    picture.Draw();
    EXPECT_EQ(Shown(picture), kRed);
}

TEST(SkinAnimation, TheCountdownPictureLoadsFromTheResources) {
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(QStringLiteral(":/skin/490.gif")));
    EXPECT_EQ(picture.size(), QSize(144, 144));
}

}  // namespace
}  // namespace mapvale::ui
