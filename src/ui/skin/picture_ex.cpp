#include "ui/skin/picture_ex.h"

#include <QImageReader>
#include <QMetaObject>
#include <QPainter>
#include <chrono>

namespace mapvale::ui {

namespace {
constexpr int kDefaultDelayMs = 100;
}

CPictureEx::CPictureEx(QWidget* parent) : QWidget(parent) {}

CPictureEx::~CPictureEx() {
    // Joined before QObject's destructor runs: a frame the worker queued meanwhile is dropped with
    // the widget's pending events, and nothing is queued after the join.
    Stop();
}

bool CPictureEx::Load(const QString& path) {
    Stop();
    path_.clear();
    frame_ = QImage();
    QImageReader reader(path);
    const QImage first = reader.read();
    if (first.isNull()) {
        update();
        return false;
    }
    path_ = path;
    frame_ = first;
    resize(first.size());
    update();
    return true;
}

void CPictureEx::Draw() {
    if (path_.isEmpty() || worker_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
    }
    worker_ = std::thread([this, path = path_] { Play(path); });
}

void CPictureEx::Stop() {
    if (!worker_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

QSize CPictureEx::sizeHint() const {
    return frame_.isNull() ? QWidget::sizeHint() : frame_.size();
}

void CPictureEx::paintEvent(QPaintEvent* /*event*/) {
    if (frame_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, frame_);
}

bool CPictureEx::WaitStopped(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
}

void CPictureEx::ShowFrame(const QImage& frame) {
    frame_ = frame;
    update();
}

void CPictureEx::Play(const QString& path) {
    for (;;) {
        // One pass over the file per loop; a pass that yields no frame (the file went away or
        // broke) ends the animation rather than spinning.
        QImageReader reader(path);
        int shown = 0;
        for (;;) {
            const QImage frame = reader.read();
            if (frame.isNull()) {
                break;
            }
            ++shown;
            QMetaObject::invokeMethod(
                this, [this, frame] { ShowFrame(frame); }, Qt::QueuedConnection);
            const int delay = reader.nextImageDelay();
            if (WaitStopped(delay > 0 ? delay : kDefaultDelayMs)) {
                return;
            }
        }
        if (shown == 0) {
            return;
        }
        if (shown == 1) {
            // A still picture stays as it is until stopped.
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_; });
            return;
        }
    }
}

}  // namespace mapvale::ui
