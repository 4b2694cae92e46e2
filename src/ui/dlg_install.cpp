#include "ui/dlg_install.h"

#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <array>

#include "card/drive_text.h"
#include "controller/device_labels.h"
#include "controller/main_frame.h"
#include "controller/option_page.h"
#include "controller/wizard_texts.h"
#include "ui/list_class.h"
#include "ui/skin/image_button.h"
#include "ui/skin/image_combo.h"
#include "ui/skin/product_image.h"
#include "ui/skin/skin_fonts.h"
#include "ui/skin/skin_image.h"
#include "ui/web/web.h"

namespace mapvale::ui {

namespace {

constexpr int kBackground = 561;
constexpr int kCheckImage = 506;  // 5 frames of 16 x 16
constexpr int kStartImage = 377;  // 4 frames of 100 x 34
constexpr int kProductSiteImage = 567;
constexpr int kRefreshImage = 568;
constexpr int kListButtonImage = 569;

// The install type buttons with their skin strips (4 frames each), in the group's order.
struct TypeButton {
    int id;
    int type;
    int image;
    int x;
};
constexpr std::array<TypeButton, 5> kTypeButtons = {{
    {CDlgInstall::kType1G, 1, 562, 116},
    {CDlgInstall::kType2G, 2, 563, 176},
    {CDlgInstall::kType4G, 4, 564, 236},
    {CDlgInstall::kTypeCustom, 100, 565, 296},
    {CDlgInstall::kTypeCamera, 200, 566, 380},
}};
constexpr int kTypeY = 40;

constexpr std::string_view kFormatCaption = "포맷(권장사항)";
constexpr std::string_view kBackupCaption = "현데이터유지";
constexpr std::string_view kColourCaption = "진한색상";

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CDlgInstall::CDlgInstall(controller::CMainFrame& frame, QWidget* parent)
    : CDialogRsz(parent, kBackground), frame_(frame) {
    setObjectName(QStringLiteral("321"));
    setWindowFlags(Qt::Widget);
    resize(kWidth, kHeight);

    device_box_ = new CImageCombo(kDeviceBox, this);
    device_box_->setGeometry(10, 8, 280, 22);
    connect(device_box_, &QComboBox::activated, this, &CDlgInstall::OnDeviceChosen);
    drive_box_ = new CImageCombo(kDriveBox, this);
    drive_box_->setGeometry(300, 8, 280, 22);
    connect(drive_box_, &QComboBox::activated, this, &CDlgInstall::OnDriveChosen);
    CImageButton* refresh = AddButton(kRefresh, kRefreshImage, 4, 7, 592);
    CImageButton* site = AddButton(kProductSite, kProductSiteImage, 4, 7, 678);

    picture_ = new CProductImage(kPicture, this);
    picture_->setGeometry(10, 40, 96, 102);
    for (const TypeButton& button : kTypeButtons) {
        types_.Add(AddButton(button.id, button.image, 4, kTypeY, button.x, ButtonMode::kRadio));
    }
    format_ = AddCheck(kFormat, 466, 44, kFormatCaption, 96);
    backup_ = AddCheck(kBackup, 584, 44, kBackupCaption, 84);
    colour_ = AddCheck(kDeepColour, 690, 44, kColourCaption, 64);

    option_page_ = new CWeb(this);
    option_page_->setObjectName(QString::number(kOptionPage));
    option_page_->setGeometry(116, 72, 420, 70);
    banner_ = new CWeb(this);
    banner_->setObjectName(QString::number(kBanner));
    banner_->setGeometry(546, 72, 229, 70);

    list_ = new CListClass(this);
    list_->setGeometry(10, 152, 765, 258);
    list_->SetChartFolder(ProgramFolder());
    connect(list_, &CListClass::CheckClicked, this,
            [this](int index) { frame_.ClickCheckMark(static_cast<std::size_t>(index)); });

    CImageButton* list_button = AddButton(kListButton, kListButtonImage, 4, 420, 10);
    auto* spare = new QLabel(this);
    spare->setObjectName(QString::number(kStatic));
    spare->setTextFormat(Qt::PlainText);
    spare->setGeometry(84, 422, 480, 20);
    start_ = AddButton(kStart, kStartImage, 4, 418, 675);
    start_bitmap_ = kStartImage;

    FixInitialSize();
    EnableMinimumSize(false, false);
    AddAnchor(refresh, kMoveX);
    AddAnchor(site, kMoveX);
    AddAnchor(option_page_, kStretchX);
    AddAnchor(banner_, kMoveX);
    AddAnchor(list_, kStretchX | kStretchY);
    AddAnchor(list_button, kMoveY);
    AddAnchor(spare, kMoveY | kStretchX);
    AddAnchor(start_, kMoveX | kMoveY);
    RefreshLists();
}

void CDlgInstall::paintEvent(QPaintEvent*) {
    // Drawn for the page's first size; a larger page (a maximised screen) stretches it.
    QPainter painter(this);
    const QPixmap skin = SkinImage(kBackground);
    if (!skin.isNull()) {
        painter.drawPixmap(rect(), skin);
    }
}

CImageButton* CDlgInstall::AddCheck(int id, int x, int y, std::string_view caption,
                                    int caption_width) {
    CImageButton* box = AddButton(id, kCheckImage, 5, y, x, ButtonMode::kCheck);
    auto* words = new QLabel(this);
    words->setObjectName(QString::number(id) + QStringLiteral("-caption"));
    words->setTextFormat(Qt::PlainText);
    words->setFont(SkinFont(12));
    words->setText(Text(caption));
    words->setGeometry(x + 20, y - 3, caption_width, 22);
    return box;
}

QString CDlgInstall::ProgramFolder() const {
    QString folder = Text(frame_.state().settings.program_folder);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

void CDlgInstall::RefreshLists() {
    controller::ControllerState& state = frame_.state();
    const bool idle = state.job_running == 0;

    device_box_->clear();
    device_rows_.clear();
    for (const std::string& row :
         controller::DeviceListTexts(state.devices, state.settings.company)) {
        device_box_->addItem(Text(row));
    }
    int current_device = -1;
    for (DeviceEntry& device : state.devices) {
        if (&device == state.selected_device) {
            current_device = static_cast<int>(device_rows_.size());
        }
        device_rows_.push_back(&device);
    }
    device_box_->setCurrentIndex(state.devices.empty() ? 0 : current_device);
    device_box_->setEnabled(idle);

    drive_box_->clear();
    drive_rows_.clear();
    for (const std::string& row : card::DriveListTexts(state.drives)) {
        drive_box_->addItem(Text(row));
    }
    for (const auto& [letter, card] : state.drives) {
        drive_rows_.push_back(letter);
    }
    drive_rows_.push_back(0);
    const auto selected = std::find(drive_rows_.begin(), drive_rows_.end(), state.selected_drive);
    drive_box_->setCurrentIndex(state.drives.empty() || selected == drive_rows_.end()
                                    ? drive_box_->count() - 1
                                    : static_cast<int>(selected - drive_rows_.begin()));
    drive_box_->setEnabled(idle);
    if (state.drives.empty() && idle) {
        start_->setEnabled(true);
    }

    RefreshOptions();
    RefreshContent();
    ShowOptionPage();
    ShowPicture();
}

void CDlgInstall::RefreshOptions() {
    const controller::ControllerState& state = frame_.state();
    const DeviceEntry* device = state.selected_device;
    const bool usable = device != nullptr && state.job_running == 0;
    int checked = -1;
    for (std::size_t i = 0; i < kTypeButtons.size(); ++i) {
        if (device != nullptr && device->install_type == kTypeButtons[i].type) {
            checked = static_cast<int>(i);
        }
        types_.At(static_cast<int>(i))->setEnabled(usable);
    }
    types_.Check(checked);
    const bool format = device != nullptr && device->format_option == 1;
    format_->SetCheck(format);
    backup_->SetCheck(format && device->backup_option == 1);
    colour_->SetCheck(device != nullptr && device->colour == 2);
    format_->setEnabled(usable);
    backup_->setEnabled(usable && format);
    colour_->setEnabled(usable);
}

void CDlgInstall::RefreshContent() {
    const controller::ControllerState& state = frame_.state();
    list_->Refresh(state.selected_device, state.SelectedCard());
}

void CDlgInstall::EnableStartButton() {
    start_->setEnabled(true);
}

void CDlgInstall::SetStartButtonBitmap(int resource) {
    start_bitmap_ = resource;
    start_->SetImage(4, resource);
    // The stop picture is shown while a job runs, and the job must stay stoppable.
    start_->setEnabled(true);
}

void CDlgInstall::NavigateBanner(const std::string& url) {
    banner_->Navigate(QString::fromStdString(url));
}

void CDlgInstall::ShowOptionPage() {
    const controller::ControllerState& state = frame_.state();
    const std::string host = state.servers.HostText(ServerConfig::kContent);
    const QString address =
        host.empty() ? QString()
                     : QString::fromStdString("http://" + host +
                                              controller::OptionPagePath(state.selected_device));
    if (address == option_address_) {
        return;  // a page the user scrolled stays as it is
    }
    option_address_ = address;
    option_page_->Navigate(address);
}

void CDlgInstall::ShowPicture() {
    const DeviceEntry* device = frame_.state().selected_device;
    const QString folder = ProgramFolder();
    QString file = folder + Text(device == nullptr ? controller::kNoSelectionPicture
                                                   : controller::kDefaultProductPicture);
    if (device != nullptr && !device->picture_path.empty()) {
        file = Text(device->picture_path);
    }
    if (file == picture_file_) {
        return;
    }
    if (!picture_->SetPicture(file)) {
        file = folder + Text(controller::kDefaultProductPicture);
        picture_->SetPicture(file);
    }
    picture_file_ = file;
}

void CDlgInstall::OnCommand(int id) {
    for (const TypeButton& button : kTypeButtons) {
        if (button.id == id) {
            OnTypeChosen(button.type);
            return;
        }
    }
    switch (id) {
        case kFormat:
            if (frame_.SetFormatOption(format_->GetCheck()) == 0) {
                RefreshOptions();
            }
            break;
        case kBackup:
            if (frame_.SetBackupOption(backup_->GetCheck()) == 0) {
                RefreshOptions();
            }
            break;
        case kDeepColour:
            if (frame_.SetColour(colour_->GetCheck() ? 2 : 1) == 0) {
                RefreshOptions();
            }
            break;
        case kStart:
            OnStart();
            break;
        case kProductSite:
            OpenProductSite();
            break;
        case kRefresh:
            frame_.SignInAgain();
            RefreshLists();
            break;
        default:
            break;
    }
}

void CDlgInstall::OnDeviceChosen(int row) {
    controller::ControllerState& state = frame_.state();
    if (state.job_running != 0) {
        RefreshLists();
        return;
    }
    DeviceEntry* device =
        row >= 0 && row < static_cast<int>(device_rows_.size()) ? device_rows_[row] : nullptr;
    frame_.SelectDevice(device);
    if (state.selected_device != nullptr) {
        frame_.SelectDevicePackages(*state.selected_device);
        // The card is read again as a unit of the new device's kind, and its files compared.
        frame_.ChooseCard(state.selected_drive);
    }
    RefreshLists();
}

void CDlgInstall::OnDriveChosen(int row) {
    const char letter =
        row >= 0 && row < static_cast<int>(drive_rows_.size()) ? drive_rows_[row] : 0;
    frame_.ChooseCard(letter);
    RefreshLists();
}

void CDlgInstall::OnTypeChosen(int type) {
    if (frame_.SetInstallType(type) == 0) {
        RefreshOptions();  // nothing chosen without a unit, or while a job runs
        return;
    }
    RefreshLists();
}

void CDlgInstall::OnStart() {
    const bool running = frame_.state().job_running != 0;
    if (!running) {
        start_->setEnabled(false);
    }
    frame_.PressStart();
    if (frame_.state().job_running == 0) {
        start_->setEnabled(true);
    }
}

void CDlgInstall::OpenProductSite() {
    const std::string address = frame_.state().pages.Find(PageAddresses::kProductSite);
    if (!address.empty()) {
        frame_.ui().OpenWithDesktop(address);
    }
}

}  // namespace mapvale::ui
