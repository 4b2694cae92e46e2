#include "card/product_folder.h"

#include "catalog/entry_paths.h"
#include "platform/files.h"

namespace mapvale::card {

namespace {

constexpr std::int32_t kKindOrla = 1;
constexpr std::int32_t kKindVehicle = 8;
constexpr std::string_view kTarnoFolder = "Tarno";

}  // namespace

std::string DefaultProductFolder(std::string_view card_root, std::int32_t kind) {
    if (kind == kKindVehicle) {
        return std::string(card_root);
    }
    return platform::JoinPath(card_root,
                              kind == kKindOrla ? catalog::kOrlaDefaultFolder : kTarnoFolder);
}

}  // namespace mapvale::card
