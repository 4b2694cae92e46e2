#include "main_gallery.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <map>
#include <optional>

#include "app/constants.h"
#include "controller/controller_texts.h"
#include "controller/main_frame.h"
#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "ui/dlg_env.h"
#include "ui/frame_pump.h"
#include "ui/list_class.h"
#include "ui/qt_frame_ui.h"
#include "ui/screen_registry.h"
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

}  // namespace

int MainGalleryPictureCount() {
    return 4;
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
    frame.Destroy();
    return out.written();
}

}  // namespace mapvale::gallery
