#pragma once

#include "extras/content_copy_job.h"

namespace mapvale::controller {

class FrameUi;

// The photo copy's same-name question, asked in a message box over the updater's main window:
// Yes overwrites, No takes another name, Cancel leaves the photo off the card.
class FrameCopyPrompt final : public extras::CopyPrompt {
public:
    explicit FrameCopyPrompt(FrameUi& ui) : ui_(ui) {}
    SameName AskAboutSameName() override;

private:
    FrameUi& ui_;
};

}  // namespace mapvale::controller
