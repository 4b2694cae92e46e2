#include "tray/qt/notice/c_ani_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include "tray/screen_placement.h"
#include "ui/web/program_functions.h"
#include "ui/web/web.h"

namespace mapvale::tray {

namespace {

// The window and its browser, in dialog units.
constexpr int kWindowWidthUnits = 162;
constexpr int kWindowHeightUnits = 108;
constexpr int kBrowserXUnits = 7;
constexpr int kBrowserYUnits = 7;
constexpr int kBrowserWidthUnits = 148;
constexpr int kBrowserHeightUnits = 93;
constexpr int kBrowserId = 1002;

int Argument(const std::vector<int>& arguments, std::size_t index) {
    return index < arguments.size() ? arguments[index] : 0;
}

ScreenRect ScreenOf(const QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {0, 0, window.width(), window.height()};
    }
    const QRect geometry = screen->geometry();
    return {geometry.x(), geometry.y(), geometry.width(), geometry.height()};
}

}  // namespace

CAniWindow::CAniWindow(NoticeRequest request, QWidget* parent)
    : ui::CSkinDialog(parent), request_(std::move(request)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(request_.title);
    SetDragArea(kDragBody);

    ui::TrayScriptHandlers handlers;
    handlers.window_size = [this](const std::vector<int>& arguments) {
        OnWindowSize(Argument(arguments, 0), Argument(arguments, 1));
    };
    handlers.window_close = [this](const std::vector<int>&) { OnWindowClose(); };
    handlers.window_exec = [this](const std::vector<int>&) { OnWindowExec(); };
    functions_ = ui::TrayScriptFunctions(std::move(handlers));
    environment_ = ui::CurrentWebEnvironment();
    environment_.functions = &functions_;
    // The functions answer the notice's own server only.
    const QUrl url(request_.url);
    environment_.trusted_hosts.clear();
    if (url.isValid() && !url.host().isEmpty()) {
        environment_.trusted_hosts.append(url.port() > 0 ? url.host() + QLatin1Char(':') +
                                                               QString::number(url.port())
                                                         : url.host());
    }
    environment_.program_folder.clear();

    const PixelSize window = DialogUnitsToPixels(kWindowWidthUnits, kWindowHeightUnits);
    resize(window.width, window.height);
    // Without a size from the page the window stays where a new window goes: the screen's middle.
    const ScreenRect screen = ScreenOf(*this);
    move(screen.x + (screen.width - window.width) / 2,
         screen.y + (screen.height - window.height) / 2);

    browser_ = new ui::CWeb(this, environment_);
    browser_->setObjectName(QString::number(kBrowserId));
    const PixelSize place = DialogUnitsToPixels(kBrowserXUnits, kBrowserYUnits);
    const PixelSize size = DialogUnitsToPixels(kBrowserWidthUnits, kBrowserHeightUnits);
    browser_->setGeometry(place.width, place.height, size.width, size.height);
    connect(browser_, &QWebEngineView::loadFinished, this, &CAniWindow::OnLoadFinished);
}

CAniWindow::~CAniWindow() {
    // The browser's page holds the environment and the functions, which are members: it must go
    // before they do, not with the children after them.
    delete browser_;
}

void CAniWindow::Navigate(const QString& address) {
    if (!address.isEmpty()) {
        browser_->Navigate(address);
    }
}

void CAniWindow::OnLoadFinished() {
    // Shown for whatever arrived, an error page too: the user sees that the notice failed.
    if (!closing_ && browser_->url() != QUrl(QStringLiteral("about:blank"))) {
        show();
    }
}

void CAniWindow::OnWindowSize(int width, int height) {
    const auto rect =
        NoticeWindowRect(ScreenOf(*this), {this->width(), this->height()}, width, height);
    if (!rect) {
        return;
    }
    browser_->setGeometry(0, 0, rect->width, rect->height);
    setGeometry(rect->x, rect->y, rect->width, rect->height);
}

void CAniWindow::OnWindowClose() {
    // The page is still inside its call: the window goes once the call has returned.
    closing_ = true;
    hide();
    deleteLater();
}

void CAniWindow::OnWindowExec() {
    if (!closing_ && request_.exec) {
        request_.exec();
    }
}

CAniWindow* MakeNoticeWindow(const NoticeRequest& request) {
    auto* window = new CAniWindow(request);
    window->Navigate(request.url);
    return window;
}

}  // namespace mapvale::tray
