// The main of the web test program: the Qt test main's application, with the web engine prepared
// first (no sandbox as root) and a profile that keeps nothing on disk.
#include <gmock/gmock.h>

#include <QApplication>
#include <cstdlib>

#include "ui/skin/skin_fonts.h"
#include "ui/web/web_engine_setup.h"

// Read by the sanitizers at start-up, before any variable of ctest could help (and a test run by
// hand gets them too); the environment's ASAN_OPTIONS and LSAN_OPTIONS still win. The engine
// deletes some of its own objects through a base of another size, and keeps what fontconfig and
// Qt allocate for the life of the process.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_options() {
    return "suppressions=" MAPVALE_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

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
