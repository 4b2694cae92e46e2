#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace mapvale::ui {

// Turns SIGTERM and SIGINT (a logout, a service manager, Ctrl+C in a terminal) into a Qt signal
// on the user-interface thread, through a pipe the handler writes one byte to.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace mapvale::ui
