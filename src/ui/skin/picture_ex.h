#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace mapvale::ui {

// An animated picture (a GIF, or any image Qt reads) played by a worker thread: the worker
// decodes the file, waits out each frame's delay and hands the frame to the widget with a queued
// call; the widget paints the frame at its origin and is as big as the picture. The animation
// loops until Stop() or the widget's destruction, which wake the worker at once and join it. A
// frame delay of 0 counts as 100 ms. All members are called on the GUI thread.
class CPictureEx : public QWidget {
    Q_OBJECT

public:
    explicit CPictureEx(QWidget* parent = nullptr);
    ~CPictureEx() override;

    // A file or a resource (":/skin/490.gif"). Stops a running animation and shows the first
    // frame; false, and nothing painted, when no frame can be read.
    bool Load(const QString& path);

    // Starts playing the loaded picture; nothing when nothing is loaded or it already plays.
    void Draw();

    // Stops playing; the frame on show stays. Returns once the worker has ended.
    void Stop();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Play(const QString& path);
    // Waits up to `ms` or until stopped; true when stopped.
    bool WaitStopped(int ms);
    void ShowFrame(const QImage& frame);

    QString path_;
    QImage frame_;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;  // guarded by mutex_
};

}  // namespace mapvale::ui
