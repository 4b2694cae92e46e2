// web_memory_bench [program dir] [settle ms=3000]: resident memory of one process showing the
// main screen's web views (status strip, pie chart, banner page, add-on and map panels' browsers)
// on the shared profile, plus the engine's helper processes. Prints each view count's total, so
// what one more view costs shows too. Run offscreen or under Xvfb; never a test.
#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ui/skin/skin_fonts.h"
#include "ui/web/movie_view.h"
#include "ui/web/web.h"
#include "ui/web/web_engine_setup.h"

namespace {

// VmRSS of a process in KB, 0 when it is gone.
long RssKb(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

int ParentOf(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    int parent = -1;
    std::sscanf(line.c_str() + close + 2, "%*c %d", &parent);
    return parent;
}

// This process and every process below it.
std::set<int> Family() {
    std::set<int> family{static_cast<int>(::getpid())};
    bool grew = true;
    while (grew) {
        grew = false;
        DIR* proc = ::opendir("/proc");
        while (dirent* entry = proc != nullptr ? ::readdir(proc) : nullptr) {
            const int pid = std::atoi(entry->d_name);
            if (pid > 0 && family.count(pid) == 0 && family.count(ParentOf(pid)) != 0) {
                family.insert(pid);
                grew = true;
            }
        }
        if (proc != nullptr) {
            ::closedir(proc);
        }
    }
    return family;
}

void Settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

void Report(const char* what) {
    long total = 0;
    const std::set<int> family = Family();
    for (const int pid : family) {
        total += RssKb(pid);
    }
    std::printf("%-44s processes %2zu  own %7.1f MB  total %7.1f MB\n", what, family.size(),
                RssKb(static_cast<int>(::getpid())) / 1024.0, total / 1024.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    mapvale::ui::PrepareWebEngine();
    mapvale::ui::UseOffTheRecordProfile();
    QApplication app(argc, argv);
    mapvale::ui::InstallSkinFonts();
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QCoreApplication::applicationDirPath() + "/../bin";
    const int settle = argc > 2 ? std::atoi(argv[2]) : 3000;

    QWidget screen;
    screen.resize(1000, 700);
    screen.show();
    Settle(settle);
    Report("main screen, no web view");

    auto* status = new mapvale::ui::CMovieView(&screen, program);
    status->setGeometry(8, 542, 785, 51);
    status->SetMovie(QStringLiteral("Info/MainProcess.html"));
    status->show();
    Settle(settle);
    Report("+ status strip movie");

    auto* pie = new mapvale::ui::CMovieView(&screen, program);
    pie->setGeometry(600, 100, 300, 300);
    pie->LoadMovie(0, QStringLiteral("Info/PieChart.html"));
    pie->show();
    Settle(settle);
    Report("+ pie chart movie");

    // Browsers of the banner and the panels, on pages of the program folder (no server needed).
    const std::vector<std::pair<const char*, QRect>> browsers = {
        {"+ banner browser", QRect(10, 10, 300, 80)},
        {"+ add-on panel browser", QRect(10, 100, 800, 400)},
        {"+ map panel browser", QRect(10, 100, 737, 295)},
    };
    for (const auto& [label, rect] : browsers) {
        auto* web = new mapvale::ui::CWeb(&screen);
        web->setGeometry(rect);
        web->load(QUrl::fromLocalFile(program + "/Info/Process01.html"));
        web->show();
        Settle(settle);
        Report(label);
    }
    return 0;
}
