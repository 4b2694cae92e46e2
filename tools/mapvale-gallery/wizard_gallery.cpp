#include "wizard_gallery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/constants.h"
#include "controller/install_rules.h"
#include "controller/main_frame.h"
#include "controller/wizard_texts.h"
#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "model/messages.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "ui/dlg_easy1.h"
#include "ui/dlg_easy2.h"
#include "ui/dlg_easy22.h"
#include "ui/dlg_easy3.h"
#include "ui/dlg_easy4.h"
#include "ui/frame_pump.h"
#include "ui/qt_frame_ui.h"
#include "ui/screen_registry.h"
#include "ui/skin/x_message_box.h"
#include "ui/web/movie_view.h"

namespace mapvale::gallery {

namespace {

// A page shown the way the program shows it, shot once its movie is playing.
QImage ShootPage(ui::WizardPage& page, int settle_ms) {
    page.move(40, 40);
    page.show();
    if (auto* movie = page.findChild<ui::CMovieView*>(QString::number(ui::WizardPage::kMovie))) {
        WaitUntil([movie] { return movie->IsReady(); }, 20000);
    }
    Settle(settle_ms);
    return Shoot(page);
}

// A program folder with the program's movies and pictures and a vehicle media table that lists
// one model of each medium.
bool MakeProgramFolder(const QString& from, const QString& to) {
    const QDir source(from + QStringLiteral("/Info"));
    QDir().mkpath(to + QStringLiteral("/Info"));
    for (const QString& name : source.entryList(QDir::Files)) {
        QFile::copy(source.filePath(name), to + QStringLiteral("/Info/") + name);
    }
    QFile media(to + QStringLiteral("/Info/VehicleMedia.txt"));
    if (!media.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    media.write("HX100|SD\nKB20|USB\nKC30|USBDVD\nKD40|DVD\n");
    QFile banner(to + QStringLiteral("/banner.html"));
    if (!banner.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    banner.write(
        "<html><body style=\"margin:0;height:115px;background:linear-gradient(90deg,#1F3F66,"
        "#1FB5A6);font-family:NanumGothic;color:#fff;display:flex;align-items:center;"
        "justify-content:center;font-size:28px\">Orvin Dalmar Waymark+</body></html>");
    return true;
}

DeviceEntry Unit(int kind, const char* model, const char* caption) {
    DeviceEntry device;
    device.kind = kind;
    device.model_name = model;
    device.caption = caption;
    device.registered = 1;
    device.format_option = 1;
    device.backup_option = 1;
    device.variant_totals = {900LL << 20, 1900LL << 20, 3900LL << 20};
    return device;
}

CardInfo Card(char letter, std::uint32_t capacity_mb) {
    CardInfo card;
    card.letter = letter;
    card.capacity_kb = capacity_mb * 1024;
    card.free_kb = card.capacity_kb;
    card.drive_kind = DriveKind::kRemovable;
    return card;
}

}  // namespace

int WizardGalleryPictureCount() {
    return 6;
}

QStringList WriteWizardGallery(const QString& folder, const QString& program_folder) {
    GalleryFolder out(folder);
    QTemporaryDir work;
    if (!out.ok() || !work.isValid() ||
        !MakeProgramFolder(program_folder, work.filePath(QStringLiteral("program")))) {
        return {};
    }
    auto save = [&out](const GallerySheet& sheet, const QString& name) { out.Save(sheet, name); };

    // A controller that never starts: the pages read the state set here.
    platform::FileSettingsStore store(work.filePath(QStringLiteral("settings")).toStdString());
    platform::Profile profile(store, std::string(app::kCompanyKey), std::string(app::kProfileName));
    ui::FramePump pump;
    ui::QtFrameUi frame_ui(pump, ui::ScreenRegistry::Standard());
    controller::FrameServices services;
    services.profile = &profile;
    const std::string root = work.path().toStdString();
    services.folder_defaults = {root + "/program/", root + "/data/"};
    controller::CMainFrame frame(frame_ui, pump, std::move(services));
    frame_ui.Attach(frame);
    controller::ControllerState& state = frame.state();
    state.settings.program_folder = root + "/program/";
    state.settings.data_folder = root + "/data/";
    state.settings.company = "OV";
    state.current_e = "file://" + root + "/program/banner.html";
    std::list<DeviceEntry>& devices = state.devices;
    devices.push_back(Unit(8, "HX100", "그랜드 HX"));
    devices.push_back(Unit(8, "KB20", "브라보 KB"));
    devices.push_back(Unit(8, "KC30", "찰리 KC"));
    devices.push_back(Unit(8, "KD40", "델타 KD"));
    devices.push_back(Unit(1, "OR50", "오를라 V5"));
    devices.back().sub_kind = 2;
    const auto device = [&](const char* model) {
        for (DeviceEntry& entry : devices) {
            if (entry.model_name == model) {
                return &entry;
            }
        }
        return &devices.front();
    };
    const auto option_page = [&](GallerySheet& sheet, const QString& label) {
        ui::CDlgEasy22 page(frame);
        sheet.Add(label, ShootPage(page, 150));
    };

    {
        GallerySheet sheet(2);
        option_page(sheet, QStringLiteral("no unit chosen"));
        state.selected_device = device("HX100");
        option_page(sheet, QStringLiteral("no card: the hard disk alone"));
        state.drives['E'] = Card('E', 7800);
        state.selected_drive = 'E';
        option_page(sheet, QStringLiteral("card E: 8 GB, code 4 (SD model)"));
        state.drives['E'] = Card('E', 512);
        option_page(sheet, QStringLiteral("card E: 512 MB, code 0"));
        state.drives['E'] = Card('E', 1536);
        state.selected_device = device("OR50");
        option_page(sheet, QStringLiteral("ORLA V5.0 on 1.5 GB: code 100 and its note"));
        save(sheet, QStringLiteral("options.png"));
    }
    {
        GallerySheet sheet(2);
        state.drives['E'] = Card('E', 7800);
        for (const char* model : {"KB20", "KC30", "KD40"}) {
            state.selected_device = device(model);
            option_page(sheet, QStringLiteral("medium of %1").arg(QString::fromLatin1(model)));
        }
        state.devices.clear();
        state.selected_device = nullptr;
        option_page(sheet, QStringLiteral("an account without units"));
        save(sheet, QStringLiteral("options-media.png"));
    }
    devices.push_back(Unit(8, "HX100", "그랜드 HX"));
    state.selected_device = &devices.back();
    {
        GallerySheet sheet(2);
        sheet.Add(QStringLiteral("format off (확인 취소)"),
                  MessageBoxShot(Text(controller::kTextCancelFormat),
                                 Text(controller::kCaptionCancelFormat),
                                 ui::MessageBoxButtons::kOkCancel, ui::MessageBoxIcon::kQuestion));
        const std::unique_ptr<ui::XMessageBox> downloaded = ui::BuildDownloadedPackageBox(nullptr);
        sheet.AddWidget(QStringLiteral("newest package already there"), *downloaded);
        sheet.Add(QStringLiteral("no unit chosen"),
                  MessageBoxShot(Text(controller::kTextChooseVehicleFirst),
                                 Text(controller::kWizardNoticeCaption), ui::MessageBoxButtons::kOk,
                                 ui::MessageBoxIcon::kInformation));
        sheet.Add(QStringLiteral("job error on the progress page"),
                  MessageBoxShot(Text(controller::JobErrorMessage(1, 0)), QString(),
                                 ui::MessageBoxButtons::kOk, ui::MessageBoxIcon::kNone));
        save(sheet, QStringLiteral("questions.png"));
    }
    {
        GallerySheet sheet(2);
        ui::CDlgEasy1 welcome(frame);
        sheet.Add(QStringLiteral("CDlgEasy1: no card"), ShootPage(welcome, 1500));
        ui::CDlgEasy2 countdown(frame);
        sheet.Add(QStringLiteral("CDlgEasy2: countdown, 2 s in"), ShootPage(countdown, 2000));
        save(sheet, QStringLiteral("welcome-countdown.png"));
    }
    {
        GallerySheet sheet(2);
        ui::CDlgEasy3 progress(frame);
        DeviceEntry& unit = *state.selected_device;
        unit.job_state = 5;
        unit.download_percent = 42;
        unit.remaining_download_seconds = 754;
        unit.remaining_copy_seconds = 300;
        state.last_progress_kind = kMsgDownloadFileProgress;
        state.current_download_item = "HX100_MAP_01.zip";
        progress.Refresh();
        sheet.Add(QStringLiteral("CDlgEasy3: downloading"), ShootPage(progress, 1200));
        unit.download_percent = 100;
        unit.install_percent = 63;
        unit.remaining_download_seconds = -1;
        unit.remaining_copy_seconds = 95;
        state.last_progress_kind = kMsgCopyFileProgress;
        state.current_install_item = "HX100_MAP_01.dat";
        progress.Refresh();
        sheet.Add(QStringLiteral("CDlgEasy3: copying"), ShootPage(progress, 800));
        save(sheet, QStringLiteral("progress.png"));
    }
    {
        GallerySheet sheet(2);
        state.last_job_on_card = true;
        ui::CDlgEasy4 card(frame);
        sheet.Add(QStringLiteral("CDlgEasy4: card"), ShootPage(card, 1500));
        state.last_job_on_card = false;
        ui::CDlgEasy4 hard_disk(frame);
        sheet.Add(QStringLiteral("CDlgEasy4: hard disk only"), ShootPage(hard_disk, 1500));
        save(sheet, QStringLiteral("finished.png"));
    }
    return out.written();
}

}  // namespace mapvale::gallery
