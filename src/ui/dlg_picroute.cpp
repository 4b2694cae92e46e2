#include "ui/dlg_picroute.h"

#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QValidator>
#include <algorithm>

#include "controller/main_frame.h"
#include "controller/photo_save.h"
#include "extras/datum_shift.h"
#include "extras/upload_body.h"
#include "platform/encoding.h"
#include "ui/qt_frame_ui.h"
#include "ui/skin/image_button.h"
#include "ui/skin/message_box.h"
#include "ui/skin/skin_fonts.h"
#include "ui/skin/skin_image.h"

namespace mapvale::ui {

namespace {

// Buttons: open shows the drop-down mark of the other choosers, the map position a pin, save a
// check and close a cross; toggles and categories are check boxes.
constexpr int kOpenImage = 452;
constexpr int kPinImage = 442;
constexpr int kSaveImage = 507;
constexpr int kCloseImage = 505;
constexpr int kCheckImage = 506;

const QPoint kVeilPlace(317, 150);
const QRect kTitlePlace(20, 8, 300, 28);
const QSize kPreviewSize(263, 170);

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::size_t Cp949Size(const QString& text) {
    return platform::Utf8ToCp949(text.toStdString(), platform::InvalidBytes::kReplace).text.size();
}

// Refuses what would not fit the field's part of the upload.
class Cp949LimitValidator final : public QValidator {
public:
    Cp949LimitValidator(std::size_t limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    State validate(QString& input, int&) const override {
        return Cp949Size(input) <= limit_ ? Acceptable : Invalid;
    }

private:
    std::size_t limit_;
};

QLineEdit* MakeEdit(int id, QWidget* parent, const QRect& place) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(place);
    edit->setFrame(false);
    edit->setFont(SkinFont(std::min(12, place.height() - 4)));
    edit->setTextMargins(3, 0, 3, 0);
    edit->setStyleSheet(
        QStringLiteral("QLineEdit{background:#F7F7F7;border:none;padding:0}"
                       "QLineEdit:disabled{color:#5F6B78;background:#C3C8CF}"));
    return edit;
}

}  // namespace

CDlgPicroute::CDlgPicroute(controller::CMainFrame& frame, controller::FrameUi& ui, QWidget* owner)
    : CSkinDialog(owner, kBackground), frame_(frame), ui_(ui) {
    setObjectName(QStringLiteral("400"));
    setWindowTitle(FromUtf8(kPicrouteTitle));
    setWindowFlag(Qt::Window);
    SetDragArea(44);
    SetRoundedCorners(20);

    preview_ = new QLabel(this);
    preview_->setObjectName(QString::number(kPreview));
    preview_->setGeometry(QRect(QPoint(33, 128), kPreviewSize));
    preview_->setAlignment(Qt::AlignCenter);
    path_ = MakeEdit(kPathEdit, this, QRect(33, 96, 209, 20));
    path_->setReadOnly(true);
    longitude_ = MakeEdit(kLongitudeEdit, this, QRect(33, 350, 100, 20));
    latitude_ = MakeEdit(kLatitudeEdit, this, QRect(141, 350, 100, 20));
    subject_ = MakeEdit(kSubjectEdit, this, QRect(378, 188, 219, 17));
    subject_->setValidator(new Cp949LimitValidator(extras::MaxFieldBytes("subject"), subject_));
    location_ = MakeEdit(kLocationEdit, this, QRect(378, 217, 219, 17));
    location_->setValidator(new Cp949LimitValidator(extras::MaxFieldBytes("location"), location_));
    contents_ = new QPlainTextEdit(this);
    contents_->setObjectName(QString::number(kContentsEdit));
    contents_->setGeometry(378, 246, 219, 123);
    contents_->setFrameShape(QFrame::NoFrame);
    contents_->setFont(SkinFont(12));
    contents_->setStyleSheet(
        QStringLiteral("QPlainTextEdit{background:#F7F7F7;border:none}"
                       "QPlainTextEdit:disabled{color:#5F6B78;background:#C3C8CF}"));
    // A text too long for its part of the upload goes back to what it was.
    connect(contents_, &QPlainTextEdit::textChanged, this,
            [this, kept = std::make_shared<QString>()] {
                const QString text = contents_->toPlainText();
                if (Cp949Size(text) <= extras::MaxFieldBytes("contents")) {
                    *kept = text;
                    return;
                }
                const QSignalBlocker block(contents_);
                contents_->setPlainText(*kept);
                contents_->moveCursor(QTextCursor::End);
            });

    AddButton(kOpen, kOpenImage, 4, 97, 248);
    AddButton(kGetPosition, kPinImage, 4, 349, 249);
    web_posting_ = AddButton(kWebPosting, kCheckImage, 5, 129, 320, ButtonMode::kCheck);
    copy_to_card_ = AddButton(kCopyToCard, kCheckImage, 5, 381, 33, ButtonMode::kCheck);
    for (int i = 0; i < 3; ++i) {
        categories_.Add(
            AddButton(kFirstCategory + i, kCheckImage, 5, 164, 378 + 40 * i, ButtonMode::kRadio));
    }
    AddButton(kSave, kSaveImage, 4, 385, 575);
    AddButton(kClose, kCloseImage, 4, 11, 606);
    Reset();
}

QString CDlgPicroute::PathText() const {
    return path_->text();
}
QString CDlgPicroute::LongitudeText() const {
    return longitude_->text();
}
QString CDlgPicroute::LatitudeText() const {
    return latitude_->text();
}
bool CDlgPicroute::WebPosting() const {
    return web_posting_->GetCheck();
}
bool CDlgPicroute::CopyToCard() const {
    return copy_to_card_->GetCheck();
}
bool CDlgPicroute::HasPreview() const {
    return !preview_->pixmap().isNull();
}

void CDlgPicroute::paintEvent(QPaintEvent* event) {
    CSkinDialog::paintEvent(event);
    QPainter painter(this);
    // The title in the band, as the window's own title.
    painter.setPen(Qt::white);
    painter.setFont(SkinFont(16, QFont::Bold));
    painter.drawText(kTitlePlace, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     windowTitle());
    if (!WebPosting()) {
        painter.drawPixmap(kVeilPlace, SkinImage(kPostingOffVeil));
    }
}

void CDlgPicroute::showEvent(QShowEvent* event) {
    CSkinDialog::showEvent(event);
    if (placed_) {
        return;
    }
    placed_ = true;
    if (QWidget* owner = parentWidget()) {
        move(owner->window()->frameGeometry().center() - rect().center());
    } else if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void CDlgPicroute::OnCommand(int id) {
    switch (id) {
        case kOpen:
            Open();
            break;
        case kGetPosition:
            ui_.CallMapPageScript("getCoord", {});
            break;
        case kWebPosting:
            UpdatePosting();
            break;
        case kSave:
            Save();
            break;
        case kClose:
            Reset();
            hide();
            break;
        default:
            break;
    }
}

void CDlgPicroute::OnCloseRequest() {
    Command(kClose);
}

void CDlgPicroute::Open() {
    QString path;
    if (choose_file_) {
        path = choose_file_();
    } else {
        QFileDialog chooser(this);
        chooser.setFileMode(QFileDialog::ExistingFile);
        chooser.setDefaultSuffix(QStringLiteral("jpg"));
        chooser.setNameFilters(
            {QStringLiteral("Jpeg Image Files (*.jpg)"), QStringLiteral("All Files (*.*)")});
        if (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty()) {
            path = chooser.selectedFiles().front();
        }
    }
    if (path.isEmpty()) {
        return;
    }
    ShowPreview(path);
    if (photo_.Load(path.toStdString()) != 1) {
        ShowMessageBox(this, FromUtf8(kPicrouteLoadFailed), FromUtf8(kPicrouteLoadCaption),
                       MessageBoxButtons::kOk, MessageBoxIcon::kInformation,
                       QtFrameUi::kProgramTitle);
        return;
    }
    path_->setText(path);
    // The photo's own position is Bessel, as the dialog's.
    const extras::GeoPosition bessel = photo_.position();
    longitude_->setText(QString::fromStdString(controller::DegreesText(bessel.longitude)));
    latitude_->setText(QString::fromStdString(controller::DegreesText(bessel.latitude)));
    const extras::GeoPosition wgs84 = extras::BesselToWgs84(bessel);
    if (extras::InValidArea(wgs84)) {
        ui_.CallMapPageScript("setCenter", {wgs84.longitude, wgs84.latitude});
    }
}

// Decoded already at the size it is shown, however large the photo.
void CDlgPicroute::ShowPreview(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        reader.setScaledSize(size.scaled(kPreviewSize, Qt::KeepAspectRatio).expandedTo({1, 1}));
    }
    const QImage image = reader.read();
    preview_->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void CDlgPicroute::SetCoord(int longitude, int latitude) {
    const extras::GeoPosition bessel = extras::Wgs84ToBessel({longitude, latitude});
    longitude_->setText(QString::fromStdString(controller::DegreesText(bessel.longitude)));
    latitude_->setText(QString::fromStdString(controller::DegreesText(bessel.latitude)));
}

void CDlgPicroute::UpdatePosting() {
    const bool on = WebPosting();
    for (int i = 0; i < categories_.Count(); ++i) {
        categories_.At(i)->setEnabled(on);
    }
    subject_->setEnabled(on);
    location_->setEnabled(on);
    contents_->setEnabled(on);
    update();
}

void CDlgPicroute::Save() {
    controller::PhotoForm form;
    form.longitude = longitude_->text().toStdString();
    form.latitude = latitude_->text().toStdString();
    form.category = categories_.Checked();
    form.subject = subject_->text().toStdString();
    form.location = location_->text().toStdString();
    form.contents = contents_->toPlainText().toStdString();
    form.web_post = WebPosting();
    form.copy_to_card = CopyToCard();
    if (frame_.SavePhoto(form, photo_) == 1) {
        Reset();
        hide();
    }
}

void CDlgPicroute::Reset() {
    photo_ = extras::GeoPhoto();
    longitude_->setText(QString::fromStdString(controller::DegreesText(0)));
    latitude_->setText(QString::fromStdString(controller::DegreesText(0)));
    path_->clear();
    subject_->clear();
    location_->clear();
    contents_->clear();
    preview_->setPixmap(QPixmap());
    web_posting_->SetCheck(false);
    copy_to_card_->SetCheck(true);
    categories_.Check(-1);
    UpdatePosting();
}

}  // namespace mapvale::ui
