#include "controller/frame_copy_prompt.h"

#include "controller/frame_ui.h"

namespace mapvale::controller {

extras::CopyPrompt::SameName FrameCopyPrompt::AskAboutSameName() {
    const Answer answer = ui_.MessageBox(
        "SD 메모리에 다운받고자 하는 파일명과 동일한 파일명이 존재합니다.\n [예]를 누르시면 "
        "덮어쓰기 되며 [아니오]를 누르시면 다른 파일명으로 저장됩니다.",
        "Waymark+ 알림", Buttons::kYesNoCancel, Icon::kInformation, Owner::kMainScreen);
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
