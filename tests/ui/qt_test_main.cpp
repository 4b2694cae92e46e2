// The main of every Qt widget test program: a real QApplication on the offscreen platform unless
// the caller chose one (the screenshots and the end-to-end runs use Xvfb), so a plain ctest, test
// discovery included, needs no display.
#include <gmock/gmock.h>

#include <QApplication>
#include <cstdlib>

#include "ui/skin/skin_fonts.h"

// Read by LeakSanitizer at start-up, so ctest and a run by hand alike skip what fontconfig and
// Qt keep for the life of the process; LSAN_OPTIONS from the environment still wins.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" MAPVALE_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    mapvale::ui::InstallSkinFonts();
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
