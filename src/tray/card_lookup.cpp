#include "tray/card_lookup.h"

#include "catalog/version_header.h"
#include "platform/files.h"
#include "tray/tray_constants.h"

namespace mapvale::tray {

bool LookUpCard(platform::Volumes& volumes, char letter, CardInfo& card) {
    card = CardInfo{};
    const auto volume = volumes.Find(letter);
    if (!volume) {
        return false;
    }
    card.letter = volume->letter;
    card.root = volume->root;
    const std::string marker = platform::JoinPath(volume->root, kWatchedFolders);
    card.product_folder = platform::FolderExists(marker) ? marker : volume->root;
    card.model_name = catalog::ReadCardModel(card.product_folder);
    return true;
}

}  // namespace mapvale::tray
