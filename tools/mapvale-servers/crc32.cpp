#include "mapvale-servers/crc32.h"

#include <array>

namespace mapvale::servers {
namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

void Crc32::Update(std::string_view bytes) {
    std::uint32_t c = state_;
    for (const char byte : bytes) {
        c = kTable[(c ^ static_cast<unsigned char>(byte)) & 0xFFu] ^ (c >> 8);
    }
    state_ = c;
}

std::uint32_t ComputeCrc32(std::string_view bytes) {
    Crc32 crc;
    crc.Update(bytes);
    return crc.value();
}

}  // namespace mapvale::servers
