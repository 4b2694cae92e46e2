#include "controller/photo_save.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "controller/controller_state.h"
#include "controller/frame_copy_prompt.h"
#include "controller/frame_ui.h"
#include "controller/picroute_texts.h"
#include "extras/content_copy_job.h"
#include "extras/geo_photo.h"
#include "extras/upload_answer.h"
#include "extras/upload_body.h"
#include "net/multipart_post.h"
#include "platform/file_copy.h"
#include "platform/files.h"

namespace mapvale::controller {

namespace {

using namespace picroute_texts;

constexpr std::string_view kPortalPath = "/WMKproduct/picroute/picroute_regist.mms";

}  // namespace

std::string DegreesText(std::int32_t units) {
    char text[32];
    const double degrees = static_cast<double>(units) / extras::kUnitsPerDegree;
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, degrees, std::chars_format::fixed, 6);
    return std::string(text, end.ptr);
}

std::int32_t UnitsFromText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    double degrees = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), degrees).ec != std::errc() ||
        !std::isfinite(degrees)) {
        return 0;
    }
    const double units = degrees * extras::kUnitsPerDegree;
    if (!(units > std::numeric_limits<std::int32_t>::min() &&
          units < std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    return static_cast<std::int32_t>(units);
}

int PhotoSave::Run(const PhotoForm& form, const extras::GeoPhoto& photo) {
    const auto tell = [this](std::string_view text, std::string_view caption, Icon icon) {
        ui_.MessageBox(text, caption, Buttons::kOk, icon, Owner::kCurrentScreen);
    };
    const extras::GeoPosition position{UnitsFromText(form.longitude), UnitsFromText(form.latitude)};
    if (!extras::InValidArea(position)) {
        tell(kBadPosition, kCaptionFailed, Icon::kInformation);
        return 0;
    }
    if (form.web_post) {
        const std::pair<bool, std::string_view> checks[] = {
            {form.category < 0, kNoCategory},
            {form.subject.empty(), kNoSubject},
            {form.location.empty(), kNoLocation},
            {form.contents.empty(), kNoContents},
        };
        for (const auto& [failed, text] : checks) {
            if (failed) {
                tell(text, kCaptionInput, Icon::kInformation);
                return 0;
            }
        }
    }
    const CardInfo* card = state_.SelectedCard();
    if (form.copy_to_card && card == nullptr) {
        tell(kNoCard, kCaptionInput, Icon::kInformation);
        return 0;
    }

    const std::string data_folder = platform::NormalizeFolder(state_.settings.data_folder);
    const std::string photo_path = data_folder + std::string(kUserPhotoName);
    const int written =
        platform::CreateFolderChain(data_folder) ? photo.Save(photo_path, position) : -3;
    if (written < 0) {
        char text[96];
        std::snprintf(text, sizeof text, kWriteFailedFormat, written);
        ui_.MessageBox(text, "", Buttons::kOk, Icon::kNone, Owner::kCurrentScreen);
        return 0;
    }

    if (form.web_post) {
        extras::UploadFields fields;
        fields.contents = form.contents;
        fields.kind = form.category + 1;
        fields.location = form.location;
        fields.subject = form.subject;
        fields.file_path = photo_path;
        fields.user_id = state_.settings.user_id;
        const extras::UploadBody body = extras::BuildUploadBody(fields, extras::RandomGuid());
        net::StreamedBody streamed;
        streamed.content_type = "multipart/form-data; boundary=" + body.boundary;
        streamed.head = body.head;
        streamed.file_path = body.file_path;
        streamed.file_size = body.file_size;
        streamed.tail = body.tail;
        net::PostAnswer answer;
        const std::string host = state_.servers.HostText(ServerConfig::kPortal);
        if (!host.empty() && net::SendStreamedPost(host, kPortalPath, streamed, answer) == 1) {
            const extras::UploadVerdict verdict = extras::ReadUploadVerdict(answer.body);
            if (verdict.kind == extras::UploadVerdict::Kind::kPosted) {
                ui_.CallMapPageScript("setMapMovePhotoSearch", {});
                tell(kPosted, kCaptionDone, Icon::kInformation);
            } else if (verdict.kind == extras::UploadVerdict::Kind::kRefused) {
                tell(verdict.reason, kCaptionFailed, Icon::kInformation);
            }
        }
    }

    if (form.copy_to_card) {
        const DeviceEntry* device = state_.selected_device;
        if (device == nullptr) {
            tell(kChooseDevice, kCaptionChoice, Icon::kWarning);
            return 0;
        }
        FrameCopyPrompt prompt(ui_);
        extras::ContentCopyJob copy(&prompt, data_folder,
                                    extras::CardDestinationRoot(card->root, device->kind));
        copy.Add(extras::kContentPhoto, std::string(kUserPhotoName));
        if (copy.Run(device->kind) == 0) {
            tell(kCopyFailed, kCaptionFailed, Icon::kWarning);
        } else {
            platform::FlushFileSystem(card->root);
            tell(kCopied, kCaptionDone, Icon::kInformation);
        }
    }
    return 1;
}

}  // namespace mapvale::controller
