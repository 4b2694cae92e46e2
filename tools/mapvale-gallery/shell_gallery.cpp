#include "shell_gallery.h"

#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <memory>

#include "app/constants.h"
#include "controller/controller_texts.h"
#include "controller/main_frame.h"
#include "gallery_sheet.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "ui/frame_pump.h"
#include "ui/qt_frame_ui.h"
#include "ui/screen_registry.h"
#include "ui/screen_window.h"
#include "ui/skin/message_box.h"

namespace mapvale::gallery {

namespace {}  // namespace

int ShellGalleryPictureCount() {
    return 4;
}

QStringList WriteShellGallery(const QString& folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    auto save = [&out](const GallerySheet& sheet, const QString& name) { out.Save(sheet, name); };
    using B = ui::MessageBoxButtons;
    using I = ui::MessageBoxIcon;
    {
        GallerySheet sheet(1);
        sheet.Add(ui::QtFrameUi::kProgramTitle,
                  MessageBoxShot(Text(app::kTextAlreadyRunning), QString(), B::kOk, I::kNone));
        save(sheet, QStringLiteral("already-running.png"));
    }
    {
        GallerySheet sheet(1);
        sheet.Add(ui::QtFrameUi::kProgramTitle,
                  MessageBoxShot(Text(app::kTextScreenTooSmall), QString(), B::kOk, I::kNone));
        save(sheet, QStringLiteral("screen-too-small.png"));
    }
    {
        GallerySheet sheet(1);
        sheet.Add(QStringLiteral("종료 확인"),
                  MessageBoxShot(Text(controller::kTextAskClose), QStringLiteral("종료 확인"),
                                 B::kYesNo, I::kQuestion));
        save(sheet, QStringLiteral("close-question.png"));
    }
    {
        // The screens need a controller to belong to; one that never starts is enough.
        QTemporaryDir settings;
        platform::FileSettingsStore store(settings.path().toStdString());
        platform::Profile profile(store, std::string(app::kCompanyKey),
                                  std::string(app::kProfileName));
        ui::FramePump pump;
        const ui::ScreenRegistry registry = ui::ScreenRegistry::WithPlaceholders();
        ui::QtFrameUi frame_ui(pump, registry);
        controller::FrameServices services;
        services.profile = &profile;
        services.folder_defaults = {settings.path().toStdString() + "/program/",
                                    settings.path().toStdString() + "/data/"};
        controller::CMainFrame frame(frame_ui, pump, std::move(services));
        GallerySheet sheet(2);
        for (int number : {22, 1, 2, 3, 4, ui::ScreenRegistry::kMainScreen}) {
            std::unique_ptr<ui::ScreenWindow> screen(registry.Create(number, frame));
            screen->setWindowTitle(ui::QtFrameUi::kProgramTitle);
            sheet.AddWidget(number == ui::ScreenRegistry::kMainScreen
                                ? QStringLiteral("main screen")
                                : QStringLiteral("wizard screen %1").arg(number),
                            *screen);
        }
        save(sheet, QStringLiteral("screens.png"));
        frame.Destroy();
    }
    return out.written();
}

}  // namespace mapvale::gallery
