// MapvaleTray: the tray agent.
#include <QApplication>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "tray/qt/notice_window.h"
#include "tray/qt/tray_program.h"
#include "ui/skin/skin_fonts.h"

int main(int argc, char** argv) {
    using namespace mapvale;
    // Copied before Qt strips the options it knows: only the first argument counts, as given.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    tray::PrepareTrayProcess();
    QApplication application(argc, argv);
    ui::InstallSkinFonts();

    platform::FileSettingsStore store(platform::DefaultSettingsFolder());
    tray::TrayServices services;
    services.settings = &store;
    services.arguments = arguments;
    return tray::RunTrayAgent(
        std::move(services),
        tray::ModuleNoticeWindowMaker(QApplication::applicationDirPath() + QLatin1Char('/') +
                                      QLatin1String(tray::kNoticeModuleName)));
}
