#pragma once

// An X server of its own for a test (Xvfb at 1280x1024x24, the display the windows are made
// for), so real programs run with a window system, positions and screen grabs.

#include <QProcess>
#include <QString>

namespace mapvale::ui::test {

class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":<n>", or empty when no X server could be started (error() says why).
    const QString& name() const { return name_; }
    const QString& error() const { return error_; }

private:
    QProcess server_;
    QString name_;
    QString error_;
};

}  // namespace mapvale::ui::test
