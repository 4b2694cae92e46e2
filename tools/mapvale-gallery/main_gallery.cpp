#include "main_gallery.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <map>
#include <optional>

#include "app/constants.h"
#include "controller/controller_texts.h"
#include "controller/install_rules.h"
#include "controller/main_frame.h"
#include "controller/wizard_return.h"
#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "page_server.h"
#include "platform/fake_clock.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "ui/dlg_env.h"
#include "ui/dlg_install.h"
#include "ui/dlg_main.h"
#include "ui/frame_pump.h"
#include "ui/list_class.h"
#include "ui/qt_frame_ui.h"
#include "ui/screen_registry.h"
#include "ui/skin/image_button.h"
#include "ui/web/movie_view.h"

namespace mapvale::gallery {

namespace {

// One fixed disk per folder root, with the free bytes the picture needs (nothing: unknown).
class PictureVolumes final : public platform::Volumes {
public:
    void Add(char letter, const std::string& root, std::optional<std::uint64_t> free_bytes) {
        platform::Volume volume;
        volume.letter = letter;
        volume.root = root;
        volume.kind = platform::VolumeKind::kFixed;
        volumes_.push_back(volume);
        free_[letter] = free_bytes;
    }
    std::vector<platform::Volume> List() override { return volumes_; }
    std::optional<platform::VolumeSpace> Space(char letter) override {
        const auto bytes = free_[letter];
        if (!bytes) {
            return std::nullopt;
        }
        return platform::VolumeSpace{*bytes, *bytes, *bytes};
    }

private:
    std::vector<platform::Volume> volumes_;
    std::map<char, std::optional<std::uint64_t>> free_;
};

FileEntry File(const char* name, const char* category, std::uint32_t kb, int version) {
    FileEntry file;
    file.file_name = name;
    file.category = category;
    file.file_size = kb * 1024;
    file.archive_size = kb * 1024 / 3 * 2;
    file.version = version;
    file.downloaded_version = version;
    file.needs_download = 0;
    file.on_pc = 1;
    file.selected = 1;
    file.status = FileStatus::kDownloaded;
    return file;
}

// A vehicle unit's package as the list shows it.
DeviceEntry Package() {
    DeviceEntry device;
    device.install_type = 2;
    device.format_option = 1;
    device.files = {
        File("Nav.bin", "프로그램", 48, 3),
        File("ovm.exe", "프로그램", 2100, 1),
        File("Korea.map", "지도", 1843200, 5),
        File("nd_2gb.vb", "지도", 512000, 5),
        File("poi.dat", "지도", 20480, 5),
        File("voice.dat", "기타", 12288, 2),
        File("camera.dat", "안전운행", 1536, 7),
        File("ThemeStyle_basic.bin", "지도색상(일반색상)", 96, 1),
        File("ThemeStyle_night.bin", "지도색상(일반색상)", 96, 1),
    };
    std::uint32_t installed = 0;
    for (const FileEntry& file : device.files) {
        installed += file.file_size;
    }
    device.installed_size = installed;
    return device;
}

void ShowChart(ui::CListClass& list, const DeviceEntry& device, const CardInfo* card) {
    list.Refresh(&device, card);
    if (auto* chart = list.findChild<ui::CMovieView*>()) {
        WaitUntil([&] { return chart->IsReady(); }, 20000);
    }
    Settle(600);
}

constexpr std::int64_t kStripFirstHalfMs = 1733700000000;  // a second that ends in 0

// Every state of the main screen's status strip, each cut from the screen as it shows it.
void WriteStatusStripPictures(GalleryFolder& out, ui::CDlgMain& screen,
                              controller::ControllerState& state, platform::FakeClock& clock) {
    QWidget* strip = screen.findChild<QWidget*>(QString::number(ui::CDlgMain::kStatus));
    if (strip == nullptr) {
        return;
    }
    DeviceEntry& device = state.devices.front();
    CardInfo& card = state.drives['E'];
    GallerySheet sheet(2);
    const auto shoot = [&](const char* label) {
        screen.RefreshStatus();
        Settle(500);
        sheet.Add(QString::fromUtf8(label), Shoot(screen).copy(strip->geometry()));
    };
    const auto job = [&](int job_state, bool with_card) {
        state.selected_drive = with_card ? 'E' : 0;
        state.job_running = job_state != 0 ? 1 : 0;
        device.busy = job_state != 0 ? 1 : 0;
        device.job_state = job_state;
    };

    state.selected_device = nullptr;
    shoot("no unit chosen");
    state.selected_device = &device;
    job(0, true);
    card.model_name = "KB20";
    shoot("card: waiting for the install");
    card.model_name = device.model_name;
    card.recorded_version = device.server_map_version;
    card.recorded_number = device.server_second_version;
    card.completion_mark = 0;
    shoot("card: an unfinished install of this package");
    card.completion_mark = 1;
    shoot("card: the newest package");
    card.model_name = "KB20";
    shoot("card: another unit's newest package");
    card.model_name = "HX100";
    card.completion_mark = 0;
    card.recorded_version = 0;

    device.install_percent = 35;
    for (int stage = 1; stage <= 3; ++stage) {
        job(stage, true);
        shoot(stage == 1 ? "card: backup" : stage == 2 ? "card: erasing" : "card: restoring");
    }
    job(4, true);
    shoot("card: working out the sizes");
    job(5, true);
    device.download_percent = 42;
    device.install_percent = 31;
    device.download_speed = 1830.0;
    device.copy_speed = 950.0;
    device.remaining_download_seconds = 1500;
    device.remaining_copy_seconds = 900;
    shoot("card: installing, download speed and time left");
    clock.SetNowMs(kStripFirstHalfMs + 5000);
    shoot("card: installing, copy speed");
    clock.SetNowMs(kStripFirstHalfMs);
    job(6, true);
    shoot("card: finishing");
    job(2, false);
    shoot("hard disk only: working out the sizes");
    job(5, false);
    shoot("hard disk only: downloading");
    job(6, false);
    shoot("hard disk only: finishing");
    job(0, false);
    shoot("hard disk only: waiting");
    out.Save(sheet, QStringLiteral("status-strip.png"));
}

// Every refusal of the main screen's way back to the wizard, as the rule gives it for a unit and
// card that call for it.
void WriteWizardRefusalPictures(GalleryFolder& out) {
    CardInfo card;
    card.capacity_kb = 4u * 1024 * 1024;
    card.free_kb = 3u * 1024 * 1024;
    CardInfo small_card = card;
    small_card.capacity_kb = 1024 * 1024;
    const auto unit = [](int kind, int sub_kind, const char* device_class, int install_type) {
        DeviceEntry device;
        device.kind = kind;
        device.sub_kind = sub_kind;
        device.model_name = "HX100";
        device.device_class = device_class;
        device.install_type = install_type;
        device.server_map_version = 20240115;
        device.backup_option = 1;
        return device;
    };
    DeviceEntry newest = unit(8, 0, "A", 4);
    CardInfo newest_card = card;
    newest_card.model_name = "HX100";
    newest_card.recorded_version = newest.server_map_version;
    newest_card.recorded_number = newest.server_second_version;
    newest_card.completion_mark = 1;
    DeviceEntry too_big = unit(8, 0, "A", 4);
    too_big.backup_option = 0;
    too_big.needed_kb = 5u * 1024 * 1024;

    struct Case {
        const char* label;
        DeviceEntry device;
        const CardInfo* card;
    };
    const Case cases[] = {
        {"no card", unit(8, 0, "A", 4), nullptr},
        {"a PDA unit", unit(2, 0, "P", 4), &card},
        {"the newest package already on the card", newest, &newest_card},
        {"TARNO high resolution, 1 GB card", unit(2, 2, "A", 4), &small_card},
        {"ORLA V5.0, 1 GB card", unit(1, 2, "A", 4), &small_card},
        {"the user's own selection", unit(8, 0, "A", controller::kInstallNo1GbVariant), &card},
        {"camera data only", unit(8, 0, "A", controller::kInstallCameraOnly), &card},
        {"no room on the card", too_big, &card},
    };
    GallerySheet sheet(3);
    for (const Case& shot : cases) {
        const std::string_view refusal =
            controller::WizardReturnRefusal(&shot.device, shot.card, false);
        if (refusal.empty()) {
            continue;
        }
        sheet.Add(QString::fromUtf8(shot.label),
                  MessageBoxShot(Text(refusal), Text(controller::kWizardReturnCaption),
                                 ui::MessageBoxButtons::kOk, ui::MessageBoxIcon::kInformation));
    }
    out.Save(sheet, QStringLiteral("wizard-refusals.png"));
}

// The main screen over a controller that never starts, its pages served by a demo world: idle,
// before, during and after a job, maximised, and each tab.
void WriteMainScreenPictures(GalleryFolder& out, const QString& program_folder) {
    PageServer pages;
    QTemporaryDir work;
    if (!pages.Start() || !work.isValid()) {
        return;
    }
    platform::FileSettingsStore store(work.filePath(QStringLiteral("settings")).toStdString());
    platform::Profile profile(store, std::string(app::kCompanyKey), std::string(app::kProfileName));
    ui::FramePump pump;
    ui::QtFrameUi frame_ui(pump, ui::ScreenRegistry::Standard());
    // The strip's speed and remaining time take turns by the clock's second.
    platform::FakeClock clock;
    clock.SetNowMs(kStripFirstHalfMs);
    controller::FrameServices services;
    services.profile = &profile;
    services.clock = &clock;
    const std::string root = work.path().toStdString();
    services.folder_defaults = {program_folder.toStdString(), root + "/data/"};
    controller::CMainFrame frame(frame_ui, pump, std::move(services));
    frame_ui.Attach(frame);
    controller::ControllerState& state = frame.state();
    state.settings.program_folder = program_folder.toStdString();
    state.settings.data_folder = root + "/data/";
    state.settings.company = "OV";
    state.settings.user_id = "hong";
    state.account_text = "홍길동";
    state.account_kind = "H";
    state.servers = pages.Servers();
    DeviceEntry unit = Package();
    unit.kind = 8;
    unit.model_name = "HX100";
    unit.caption = "그랜드 HX";
    state.devices.push_back(unit);
    DeviceEntry other;
    other.kind = 2;
    other.model_name = "HT300";
    other.caption = "투어러 HT";
    state.devices.push_back(other);
    const std::string banner =
        "http://" + pages.Address() + "/orla/Waymark/InstallInfoPlus/banner_s1.html";

    const auto shoot = [&](ui::CDlgMain& screen, int settle_ms) {
        screen.RefreshLists();
        screen.RefreshStatus();
        ShowLoaded(screen, settle_ms);
        return Shoot(screen);
    };
    {
        GallerySheet sheet(2);
        ui::CDlgMain screen(frame);
        screen.move(20, 20);
        screen.NavigateBanner(banner);
        sheet.Add(QStringLiteral("idle: no unit chosen"), shoot(screen, 900));

        DeviceEntry& device = state.devices.front();
        CardInfo card;
        card.letter = 'E';
        card.root = "/media/E/";
        card.capacity_kb = 4u * 1024 * 1024;
        card.free_kb = 3u * 1024 * 1024;
        card.user_data_kb = 600u * 1024;
        state.drives['E'] = card;
        state.selected_drive = 'E';
        state.selected_device = &device;
        device.files[1].needs_download = 1;
        device.files[1].downloaded_version = 0;
        sheet.Add(QStringLiteral("before a job: unit and 4 GB card"), shoot(screen, 900));

        state.job_running = 1;
        device.busy = 1;
        device.job_state = 5;
        device.download_percent = 42;
        device.install_percent = 31;
        device.download_speed = 1830.0;
        device.copy_speed = 950.0;
        device.remaining_download_seconds = 1500;
        device.remaining_copy_seconds = 900;
        device.files[0].status = FileStatus::kOnCard;
        device.files[1].status = FileStatus::kDownloading;
        device.files[1].percent = 57;
        device.files[2].status = FileStatus::kReconnecting;
        device.files[3].status = FileStatus::kCopying;
        device.files[3].percent = 64;
        screen.SetStartButtonBitmap(429);
        sheet.Add(QStringLiteral("during a job: download and copy"), shoot(screen, 600));

        state.job_running = 0;
        device.busy = 0;
        device.job_state = 0;
        for (FileEntry& file : device.files) {
            file.status = FileStatus::kOnCard;
            file.needs_download = 0;
            file.downloaded_version = file.version;
        }
        screen.SetStartButtonBitmap(377);
        sheet.Add(QStringLiteral("after the job"), shoot(screen, 600));
        out.Save(sheet, QStringLiteral("main-screen.png"));

        GallerySheet maximised(1);
        screen.ToggleMaximise();
        maximised.Add(QStringLiteral("maximised"), shoot(screen, 900));
        screen.ToggleMaximise();
        out.Save(maximised, QStringLiteral("main-screen-maximised.png"));

        GallerySheet tabs(2);
        const std::pair<int, const char*> tab_shots[] = {
            {ui::CDlgMain::kMapTab, "tab 7: 지도컨텐츠"},
            {ui::CDlgMain::kEtcTab, "tab 8: 부가컨텐츠"},
            {ui::CDlgMain::kTarnoTab, "tab 12: 부가컨텐츠(Tarno)"},
        };
        for (const auto& [tab, label] : tab_shots) {
            if (auto* button = screen.findChild<ui::CImageButton*>(QString::number(tab))) {
                emit button->command(tab);
            }
            tabs.Add(QString::fromUtf8(label), shoot(screen, 1200));
        }
        out.Save(tabs, QStringLiteral("main-screen-tabs.png"));

        if (auto* button =
                screen.findChild<ui::CImageButton*>(QString::number(ui::CDlgMain::kInstallTab))) {
            emit button->command(ui::CDlgMain::kInstallTab);
        }
        WriteStatusStripPictures(out, screen, state, clock);
    }
    frame.Destroy();
}

}  // namespace

int MainGalleryPictureCount() {
    return 9;
}

QStringList WriteMainGallery(const QString& folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    const QString program_folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    CardInfo card;
    card.capacity_kb = 4u * 1024 * 1024;
    card.user_data_kb = 600u * 1024;

    {
        GallerySheet sheet(1);
        ui::CListClass list;
        list.SetChartFolder(program_folder);
        list.resize(785, 330);
        list.show();
        DeviceEntry device = Package();
        device.files[1].downloaded_version = 0;
        device.files[1].needs_download = 1;
        device.files[4].partial = 1;
        device.files[4].needs_download = 1;
        device.files[6].on_pc = 0;
        device.files[6].needs_download = 1;
        ShowChart(list, device, &card);
        sheet.Add(QStringLiteral("before a job, with a 4 GB card"), Shoot(list));

        device.busy = 1;
        device.job_state = 5;
        device.files[0].status = FileStatus::kOnCard;
        device.files[1].status = FileStatus::kDownloading;
        device.files[1].percent = 0;
        device.files[2].status = FileStatus::kDownloading;
        device.files[2].percent = 63;
        device.files[3].status = FileStatus::kReconnecting;
        device.files[3].percent = 20;
        device.files[4].status = FileStatus::kUnpacking;
        device.files[5].status = FileStatus::kCopying;
        device.files[5].percent = 41;
        device.files[6].status = FileStatus::kToFetch;
        device.files[7].status = FileStatus::kCopying;
        device.files[7].percent = 0;
        device.files[8].status = FileStatus::kNotInJob;
        list.Refresh(&device, &card);
        Settle(200);
        sheet.Add(QStringLiteral("during a job: bars, retrying, unpacking, copying"), Shoot(list));

        device.busy = 0;
        device.job_state = 0;
        for (FileEntry& file : device.files) {
            file.status = FileStatus::kOnCard;
            file.partial = 0;
            file.on_pc = 1;
            file.needs_download = 0;
            file.downloaded_version = file.version;
            file.card_version = file.version;
        }
        ShowChart(list, device, nullptr);
        sheet.Add(QStringLiteral("after the job, hard disk only (package slice alone)"),
                  Shoot(list));
        out.Save(sheet, QStringLiteral("content-list.png"));
    }
    {
        GallerySheet sheet(1);
        ui::CListClass list;
        list.SetChartFolder(program_folder);
        list.resize(785, 330);
        list.show();
        DeviceEntry device = Package();
        device.install_type = 200;
        device.installed_size = 1536u * 1024;
        ShowChart(list, device, &card);
        sheet.Add(QStringLiteral("camera data only (type 200)"), Shoot(list));
        device.busy = 1;
        device.files[6].status = FileStatus::kDownloading;
        device.files[6].percent = 35;
        list.Refresh(&device, &card);
        Settle(200);
        sheet.Add(QStringLiteral("camera data only, during the job"), Shoot(list));
        out.Save(sheet, QStringLiteral("content-list-camera.png"));
    }

    // A controller that never starts: the dialog only reads its settings.
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
    {
        PictureVolumes volumes;
        volumes.Add('C', "/", 2048ull * 1024 * 1024 * 1024);
        volumes.Add('D', "/mnt/data/", 79ull * 1024 * 1024 * 1024 / 10);
        volumes.Add('E', "/mnt/silent/", std::nullopt);
        GallerySheet sheet(3);
        const std::pair<const char*, const char*> folders[] = {
            {"/home/user/Waymark/", "free space in TB"},
            {"/mnt/data/지도 다운로드/", "free space in GB"},
            {"/mnt/silent/Waymark/", "free space unknown"},
        };
        for (const auto& [data_folder, label] : folders) {
            frame.state().settings.data_folder = data_folder;
            ui::CDlgEnv dialog(frame, frame_ui, volumes, nullptr);
            dialog.show();
            Settle(100);
            sheet.AddWidget(QString::fromUtf8(label), dialog);
        }
        out.Save(sheet, QStringLiteral("settings.png"));
    }
    {
        using B = ui::MessageBoxButtons;
        using I = ui::MessageBoxIcon;
        GallerySheet sheet(3);
        sheet.Add(QStringLiteral("settings: not a hard disk"),
                  MessageBoxShot(Text(ui::kEnvTextNotHardDisk), Text(ui::kEnvCaptionNotHardDisk),
                                 B::kOk, I::kInformation));
        sheet.Add(QStringLiteral("settings: network drive"),
                  MessageBoxShot(Text(ui::kEnvTextRemote), Text(ui::kEnvCaptionRemote), B::kYesNo,
                                 I::kQuestion));
        sheet.Add(QStringLiteral("settings: below 8 GB"),
                  MessageBoxShot(Text(ui::kEnvTextLowSpace), Text(ui::kEnvCaptionLowSpace), B::kOk,
                                 I::kInformation));
        sheet.Add(
            QStringLiteral("start: hard disk only"),
            MessageBoxShot(Text(controller::kTextNoCardSelected),
                           Text(controller::kCaptionNoCardSelected), B::kYesNo, I::kQuestion));
        sheet.Add(QStringLiteral("start: little room on the card"),
                  MessageBoxShot(Text(controller::kTextLowCardSpace),
                                 Text(controller::kCaptionLowCardSpace), B::kYesNo, I::kQuestion));
        sheet.Add(QStringLiteral("start: card too small"),
                  MessageBoxShot(Text(controller::kTextCardTooSmall), QString(), B::kOk, I::kNone));
        sheet.Add(
            QStringLiteral("start: no unit"),
            MessageBoxShot(Text(controller::kTextNoDeviceSelected), QString(), B::kOk, I::kNone));
        sheet.Add(QStringLiteral("stop during the restore"),
                  MessageBoxShot(Text(controller::kTextCannotStop),
                                 Text(controller::kCaptionCannotStop), B::kOk, I::kInformation));
        sheet.Add(QStringLiteral("stop the download"),
                  MessageBoxShot(Text(controller::kTextAskStopDownload),
                                 Text(controller::kCaptionAskStop), B::kYesNo, I::kQuestion));
        out.Save(sheet, QStringLiteral("boxes.png"));
    }
    WriteWizardRefusalPictures(out);
    frame.Destroy();
    WriteMainScreenPictures(out, program_folder);
    return out.written();
}

}  // namespace mapvale::gallery
