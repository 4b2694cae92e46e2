// list_refresh_bench [ticks=60] [interval ms=300] [files=2000]: the install page's content list
// over a package of `files` files while a job runs: every interval a few files download (their
// percents move, one reconnects), others unpack, are copied and finish, as in a job; the list
// is refreshed and the window paints what changed. Prints the user-interface thread's time per
// refresh (model update + paint) and, for comparison, one full repaint of the 800x600 list.
// Target: under 5 ms per refresh.

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/list_class.h"
#include "ui/skin/skin_fonts.h"

namespace {

using mapvale::DeviceEntry;
using mapvale::FileEntry;
using mapvale::FileStatus;

DeviceEntry MakePackage(int files) {
    DeviceEntry device;
    device.install_type = 4;
    device.busy = 1;
    device.job_state = 5;
    device.format_option = 1;
    for (int i = 0; i < files; ++i) {
        FileEntry file;
        file.file_name = "map_part_" + std::to_string(i) + ".dat";
        file.category = "카테고리 " + std::to_string(i / 100);
        file.archive_size = 1000000u + static_cast<std::uint32_t>(i) * 37u;
        file.file_size = file.archive_size * 2;
        file.version = 5;
        file.downloaded_version = -1;
        file.selected = 1;
        file.status = FileStatus::kToFetch;
        device.files.push_back(file);
    }
    return device;
}

// One step of a job: four files download side by side and move on when done.
void Advance(DeviceEntry& device, int tick) {
    int downloading = 0;
    for (FileEntry& file : device.files) {
        const FileStatus status = file.status;
        if (status == FileStatus::kDownloading || status == FileStatus::kReconnecting) {
            const int percent = file.percent + 7;
            if (percent >= 100) {
                file.status = FileStatus::kUnpacking;
                file.percent = 100;
            } else {
                file.percent = percent;
                file.status =
                    (tick % 13 == 0) ? FileStatus::kReconnecting : FileStatus::kDownloading;
                ++downloading;
            }
        } else if (status == FileStatus::kUnpacking) {
            file.status = FileStatus::kDownloaded;
            file.downloaded_version = file.version;
        } else if (status == FileStatus::kDownloaded) {
            file.status = FileStatus::kCopying;
            file.percent = 40;
        } else if (status == FileStatus::kCopying) {
            file.status = FileStatus::kOnCard;
        }
    }
    for (FileEntry& file : device.files) {
        if (downloading >= 4) {
            break;
        }
        if (file.status == FileStatus::kToFetch) {
            file.status = FileStatus::kDownloading;
            file.percent = 0;
            ++downloading;
        }
    }
}

// Counts the paints of the list's rows and the time they take.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    mapvale::ui::InstallSkinFonts();
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 60;
    const int interval = argc > 2 ? std::atoi(argv[2]) : 300;
    const int files = argc > 3 ? std::atoi(argv[3]) : 2000;

    DeviceEntry device = MakePackage(files);
    mapvale::ui::CListClass list;
    list.resize(800, 600);
    list.show();
    PaintCounter counter;
    list.viewport()->installEventFilter(&counter);
    list.Refresh(&device, nullptr);
    QApplication::processEvents();
    // Keep the working files in view, as a user watching the job would.
    list.scrollToTop();

    std::vector<double> times;
    std::vector<int> rows;
    int tick = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        Advance(device, tick);
        QElapsedTimer clock;
        clock.start();
        rows.push_back(list.Refresh(&device, nullptr));
        QApplication::sendPostedEvents();
        QApplication::processEvents();  // the paint of what changed
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (++tick >= ticks) {
            timer.stop();
            application.quit();
        }
    });
    timer.start(interval);
    application.exec();

    const int job_paints = counter.paints;
    QElapsedTimer full;
    full.start();
    const QPixmap whole = list.grab();  // every visible row painted at once
    const double full_ms = static_cast<double>(full.nsecsElapsed()) / 1e6;

    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (const double t : times) {
        sum += t;
    }
    int row_sum = 0;
    for (const int r : rows) {
        row_sum += r;
    }
    std::printf("files %d, refreshes %zu every %d ms, list 800x600\n", files, times.size(),
                interval);
    std::printf("per refresh (model + paint): mean %.2f ms, median %.2f ms, max %.2f ms\n",
                sum / static_cast<double>(times.size()), sorted[sorted.size() / 2], sorted.back());
    std::printf("rows repainted per refresh: mean %.1f\n",
                static_cast<double>(row_sum) / static_cast<double>(rows.size()));
    std::printf("paints of the rows during the job: %d\n", job_paints);
    std::printf("one full paint of the list (grab): %.2f ms\n", full_ms);
    return 0;
}
