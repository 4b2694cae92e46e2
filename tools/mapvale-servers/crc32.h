#pragma once

#include <cstdint>
#include <string_view>

namespace mapvale::servers {

// CRC-32 as zip archives and PNG files use it (polynomial 0xEDB88320, reflected, starting and
// ending with all bits inverted), computed piece by piece:
//
//   Crc32 crc;
//   crc.Update(first_piece);
//   crc.Update(second_piece);
//   std::uint32_t value = crc.value();
class Crc32 {
public:
    void Update(std::string_view bytes);
    std::uint32_t value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

// The CRC-32 of `bytes` in one piece.
std::uint32_t ComputeCrc32(std::string_view bytes);

}  // namespace mapvale::servers
