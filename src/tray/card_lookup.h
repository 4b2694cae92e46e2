#pragma once

#include "model/card_info.h"
#include "platform/volumes.h"

namespace mapvale::tray {

// What the card check needs of a drive, and nothing more: its letter and root, the product folder
// (the root + "TSKN_Ver_Info" when the card has that folder, else the root) and the model name
// (field 3 of the first "*.ver" there; empty when none). Unlike the updater's card analysis it
// never walks the card's folders for sizes: it runs on the user-interface thread at every
// arrival. False, with `card` reset, when no volume has the letter.
bool LookUpCard(platform::Volumes& volumes, char letter, CardInfo& card);

}  // namespace mapvale::tray
