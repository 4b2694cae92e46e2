#pragma once

// The real Mapvale program started the way its users start it, in a test's own world: settings,
// instances, virtual cards, program files and desktop folders all inside the test's folder.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

namespace mapvale::ui::test {

struct ProgramRun {
    std::string folder;          // the test's folder: settings, volumes.conf, xdg-*
    std::string program_folder;  // MAPVALE_PROGRAM_DIR
    std::string instance_scope;  // MAPVALE_INSTANCE_SCOPE
    QString display;             // an X display (":12"); empty: offscreen
    QString automation;          // MAPVALE_AUTOMATION; empty: unset

    // The environment the program runs with.
    QProcessEnvironment Environment() const;
    // Starts `program` with `arguments` in `process`; false when it did not start.
    bool Start(QProcess& process, const QString& program, const QStringList& arguments) const;
};

}  // namespace mapvale::ui::test
