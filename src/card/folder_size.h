#pragma once

#include <cstdint>
#include <string_view>

namespace mapvale::card {

// Bytes of every regular file under `folder`, at any depth. Links are not followed (a card's
// link cannot make it count a folder twice or something outside it), unreadable folders count
// as empty, and a missing folder gives 0.
std::uint64_t FolderSize(std::string_view folder);

// Bytes as whole KB for a CardInfo field: bytes / 1024, saturating at the largest 32-bit value
// rather than wrapping (a drive over 4 TB must not look small).
std::uint32_t KbFromBytes(std::uint64_t bytes);

}  // namespace mapvale::card
