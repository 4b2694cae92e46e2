#include "extras_gallery.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>

#include "app/constants.h"
#include "controller/main_frame.h"
#include "controller/picroute_texts.h"
#include "extras/exif_gps.h"
#include "gallery_sheet.h"
#include "gallery_wait.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "ui/dlg_picroute.h"
#include "ui/frame_pump.h"
#include "ui/qt_frame_ui.h"
#include "ui/screen_registry.h"
#include "ui/skin/image_button.h"

namespace mapvale::gallery {

namespace {

namespace texts = controller::picroute_texts;

// A seaside picture with the position of Busan's beach in its Exif block, as a camera would
// leave it.
QString WritePhoto(const QString& folder) {
    QImage image(1200, 800, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 480);
    sky.setColorAt(0, QColor(0x5B, 0x9B, 0xD5));
    sky.setColorAt(1, QColor(0xCF, 0xE6, 0xF5));
    painter.fillRect(0, 0, 1200, 480, sky);
    QLinearGradient sea(0, 480, 0, 800);
    sea.setColorAt(0, QColor(0x1F, 0x6F, 0x9F));
    sea.setColorAt(1, QColor(0x0F, 0x3F, 0x6F));
    painter.fillRect(0, 480, 1200, 320, sea);
    painter.setBrush(QColor(0xF2, 0xD7, 0x8A));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(900, 180), 70, 70);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    const std::string exif = extras::ExifGpsSegment({46'567'380, 12'672'000});
    bytes.insert(2, exif.data(), static_cast<qsizetype>(exif.size()));
    // A folder name long enough that the path edit shows only this part of it, the same at
    // every run.
    const QString photos = folder + QStringLiteral("/Pictures/2024 여름 부산 여행");
    QDir().mkpath(photos);
    const QString path = photos + QStringLiteral("/haeundae.jpg");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

void Click(QWidget& dialog, int id) {
    auto* button = dialog.findChild<ui::CImageButton*>(QString::number(id));
    if (button == nullptr) {
        return;
    }
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(button, &release);
}

}  // namespace

int ExtrasGalleryPictureCount() {
    return 3;
}

QStringList WriteExtrasGallery(const QString& folder) {
    GalleryFolder out(folder);
    if (!out.ok()) {
        return {};
    }
    // A controller that never starts: the dialog is only shown.
    QTemporaryDir scratch;
    platform::FileSettingsStore store(scratch.path().toStdString());
    platform::Profile profile(store, std::string(app::kCompanyKey), std::string(app::kProfileName));
    ui::FramePump pump;
    const ui::ScreenRegistry registry = ui::ScreenRegistry::WithPlaceholders();
    ui::QtFrameUi frame_ui(pump, registry);
    controller::FrameServices services;
    services.profile = &profile;
    const std::string root = scratch.path().toStdString();
    services.folder_defaults = {root + "/program/", root + "/data/"};
    controller::CMainFrame frame(frame_ui, pump, std::move(services));
    // The photo at the same path at every run, so that the path edit draws the same.
    const QString photo_folder = QDir::temp().filePath(QStringLiteral("mapvale-gallery-extras"));
    QDir(photo_folder).removeRecursively();
    const QString photo = WritePhoto(photo_folder);
    // A steady text cursor, so that each run draws the same pictures.
    const int flash_time = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);
    {
        GallerySheet sheet(2);
        ui::CDlgPicroute dialog(frame, frame_ui, nullptr);
        dialog.SetFileChooser([&photo] { return photo; });
        dialog.show();
        Settle(100);
        sheet.AddWidget(QStringLiteral("opened: posting off (veiled), copying on"), dialog);
        Click(dialog, ui::CDlgPicroute::kOpen);
        Settle(100);
        sheet.AddWidget(QStringLiteral("a photo loaded: its position, its preview"), dialog);
        out.Save(sheet, QStringLiteral("picroute-dialog.png"));

        GallerySheet posting(1);
        Click(dialog, ui::CDlgPicroute::kWebPosting);
        Click(dialog, ui::CDlgPicroute::kFirstCategory + 1);
        dialog.findChild<QLineEdit*>(QString::number(ui::CDlgPicroute::kSubjectEdit))
            ->setText(QStringLiteral("해운대 일출"));
        dialog.findChild<QLineEdit*>(QString::number(ui::CDlgPicroute::kLocationEdit))
            ->setText(QStringLiteral("부산 해운대구"));
        dialog.findChild<QPlainTextEdit*>(QString::number(ui::CDlgPicroute::kContentsEdit))
            ->setPlainText(QStringLiteral("아침 바다"));
        Settle(100);
        posting.AddWidget(QStringLiteral("posting on: category, title, place, text"), dialog);
        out.Save(posting, QStringLiteral("picroute-posting.png"));
    }
    {
        using B = ui::MessageBoxButtons;
        using I = ui::MessageBoxIcon;
        GallerySheet sheet(3);
        const auto add = [&sheet](const char* label, std::string_view text,
                                  std::string_view caption, B buttons, I icon) {
            sheet.Add(QString::fromUtf8(label),
                      MessageBoxShot(Text(text), Text(caption), buttons, icon));
        };
        add("open: not a photo", ui::kPicrouteLoadFailed, ui::kPicrouteLoadCaption, B::kOk,
            I::kInformation);
        add("save: position outside", texts::kBadPosition, texts::kCaptionFailed, B::kOk,
            I::kInformation);
        add("save: no category", texts::kNoCategory, texts::kCaptionInput, B::kOk, I::kInformation);
        add("save: no title", texts::kNoSubject, texts::kCaptionInput, B::kOk, I::kInformation);
        add("save: no place", texts::kNoLocation, texts::kCaptionInput, B::kOk, I::kInformation);
        add("save: no text", texts::kNoContents, texts::kCaptionInput, B::kOk, I::kInformation);
        add("save: no card", texts::kNoCard, texts::kCaptionInput, B::kOk, I::kInformation);
        char failed[96];
        std::snprintf(failed, sizeof failed, texts::kWriteFailedFormat, -2);
        add("save: the photo cannot be written", failed, "", B::kOk, I::kNone);
        add("save: posted", texts::kPosted, texts::kCaptionDone, B::kOk, I::kInformation);
        add("save: the board's refusal (its own text)", "게시할 수 없는 사진입니다.",
            texts::kCaptionFailed, B::kOk, I::kInformation);
        add("save: copied", texts::kCopied, texts::kCaptionDone, B::kOk, I::kInformation);
        add("save or download: copy failed", texts::kCopyFailed, texts::kCaptionFailed, B::kOk,
            I::kWarning);
        add("save or download: no unit", texts::kChooseDevice, texts::kCaptionChoice, B::kOk,
            I::kWarning);
        add("same name on the card", texts::kSameName, texts::kCaptionSameName, B::kYesNoCancel,
            I::kInformation);
        add("download: not an ORLA unit", texts::kOrlaOnly, texts::kCaptionNoDownload, B::kOk,
            I::kInformation);
        add("download: no card", texts::kInsertCard, texts::kCaptionCard, B::kOk, I::kInformation);
        add("download: a job is at its backup", texts::kJobBusy, texts::kCaptionNoDownload, B::kOk,
            I::kInformation);
        add("download: failed", texts::kDownloadFailed, texts::kCaptionFailed, B::kOk, I::kWarning);
        add("download: done", texts::kDownloaded, texts::kCaptionDone, B::kOk, I::kInformation);
        out.Save(sheet, QStringLiteral("picroute-boxes.png"));
    }
    QApplication::setCursorFlashTime(flash_time);
    QDir(photo_folder).removeRecursively();
    frame.Destroy();
    return out.written();
}

}  // namespace mapvale::gallery
