#include "card/card_format.h"

#include "model/messages.h"
#include "platform/files.h"

namespace mapvale::card {

namespace {
constexpr std::uint64_t kKbPerGb = 1048576;
}  // namespace

std::string_view FileSystemForCapacity(std::uint32_t capacity_kb) {
    const std::uint64_t gb = (std::uint64_t{capacity_kb} + kKbPerGb / 2) / kKbPerGb;
    return gb <= 1 ? "FAT" : "FAT32";
}

int FormatCard(platform::Volumes& volumes, platform::Formatter& formatter,
               std::string_view card_root, const FormatJob& job) {
    if (job.cancel != nullptr && job.cancel->load()) {
        return 1;
    }
    // A success left by an earlier attempt must not count for this one.
    if (job.result != nullptr) {
        *job.result = 0;
    }
    if (card_root.empty() || job.card == nullptr || job.card->root.empty()) {
        return 0;
    }
    const std::string root = platform::NormalizeFolder(card_root);
    if (root != platform::NormalizeFolder(job.card->root)) {
        return 0;
    }
    const std::optional<platform::Volume> volume = volumes.Find(job.card->letter);
    if (!volume || volume->root != root) {
        return 0;
    }
    const platform::FormatOutcome outcome = formatter.Format(
        *volume, FileSystemForCapacity(job.card->capacity_kb), job.data_folder,
        [&job](int percent) {
            if (job.owner != nullptr) {
                job.owner->Post(kMsgFormatProgress, static_cast<platform::WParam>(percent), 100);
            }
        });
    const std::uint8_t done = outcome == platform::FormatOutcome::kDone ? 1 : 0;
    if (job.result != nullptr) {
        *job.result = done;
    }
    return done;
}

}  // namespace mapvale::card
