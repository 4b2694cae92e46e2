#pragma once

#include <QEventLoop>
#include <cstdint>

#include "controller/frame_ui.h"
#include "platform/message_target.h"
#include "ui/skin/skin_dialog.h"
#include "update/update_job.h"

class QProgressBar;

namespace mapvale::update {
class ElevationService;
}

namespace mapvale::ui {

// The updater's own update: the check, then the worker with its bar, or with nothing visible
// when the server's list does not ask for the dialog (the same object, never shown). The
// dialog is the job's window: the worker's messages arrive through Post from its thread and are
// handled on the user-interface thread.
class CDlgUpgrade final : public CSkinDialog, public platform::MessageTarget {
    Q_OBJECT

public:
    using Outcome = controller::FrameUi::UpdateOutcome;
    static constexpr int kBackground = 450;

    // `elevation` must outlive the dialog.
    CDlgUpgrade(const update::UpdateSetup& setup, update::ElevationService& elevation,
                QWidget* parent = nullptr);
    ~CDlgUpgrade() override;

    // The check and, when something changed, the update: restart after installed files,
    // continue when there was nothing (or nothing worth a restart), cancel when it failed, was
    // stopped or the program starts again with more rights.
    Outcome Run();

    // Any thread.
    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) override;

    int Percent() const;
    bool Finished() const { return finished_; }

protected:
    void OnCommand(int id) override;

private:
    void Handle(std::uint32_t message, platform::WParam w_param, platform::LParam l_param);
    void Finish();
    int Box(std::string_view text, std::string_view caption, bool yes_no);

    update::UpdateSetup setup_;
    update::ElevationService& elevation_;
    update::UpdateJob job_;
    QProgressBar* bar_ = nullptr;
    QEventLoop hidden_loop_;
    bool shown_ = false;
    bool running_ = false;
    bool asking_ = false;
    bool finished_ = false;
    int run_result_ = update::UpdateJob::kRunCancelled;
};

}  // namespace mapvale::ui
