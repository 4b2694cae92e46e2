// Feeds server answers (bytes as they come off the wire) through the answer envelope helpers
// and the server version record parser, both on the raw bytes and on the text the client makes
// of them (CP949 read as UTF-8, bad bytes replaced). Every piece must come from inside its
// text, and the parsers must neither crash nor read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/answer_envelope.h"
#include "net/server_versions.h"
#include "platform/encoding.h"

namespace {

using namespace mapvale::net;

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void Envelope(std::string_view text) {
    const AnswerEnvelope envelope(text);
    Check(envelope.SectionCount() >= 1);
    // The sections sign-in, the device lists and the version query read, and one past them.
    for (std::size_t n = 0; n <= 10; ++n) {
        const std::string section = envelope.Section(n);
        Check(section.size() <= text.size());
        Check(section.find_first_of("\r\n") == std::string::npos);
        for (std::size_t k = 0; k < 6; ++k) {
            const std::string field = Field(section, k);
            Check(field.size() <= section.size());
            Check(HasPiece(section, k, "|") || field.empty());
            Check(SubField(field, k).size() <= field.size());
            Check(ListEntry(section, k).size() <= section.size());
            LeadingNumber(field);
        }
        std::size_t total = 0;
        for (const std::string& piece : Pieces(section, "|*|")) {
            total += piece.size();
        }
        Check(total <= section.size());
    }
}

void VersionRecord(std::string_view text) {
    std::string version;
    std::int32_t map = 0;
    std::int32_t camera = 0;
    ParseVersionRecord(text, version, map, camera);
    Check(version.size() <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Envelope(bytes);
    VersionRecord(bytes);
    const std::string text =
        mapvale::platform::Cp949ToUtf8(bytes, mapvale::platform::InvalidBytes::kReplace).text;
    Envelope(text);
    VersionRecord(text);
    return 0;
}
