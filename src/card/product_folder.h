#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mapvale::card {

// Where a unit of `kind` keeps its product folder on a card that carries none of the listed
// marker folders: "Swiftpath_OrLa" for ORLA units (1), the card root for vehicle units (8) and
// "Tarno" for TARNO units (2) and any other kind. The card analysis reads the version file
// there and the install job writes it there, so both must take it from here. `card_root` ends
// in '/'; the result has no trailing '/' unless it is the root.
std::string DefaultProductFolder(std::string_view card_root, std::int32_t kind);

}  // namespace mapvale::card
