#include "controller/theme_download.h"

#include <string>

#include "app/text_scrambler.h"
#include "controller/controller_state.h"
#include "controller/frame_ui.h"
#include "extras/content_copy_job.h"
#include "extras/content_download.h"
#include "extras/theme_request.h"
#include "model/script_arguments.h"
#include "net/web_post.h"
#include "platform/file_copy.h"
#include "platform/files.h"

namespace mapvale::controller {

namespace {

constexpr std::string_view kTextInsertCard = "메모리카드 삽입 후 시도해 주세요.";
constexpr std::string_view kCaptionCard = "메모리카드";
constexpr std::string_view kTextJobBusy =
    "백업, 삭제, 복구중에는 컨텐츠를 다운로드 받을 수 없습니다.\n잠시후 다시 시도해 주세요.";
constexpr std::string_view kCaptionNoDownload = "다운로드 불가";
constexpr std::string_view kTextChooseDevice =
    "테마는 단말기 선택 후 다운로드 가능합니다. 지도설치에서 단말기를 선택 후 이용해주세요";
constexpr std::string_view kCaptionChoice = "선택 오류";
constexpr std::string_view kTextDownloadFailed =
    "테마컨텐츠, 다운로드에 실패하였습니다.\n잠시 후에 다시 시도해 주세요.";
constexpr std::string_view kTextCopyFailed = "테마컨텐츠, 파일 복사에 실패하였습니다.";
constexpr std::string_view kCaptionFailed = "처리 실패";
constexpr std::string_view kTextDone = "다운로드 후 메모리카드에 복사를 완료하였습니다.";
constexpr std::string_view kCaptionDone = "처리 완료";

// An IDCode the page passed as a number is written as one; anything else as text.
std::string IdCodeText(const ScriptValue& value) {
    if (std::holds_alternative<std::int64_t>(value) || std::holds_alternative<double>(value)) {
        return std::to_string(ScriptInt(value));
    }
    return ScriptText(value);
}

}  // namespace

int ThemeDownload::Run(const std::vector<ScriptValue>& last_first) {
    const auto tell = [this](std::string_view text, std::string_view caption, Icon icon) {
        ui_.MessageBox(text, caption, Buttons::kOk, icon, Owner::kCurrentScreen);
    };
    const CardInfo* card = state_.SelectedCard();
    if (card == nullptr) {
        tell(kTextInsertCard, kCaptionCard, Icon::kInformation);
        return 0;
    }
    const DeviceEntry* device = state_.selected_device;
    if (device != nullptr && device->job_state >= 1 && device->job_state <= 3) {
        tell(kTextJobBusy, kCaptionNoDownload, Icon::kInformation);
        return 0;
    }
    const ScriptArguments arguments(last_first);
    const std::string id_code = IdCodeText(arguments[0]);
    const std::string gbn = ScriptText(arguments[1]);
    const short close_flag = arguments.Short(2);
    const short close_argument = arguments.Short(3);
    const std::string user = app::ScrambleText(state_.settings.user_id);
    if (device == nullptr) {
        tell(kTextChooseDevice, kCaptionChoice, Icon::kWarning);
        return 0;
    }

    const int line = device->kind;
    const std::string file_name(extras::ThemeFileName(line));
    const std::string data_folder = platform::NormalizeFolder(state_.settings.data_folder);
    const std::string address = extras::ThemeAddress(
        state_.servers.HostText(ServerConfig::kMapContent), id_code, line, user, gbn);
    net::CWebPOST web;
    if (!platform::CreateFolderChain(data_folder) ||
        extras::DownloadContent(web, address, data_folder + file_name) != 1) {
        tell(kTextDownloadFailed, kCaptionFailed, Icon::kWarning);
        return 0;
    }

    extras::ContentCopyJob copy(nullptr, data_folder,
                                extras::CardDestinationRoot(card->root, line));
    copy.Add(extras::kContentTheme, file_name);
    if (copy.Run(line) == 0) {
        tell(kTextCopyFailed, kCaptionFailed, Icon::kWarning);
        return 1;
    }
    // On the card before anyone is told it may be pulled.
    platform::FlushFileSystem(card->root);
    if (close_flag != 0) {
        ui_.CallMapPageScript("closeUI", {close_argument});
        tell(kTextDone, kCaptionDone, Icon::kInformation);
    }
    return 1;
}

}  // namespace mapvale::controller
