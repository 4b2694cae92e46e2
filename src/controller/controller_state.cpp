#include "controller/controller_state.h"

namespace mapvale::controller {

const CardInfo* ControllerState::SelectedCard() const {
    if (selected_drive == 0) {
        return nullptr;
    }
    const auto found = drives.find(selected_drive);
    return found != drives.end() ? &found->second : nullptr;
}

CardInfo* ControllerState::SelectedCard() {
    return const_cast<CardInfo*>(static_cast<const ControllerState&>(*this).SelectedCard());
}

}  // namespace mapvale::controller
