#include "ui/skin/button_group.h"

#include "ui/skin/image_button.h"

namespace mapvale::ui {

CButtonGroup::~CButtonGroup() {
    for (const auto& button : buttons_) {
        if (button) {
            button->group_ = nullptr;
        }
    }
}

void CButtonGroup::Add(CImageButton* button) {
    if (button->group_ != nullptr) {
        button->group_->Remove(button);
    }
    buttons_.append(button);
    button->group_ = this;
}

void CButtonGroup::Remove(CImageButton* button) {
    buttons_.removeAll(button);
    if (button->group_ == this) {
        button->group_ = nullptr;
    }
}

int CButtonGroup::IndexOf(const CImageButton* button) const {
    for (int i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i] == button) {
            return i;
        }
    }
    return -1;
}

CImageButton* CButtonGroup::At(int index) const {
    return index >= 0 && index < buttons_.size() ? buttons_[index].data() : nullptr;
}

void CButtonGroup::Check(int index) {
    for (int i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i]) {
            buttons_[i]->SetCheck(i == index);
        }
    }
}

int CButtonGroup::Checked() const {
    for (int i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i] && buttons_[i]->GetCheck()) {
            return i;
        }
    }
    return -1;
}

}  // namespace mapvale::ui
