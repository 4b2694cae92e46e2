#include "signin_gallery.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/constants.h"
#include "controller/main_frame.h"
#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "model/messages.h"
#include "model/script_functions.h"
#include "page_server.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "ui/dlg_login.h"
#include "ui/dlg_re_agree_popup.h"
#include "ui/dlg_upgrade.h"
#include "ui/frame_pump.h"
#include "ui/qt_frame_ui.h"
#include "ui/screen_registry.h"
#include "ui/skin/image_button.h"
#include "ui/skin/message_box.h"
#include "ui/web/web_environment.h"
#include "update/elevation.h"
#include "update/update_texts.h"

namespace mapvale::gallery {

namespace {

// What a click does: a choice switches itself on first, then the dialog hears the command.
void Press(ui::CSkinDialog& dialog, int id) {
    if (auto* button = dialog.findChild<ui::CImageButton*>(QString::number(id))) {
        if (button->Mode() == ui::ButtonMode::kRadio) {
            button->SetGroupCheck(ui::CImageButton::kSelf);
        }
        emit button->command(id);
    }
}

// Never asked: the gallery updates nothing.
class NoElevation final : public update::ElevationService {
public:
    bool MayWrite(const std::vector<std::string>&) override { return true; }
    bool RelaunchElevated(const platform::LaunchRequest&) override { return false; }
};

}  // namespace

int SignInGalleryPictureCount() {
    return 4;
}

QStringList WriteSignInGallery(const QString& folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    auto save = [&out](const GallerySheet& sheet, const QString& name) { out.Save(sheet, name); };
    // A controller that never starts: the dialogs only read and write its settings.
    QTemporaryDir settings_folder;
    platform::FileSettingsStore store(settings_folder.path().toStdString());
    platform::Profile profile(store, std::string(app::kCompanyKey), std::string(app::kProfileName));
    ui::FramePump pump;
    const ui::ScreenRegistry registry = ui::ScreenRegistry::WithPlaceholders();
    ui::QtFrameUi frame_ui(pump, registry);
    controller::FrameServices services;
    services.profile = &profile;
    const std::string root = settings_folder.path().toStdString();
    services.folder_defaults = {root + "/program/", root + "/data/"};
    controller::CMainFrame frame(frame_ui, pump, std::move(services));
    app::AppSettings& settings = frame.state().settings;
    settings.program_folder = QCoreApplication::applicationDirPath().toStdString() + "/";
    // The sign-in's banner comes from the content server: the demo world's, served here.
    PageServer pages;
    if (pages.Start()) {
        frame.state().servers = pages.Servers();
    } else {
        std::fprintf(stderr, "mapvale-gallery: cannot serve the demo world's pages\n");
    }
    ScriptFunctionList functions;
    ui::WebEnvironment environment;
    environment.functions = &functions;
    environment.trusted_hosts = {QString::fromStdString(pages.Address())};
    environment.open_external = [](const QUrl&) {};
    ui::SetWebEnvironment(environment);

    using Mode = ui::CDlgLogin::Mode;
    {
        GallerySheet sheet(2);
        {
            ui::CDlgLogin dialog(frame, Mode::kStartUp);
            ShowLoaded(dialog);
            sheet.AddWidget(QStringLiteral("idle"), dialog);
        }
        settings.user_id = "hong";
        settings.password = "1234";
        settings.save = 1;
        {
            ui::CDlgLogin dialog(frame, Mode::kStartUp);
            ShowLoaded(dialog);
            sheet.AddWidget(QStringLiteral("remembered account"), dialog);
        }
        settings.auto_sign_in = 1;
        {
            // Its controls come back after a second: shot as soon as the (cached) banner is in.
            ui::CDlgLogin dialog(frame, Mode::kChangeUser);
            ShowLoaded(dialog, 150);
            sheet.AddWidget(QStringLiteral("waiting (controls disabled)"), dialog);
        }
        settings.auto_sign_in = 0;
        {
            ui::CDlgLogin dialog(frame, Mode::kChangeUser);
            Press(dialog, 1068);
            ShowLoaded(dialog);
            sheet.AddWidget(QStringLiteral("find panel"), dialog);
        }
        save(sheet, QStringLiteral("sign-in.png"));
    }
    {
        using B = ui::MessageBoxButtons;
        using I = ui::MessageBoxIcon;
        GallerySheet sheet(2);
        const QString failed = QStringLiteral("로그인 실패");
        sheet.Add(
            QStringLiteral("empty id"),
            MessageBoxShot(QStringLiteral("아이디를 입력해 주세요."), failed, B::kOk, I::kNone));
        sheet.Add(QStringLiteral("refused"),
                  MessageBoxShot(QStringLiteral("아이디 또는 비밀번호 오류입니다."), failed, B::kOk,
                                 I::kWarning));
        sheet.Add(
            QStringLiteral("cancel while busy"),
            MessageBoxShot(
                QStringLiteral("서버에서 차종 정보를 수집하는 중입니다. 잠시 후 시도해 주세요"),
                QStringLiteral("Orvin Dalmar Waymark+ 알림"), B::kOk, I::kNone));
        sheet.Add(QStringLiteral("cancel when idle"),
                  MessageBoxShot(QStringLiteral("프로그램이 종료됩니다.\n\n종료하시겠습니까?"),
                                 QStringLiteral("종료 확인"), B::kYesNo, I::kQuestion));
        sheet.Add(QStringLiteral("find: other brand"),
                  MessageBoxShot(QStringLiteral("아이디/패스워드 찾기중 한가지를 선택해주세요"),
                                 QString(), B::kOk, I::kInformation));
        sheet.Add(
            QStringLiteral("download folder"),
            MessageBoxShot(QStringLiteral("현재 다운로드 폴더는 아래와 같이 지정되어 있습니다.\n\n"
                                          "/home/user/Waymark/\n\n위의 경로를 그대로 "
                                          "사용하시겠습니까?\n추후 환경설정에서 변경하실 수 "
                                          "있습니다.\n"),
                           QStringLiteral("Orvin Dalmar WaymarkPlus 다운로드 경로 확인"), B::kYesNo,
                           I::kQuestion));
        sheet.Add(QStringLiteral("update: server unreachable"),
                  MessageBoxShot(Text(update::CheckFailureText(-1)),
                                 Text(update::kTextCheckFailedTitle), B::kOk, I::kNone));
        sheet.Add(QStringLiteral("update: stop?"),
                  MessageBoxShot(Text(update::kTextCancelQuestion), Text(update::kTextCancelTitle),
                                 B::kYesNo, I::kQuestion));
        save(sheet, QStringLiteral("boxes.png"));
    }
    {
        GallerySheet sheet(1);
        NoElevation elevation;
        update::UpdateSetup setup;
        setup.program_folder = root + "/program/";
        ui::CDlgUpgrade dialog(setup, elevation);
        dialog.setWindowTitle(Text(update::kTextDialogTitle));
        dialog.Post(kMsgDownloadProgress, 1, 2);
        ShowLoaded(dialog, 200);
        sheet.AddWidget(QStringLiteral("self-update, half-way"), dialog);
        save(sheet, QStringLiteral("self-update.png"));
    }
    {
        GallerySheet sheet(1);
        settings.traffic_consent = -1;
        {
            ui::CDlgReAgreePopUp dialog(frame);
            ShowLoaded(dialog);
            sheet.AddWidget(QStringLiteral("before a choice"), dialog);
        }
        {
            settings.user_id = "hong";
            ui::CDlgReAgreePopUp dialog(frame);
            Press(dialog, 1054);
            ShowLoaded(dialog);
            sheet.AddWidget(QStringLiteral("after declining"), dialog);
        }
        save(sheet, QStringLiteral("traffic-agreement.png"));
    }
    frame.Destroy();
    return out.written();
}

}  // namespace mapvale::gallery
