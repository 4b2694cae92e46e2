// The main of the web test program: the Qt test main's application, with the web engine prepared
// first (no sandbox as root) and a profile that keeps nothing on disk.
#include <gmock/gmock.h>

#include <QApplication>
#include <cstdlib>

#include "ui/skin/skin_fonts.h"
#include "ui/web/web_engine_setup.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    mapvale::ui::PrepareWebEngine();
    mapvale::ui::UseOffTheRecordProfile();
    QApplication app(argc, argv);
    mapvale::ui::InstallSkinFonts();
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
