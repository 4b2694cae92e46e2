// Feeds the photo board's answers through the answer reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "extras/upload_answer.h"
#include "platform/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const mapvale::extras::UploadVerdict verdict = mapvale::extras::ReadUploadVerdict(bytes);
    // A reason is always shown as text: it must be valid UTF-8.
    if (!mapvale::platform::IsValidUtf8(verdict.reason)) {
        __builtin_trap();
    }
    return 0;
}
