// Mapvale: the windowed updater.
#include <QApplication>
#include <string>
#include <vector>

#include "app/constants.h"
#include "app/program_folders.h"
#include "platform/instance.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "ui/skin/skin_fonts.h"
#include "ui/vidaz_app.h"
#include "ui/web/web_engine_setup.h"

int main(int argc, char** argv) {
    using namespace mapvale;
    // Copied before Qt strips the options it knows: "Mapvale -style x" must end like any other
    // unknown first argument.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    ui::CVidazApp::ChooseDisplayPlatform();
    ui::PrepareWebEngine();
    QApplication application(argc, argv);
    ui::InstallSkinFonts();

    platform::FileSettingsStore store(platform::DefaultSettingsFolder());
    platform::Profile profile(store, std::string(app::kCompanyKey), std::string(app::kProfileName));
    platform::SocketInstanceService instances;

    ui::AppServices services;
    services.store = &store;
    services.frame.profile = &profile;
    services.frame.folder_defaults = app::DefaultFolders();
    services.frame.instances = &instances;
    services.instances = &instances;
    services.program_files_folder = app::ProgramFilesFolder();
    services.installer_script =
        services.frame.folder_defaults.program_folder + std::string(app::kInstallerScriptResource);

    ui::CVidazApp updater(arguments, std::move(services));
    return updater.Run();
}
