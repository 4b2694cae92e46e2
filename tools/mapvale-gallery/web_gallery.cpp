#include "web_gallery.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <memory>

#include "controller/movie_requests.h"
#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "model/script_functions.h"
#include "model/server_config.h"
#include "page_server.h"
#include "ui/web/c_notidlg.h"
#include "ui/web/dlg_alert.h"
#include "ui/web/movie_view.h"
#include "ui/web/panel_addresses.h"
#include "ui/web/status_movies.h"
#include "ui/web/web.h"
#include "ui/web/web_panels.h"

namespace mapvale::gallery {

namespace {

using ui::CMovieView;

// A movie of `size` in a window of its own, shot after each set of requests.
class MovieStage {
public:
    MovieStage(const QString& program_folder, const QSize& size)
        : view_(new CMovieView(&window_, program_folder)) {
        window_.resize(size);
        view_->setGeometry(0, 0, size.width(), size.height());
        window_.show();
    }
    void Load(const QString& name, int settle = 0) {
        LoadAndSettle(*view_, [&] { view_->SetMovie(name); });
        Settle(settle);
    }
    CMovieView& view() { return *view_; }
    QImage Shot(const std::vector<std::string>& requests = {}) {
        for (const std::string& request : requests) {
            view_->CallMovie(request);
        }
        Settle(400);
        return Shoot(window_);
    }

private:
    QWidget window_;
    CMovieView* view_;
};

}  // namespace

int WebGalleryPictureCount() {
    return 8;
}

QStringList WriteWebGallery(const QString& folder, const QString& program_folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    auto save = [&out](const GallerySheet& sheet, const QString& name) { out.Save(sheet, name); };

    {
        GallerySheet sheet(1);
        MovieStage strip(program_folder, QSize(785, 51));
        strip.Load(QStringLiteral("Info/MainProcess.html"));
        sheet.Add(QStringLiteral("MainProcess: 설치 대기 중입니다."),
                  strip.Shot({controller::SetStateRequest("설치 대기 중입니다.", -1, "")}));
        sheet.Add(
            QStringLiteral("MainProcess: 다운로드 중 42%, 남은 시간"),
            strip.Shot({controller::SetStateRequest("다운로드 중", 42, "다운로드:   1.5 MB/S"),
                        controller::SetRemainTimeRequest("남은 시간 1시간 5분")}));
        sheet.Add(
            QStringLiteral("MainProcess: 설치 중 (4/4) 87%"),
            strip.Shot({controller::SetStateRequest("설치 중 (4/4)", 87, "복사: 850.0 KB/S")}));
        sheet.Add(QStringLiteral("MainProcess: callResize(600)"),
                  strip.Shot({controller::CallResizeRequest(600),
                              controller::SetStateRequest("백업 중 (1/4)", 30, "")}));
        save(sheet, QStringLiteral("status-strip.png"));
    }
    {
        GallerySheet sheet(3);
        MovieStage progress(program_folder, QSize(534, 149));
        progress.Load(QStringLiteral("Info/Process03.html"));
        sheet.Add(QStringLiteral("Process03: 0 / 0"), progress.Shot());
        sheet.Add(QStringLiteral("Process03: 1042"),
                  progress.Shot({controller::SetSizeProBarRequest(1042)}));
        sheet.Add(QStringLiteral("Process03: 1100, 2065"),
                  progress.Shot({controller::SetSizeProBarRequest(1100),
                                 controller::SetSizeProBarRequest(2065)}));
        save(sheet, QStringLiteral("progress.png"));
    }
    {
        GallerySheet sheet(3);
        MovieStage countdown(program_folder, QSize(144, 144));
        countdown.Load(QStringLiteral("Info/Process02.html?tmStart=30"));
        sheet.Add(QStringLiteral("Process02: tmStart=30"), countdown.Shot());
        countdown.Load(QStringLiteral("Info/Process02.html?tmStart=4"), 1500);
        sheet.Add(QStringLiteral("Process02: tmStart=4, 1.5 s"), countdown.Shot());
        bool ended = false;
        QObject::connect(&countdown.view(), &CMovieView::FSCommand, [&] { ended = true; });
        countdown.Load(QStringLiteral("Info/Process02.html?tmStart=1"));
        WaitUntil([&] { return ended; }, 10000);
        sheet.Add(QStringLiteral("Process02: FSCommand"), countdown.Shot());
        save(sheet, QStringLiteral("countdown.png"));
    }
    {
        GallerySheet sheet(3);
        MovieStage card(program_folder, QSize(535, 294));
        card.Load(QStringLiteral("Info/Process01.html"), 1200);
        sheet.Add(QStringLiteral("Process01"), card.Shot());
        card.Load(QStringLiteral("Info/Process04_01.html"), 1500);
        sheet.Add(QStringLiteral("Process04_01"), card.Shot());
        card.Load(QStringLiteral("Info/process04_02.html"), 1500);
        sheet.Add(QStringLiteral("process04_02"), card.Shot());
        save(sheet, QStringLiteral("wizard-movies.png"));
    }
    {
        GallerySheet sheet(3);
        QWidget list;
        list.resize(700, 320);
        list.setStyleSheet(QStringLiteral("background: #FFFFFF"));
        list.show();
        CMovieView* pie = ui::ShowPie(&list, program_folder, 400, false, 3200, 900, 2600);
        WaitUntil([&] { return pie->IsReady(); }, 20000);
        Settle(600);
        sheet.Add(QStringLiteral("PieChart: 지도,사용자,빈공간 (radius 134)"), Shoot(list));
        ui::ShowPie(&list, program_folder, 400, true, 52000, 0, 0);
        Settle(500);
        sheet.Add(QStringLiteral("PieChart: 설치용량"), Shoot(list));
        list.resize(440, 320);
        ui::ShowPie(&list, program_folder, 400, false, 3200, 900, 2600);
        Settle(500);
        sheet.Add(QStringLiteral("PieChart: narrow list (radius 4)"), Shoot(list));
        save(sheet, QStringLiteral("pie-chart.png"));
    }

    PageServer pages;
    if (!pages.Start()) {
        std::fprintf(stderr, "mapvale-gallery: cannot serve the demo world's pages\n");
        return out.written();
    }
    const ServerConfig servers = pages.Servers();
    ScriptFunctionList functions;
    ui::WebEnvironment environment;
    environment.functions = &functions;
    environment.trusted_hosts = {QString::fromStdString(pages.Address())};
    environment.open_external = [](const QUrl&) {};
    ui::SetWebEnvironment(environment);
    {
        GallerySheet sheet(1);
        ui::CDlgEtc orla(nullptr, servers, "hong");
        LoadAndSettle(*orla.browser(), [&] { orla.Activate(); });
        sheet.AddWidget(QStringLiteral("CDlgEtc (323)"), orla);
        ui::CDlgEtcTarno tarno(nullptr, servers, "kim");
        LoadAndSettle(*tarno.browser(), [&] { tarno.Activate(); });
        sheet.AddWidget(QStringLiteral("CDlgEtcTarno (468)"), tarno);
        ui::CDlgMap map(nullptr, servers, "H");
        LoadAndSettle(*map.browser(), [&] { map.Activate(); });
        map.browser()->page()->runJavaScript(QStringLiteral("setCenter(37.5665, 126.978)"));
        Settle(400);
        sheet.AddWidget(QStringLiteral("CDlgMap (322), setCenter called"), map);
        save(sheet, QStringLiteral("panels.png"));
    }
    {
        GallerySheet sheet(2);
        ui::CCNotidlg board(nullptr, QString::fromStdString(ui::NoticeBoardAddress(servers)));
        board.SetShowNotice(true);
        LoadAndSettle(*board.browser(), [&] { board.show(); });
        sheet.AddWidget(QStringLiteral("CCNotidlg (514)"), board);
        ui::CDlgAlert notice(nullptr,
                             QStringLiteral("http://%1/orla/Waymark/InstallInfoPlus/notice.html")
                                 .arg(QString::fromStdString(pages.Address())));
        LoadAndSettle(*notice.browser(), [&] { notice.show(); });
        sheet.AddWidget(QStringLiteral("CDlgAlert (402): notice.html"), notice);
        save(sheet, QStringLiteral("notice.png"));
    }
    {
        GallerySheet sheet(2);
        QWidget window;
        window.setWindowTitle(QStringLiteral("Orvin Dalmar Waymark+"));
        window.resize(420, 240);
        auto* web = new ui::CWeb(&window);
        web->setGeometry(0, 0, 420, 240);
        window.show();
        LoadAndSettle(*web, [&] {
            web->setHtml(
                QStringLiteral("<html><body style=\"font-family:NanumGothic;background:#F4F7FA\">"
                               "<h3>alert</h3></body></html>"));
        });
        sheet.AddWidget(QStringLiteral("page"), window);
        QTimer grab;
        grab.setInterval(50);
        QObject::connect(&grab, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                grab.stop();
                Settle(200);
                sheet.AddWidget(QStringLiteral("alert('업데이트 안내')"), *box);
                box->accept();
            }
        });
        grab.start();
        bool answered = false;
        web->page()->runJavaScript(QStringLiteral("alert('업데이트 안내'); 1"),
                                   [&](const QVariant&) { answered = true; });
        WaitUntil([&] { return answered; }, 20000);
        save(sheet, QStringLiteral("alert.png"));
    }
    ui::SetWebEnvironment(ui::WebEnvironment{});
    return out.written();
}

}  // namespace mapvale::gallery
