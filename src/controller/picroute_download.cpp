#include "controller/picroute_download.h"

#include <string>

#include "controller/controller_state.h"
#include "controller/frame_copy_prompt.h"
#include "controller/frame_ui.h"
#include "controller/picroute_texts.h"
#include "extras/content_copy_job.h"
#include "extras/content_download.h"
#include "model/script_arguments.h"
#include "net/web_post.h"
#include "platform/file_copy.h"
#include "platform/files.h"

namespace mapvale::controller {

namespace {

using namespace picroute_texts;

// A plain file name: nothing that reaches into another folder.
bool IsPlainName(const std::string& name) {
    const std::optional<std::string> safe = platform::SafeRelativePath(name);
    return safe && *safe == name && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

}  // namespace

int PicrouteDownload::Run(const std::vector<ScriptValue>& last_first) {
    const auto tell = [this](std::string_view text, std::string_view caption, Icon icon) {
        ui_.MessageBox(text, caption, Buttons::kOk, icon, Owner::kCurrentScreen);
    };
    const DeviceEntry* device = state_.selected_device;
    if (device == nullptr) {
        tell(kChooseDevice, kCaptionChoice, Icon::kWarning);
        return 0;
    }
    if (device->kind != 1) {
        tell(kOrlaOnly, kCaptionNoDownload, Icon::kInformation);
        return 0;
    }
    const CardInfo* card = state_.SelectedCard();
    if (card == nullptr) {
        tell(kInsertCard, kCaptionCard, Icon::kInformation);
        return 0;
    }
    if (device->job_state >= 1 && device->job_state <= 3) {
        tell(kJobBusy, kCaptionNoDownload, Icon::kInformation);
        return 0;
    }
    const ScriptArguments arguments(last_first);
    const std::string address = ScriptText(arguments[0]);
    const std::string file_name = ScriptText(arguments[1]) + ".jpg";
    const std::string data_folder = platform::NormalizeFolder(state_.settings.data_folder);
    net::CWebPOST web;
    if (!IsPlainName(file_name) || !platform::CreateFolderChain(data_folder) ||
        extras::DownloadContent(web, address, data_folder + file_name) != 1) {
        tell(kDownloadFailed, kCaptionFailed, Icon::kWarning);
        return 0;
    }

    FrameCopyPrompt prompt(ui_);
    extras::ContentCopyJob copy(&prompt, data_folder,
                                extras::CardDestinationRoot(card->root, device->kind));
    copy.Add(extras::kContentPhoto, file_name);
    if (copy.Run(device->kind) == 0) {
        tell(kCopyFailed, kCaptionFailed, Icon::kWarning);
        return 1;
    }
    platform::FlushFileSystem(card->root);
    ui_.CallMapPageScript("closeUI", {2});
    tell(kDownloaded, kCaptionDone, Icon::kInformation);
    return 1;
}

}  // namespace mapvale::controller
