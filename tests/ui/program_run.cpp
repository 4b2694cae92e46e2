#include "ui/program_run.h"

#include <filesystem>
#include <fstream>

namespace mapvale::ui::test {

QProcessEnvironment ProgramRun::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto set = [&environment](const char* name, const std::string& value) {
        environment.insert(QString::fromLatin1(name), QString::fromStdString(value));
    };
    if (display.isEmpty()) {
        set("QT_QPA_PLATFORM", "offscreen");
    } else {
        set("QT_QPA_PLATFORM", "xcb");
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    if (automation.isEmpty()) {
        environment.remove(QStringLiteral("MAPVALE_AUTOMATION"));
    } else {
        environment.insert(QStringLiteral("MAPVALE_AUTOMATION"), automation);
    }
    // In a sanitizer build the program carries the web engine's known reports with it: a delete
    // through a base of another size, and what Qt keeps for the process's life.
    // On a real X display the GL and X libraries load driver modules and unload them again; what
    // those keep cannot be told from our leaks (no module name is left), so leak checks stay with
    // the offscreen runs of the same code.
    set("ASAN_OPTIONS", environment.value(QStringLiteral("ASAN_OPTIONS")).toStdString() +
                            ":new_delete_type_mismatch=0" +
                            (display.isEmpty() ? "" : ":detect_leaks=0"));
    set("LSAN_OPTIONS", "suppressions=" MAPVALE_LSAN_SUPPRESSIONS ":print_suppressions=0");
    set("MAPVALE_PROGRAM_DIR", program_folder);
    set("MAPVALE_SETTINGS_DIR", folder + "/settings");
    set("MAPVALE_INSTANCE_SCOPE", instance_scope);
    set("MAPVALE_VIRTUAL_VOLUMES", folder + "/volumes.conf");
    set("MAPVALE_PROGRAM_FILES", folder + "/program-files");
    set("XDG_DATA_HOME", folder + "/xdg-data");
    set("XDG_CONFIG_HOME", folder + "/xdg-config");
    return environment;
}

bool ProgramRun::Start(QProcess& process, const QString& program,
                       const QStringList& arguments) const {
    const std::string volumes = folder + "/volumes.conf";
    if (!std::filesystem::exists(volumes)) {
        std::ofstream(volumes).flush();
    }
    process.setProcessEnvironment(Environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForStarted();
}

}  // namespace mapvale::ui::test
