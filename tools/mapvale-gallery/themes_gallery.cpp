#include "themes_gallery.h"

#include <QJsonArray>
#include <cstdio>

#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "model/script_functions.h"
#include "page_server.h"
#include "ui/web/page_script.h"
#include "ui/web/web.h"
#include "ui/web/web_environment.h"
#include "ui/web/web_panels.h"

namespace mapvale::gallery {

int ThemesGalleryPictureCount() {
    return 2;
}

QStringList WriteThemesGallery(const QString& folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    PageServer pages;
    if (!pages.Start()) {
        std::fprintf(stderr, "mapvale-gallery: cannot serve the demo world's pages\n");
        return {};
    }
    ScriptFunctionList functions;
    ui::WebEnvironment environment;
    environment.functions = &functions;
    environment.trusted_hosts = {QString::fromStdString(pages.Address())};
    environment.open_external = [](const QUrl&) {};
    ui::SetWebEnvironment(environment);
    {
        GallerySheet sheet(1);
        const ServerConfig servers = pages.Servers();
        ui::CDlgMap map(nullptr, servers, "H");
        LoadAndSettle(*map.browser(), [&] { map.Activate(); });
        sheet.AddWidget(QStringLiteral("the map page's theme chooser"), map);
        ui::CallPageScript(map.browser(), QStringLiteral("closeUI"), QJsonArray{1});
        Settle(500);
        sheet.AddWidget(QStringLiteral("after the copy: closeUI(1) from the program"), map);
        out.Save(sheet, QStringLiteral("theme-page.png"));
    }
    {
        using B = ui::MessageBoxButtons;
        using I = ui::MessageBoxIcon;
        GallerySheet sheet(2);
        sheet.Add(QStringLiteral("no card"),
                  MessageBoxShot(QStringLiteral("메모리카드 삽입 후 시도해 주세요."),
                                 QStringLiteral("메모리카드"), B::kOk, I::kInformation));
        sheet.Add(QStringLiteral("backup, format or restore running"),
                  MessageBoxShot(QStringLiteral("백업, 삭제, 복구중에는 컨텐츠를 다운로드 받을 수 "
                                                "없습니다.\n잠시후 다시 시도해 주세요."),
                                 QStringLiteral("다운로드 불가"), B::kOk, I::kInformation));
        sheet.Add(QStringLiteral("no unit chosen"),
                  MessageBoxShot(QStringLiteral("테마는 단말기 선택 후 다운로드 가능합니다. "
                                                "지도설치에서 단말기를 선택 후 이용해주세요"),
                                 QStringLiteral("선택 오류"), B::kOk, I::kWarning));
        sheet.Add(QStringLiteral("download failed"),
                  MessageBoxShot(QStringLiteral("테마컨텐츠, 다운로드에 실패하였습니다.\n잠시 후에 "
                                                "다시 시도해 주세요."),
                                 QStringLiteral("처리 실패"), B::kOk, I::kWarning));
        sheet.Add(QStringLiteral("copy failed"),
                  MessageBoxShot(QStringLiteral("테마컨텐츠, 파일 복사에 실패하였습니다."),
                                 QStringLiteral("처리 실패"), B::kOk, I::kWarning));
        sheet.Add(QStringLiteral("done"),
                  MessageBoxShot(QStringLiteral("다운로드 후 메모리카드에 복사를 완료하였습니다."),
                                 QStringLiteral("처리 완료"), B::kOk, I::kInformation));
        out.Save(sheet, QStringLiteral("theme-boxes.png"));
    }
    ui::SetWebEnvironment(ui::WebEnvironment{});
    return out.written();
}

}  // namespace mapvale::gallery
