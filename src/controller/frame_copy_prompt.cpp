#include "controller/frame_copy_prompt.h"

#include "controller/frame_ui.h"
#include "controller/picroute_texts.h"

namespace mapvale::controller {

extras::CopyPrompt::SameName FrameCopyPrompt::AskAboutSameName() {
    const Answer answer =
        ui_.MessageBox(picroute_texts::kSameName, picroute_texts::kCaptionSameName,
                       Buttons::kYesNoCancel, Icon::kInformation, Owner::kMainScreen);
    switch (answer) {
        case Answer::kYes:
            return SameName::kOverwrite;
        case Answer::kNo:
            return SameName::kOtherName;
        default:
            return SameName::kSkip;
    }
}

}  // namespace mapvale::controller
