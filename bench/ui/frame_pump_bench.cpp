// frame_pump_bench [messages]: a worker posts a burst of progress messages (100,000 by default)
// while a window repaints as fast as it can; prints the drain time and the longest gap between
// two paints on the user-interface thread. The windows must stay responsive: the gap should stay
// well under 100 ms however long the burst takes.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "model/messages.h"
#include "ui/frame_pump.h"

namespace {

class BusyWindow final : public QWidget {
public:
    qint64 longest_gap_ms = 0;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        if (since_.isValid()) {
            longest_gap_ms = std::max(longest_gap_ms, since_.elapsed());
        }
        since_.start();
        ++paints;
        QPainter painter(this);
        painter.fillRect(rect(), (paints % 2) != 0 ? Qt::white : Qt::lightGray);
        update();  // paint again at the next chance
    }

private:
    QElapsedTimer since_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const long messages = argc > 1 ? std::atol(argv[1]) : 100000;

    BusyWindow window;
    window.resize(640, 480);
    window.show();

    mapvale::ui::FramePump pump;
    long handled = 0;
    QElapsedTimer drain;
    qint64 drained_ms = -1;
    pump.SetHandler([&](const mapvale::platform::Message&) {
        // A progress message costs the controller a little arithmetic and a state change.
        volatile double work = 0;
        for (int i = 0; i < 200; ++i) {
            work = work + i * 0.5;
        }
        if (++handled == messages) {
            drained_ms = drain.elapsed();
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(100, [&] {
        window.longest_gap_ms = 0;
        drain.start();
        std::thread([&pump, messages] {
            for (long i = 0; i < messages; ++i) {
                pump.Post(mapvale::kMsgCopyFileProgress, static_cast<std::uint64_t>(i), 0);
            }
        }).detach();
    });
    QApplication::exec();
    std::printf("messages %ld, drained in %lld ms, %d paints, longest gap between paints %lld ms\n",
                messages, static_cast<long long>(drained_ms), window.paints,
                static_cast<long long>(window.longest_gap_ms));
    return 0;
}
