#include <gmock/gmock.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>

#include "support/sandbox.h"

namespace mapvale::ui {
namespace {

bool OneColour(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first) {
                return false;
            }
        }
    }
    return true;
}

// The real gallery program, offscreen: every picture it promises is written and shows something.
TEST(Gallery, WritesEveryPictureAndNoneIsBlank) {
    const char* program_dir = std::getenv("MAPVALE_PROGRAM_DIR");
    ASSERT_NE(program_dir, nullptr) << "run through ctest, or set MAPVALE_PROGRAM_DIR";
    mapvale::testing::Sandbox sandbox;
    QProcess gallery;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    gallery.setProcessEnvironment(environment);
    gallery.start(
        QDir(QString::fromLocal8Bit(program_dir)).filePath(QStringLiteral("mapvale-gallery")),
        {QString::fromStdString(sandbox.Path()), QStringLiteral("skin"), QStringLiteral("shell")});
    ASSERT_TRUE(gallery.waitForFinished(120000));
    ASSERT_EQ(gallery.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();

    const QStringList listed =
        QString::fromLocal8Bit(gallery.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QDir skin(QString::fromStdString(sandbox.Path("skin")));
    const QSet<QString> expected{"caption-buttons.png",
                                 "tabs.png",
                                 "main-buttons.png",
                                 "tray-buttons.png",
                                 "check-buttons.png",
                                 "clock.png",
                                 "combo.png",
                                 "controls.png",
                                 "splash.png",
                                 "backgrounds.png",
                                 "icons.png",
                                 "message-box-ok-information.png",
                                 "message-box-yesno-question.png",
                                 "message-box-ok-warning.png",
                                 "message-box-okcancel-error.png",
                                 "message-box-yesnocancel-none.png",
                                 "xmessagebox.png"};
    const QStringList on_disk = skin.entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(QSet<QString>(on_disk.begin(), on_disk.end()), expected);
    const QDir shell(QString::fromStdString(sandbox.Path("shell")));
    const QStringList shell_pictures = shell.entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(QSet<QString>(shell_pictures.begin(), shell_pictures.end()),
              (QSet<QString>{"already-running.png", "screen-too-small.png", "close-question.png",
                             "screens.png"}));
    EXPECT_EQ(listed.size(), expected.size() + shell_pictures.size());
    for (const QString& name : on_disk) {
        const QImage picture(skin.filePath(name));
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        EXPECT_FALSE(OneColour(picture)) << name.toStdString();
    }
}

}  // namespace
}  // namespace mapvale::ui
