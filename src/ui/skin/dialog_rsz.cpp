#include "ui/skin/dialog_rsz.h"

#include <QResizeEvent>
#include <algorithm>

namespace mapvale::ui {

CDialogRsz::CDialogRsz(QWidget* parent, int background_image)
    : CSkinDialog(parent, background_image) {}

void CDialogRsz::FixInitialSize() {
    initial_size_ = size();
    ApplyMinimum();
}

void CDialogRsz::AddAnchor(QWidget* control, Anchors anchors) {
    if (!initial_size_.isValid()) {
        FixInitialSize();
    }
    // Measured against the initial size, so a control added while the window is larger still
    // lands where it belongs.
    QRect initial = control->geometry();
    const QSize grown = size() - initial_size_;
    if (anchors & kMoveX) {
        initial.translate(-grown.width(), 0);
    }
    if (anchors & kMoveY) {
        initial.translate(0, -grown.height());
    }
    if (anchors & kStretchX) {
        initial.setWidth(initial.width() - grown.width());
    }
    if (anchors & kStretchY) {
        initial.setHeight(initial.height() - grown.height());
    }
    anchored_.append({control, initial, anchors});
}

void CDialogRsz::EnableMinimumSize(bool horizontal, bool vertical) {
    minimum_x_ = horizontal;
    minimum_y_ = vertical;
    ApplyMinimum();
}

void CDialogRsz::ApplyMinimum() {
    if (!initial_size_.isValid()) {
        return;
    }
    setMinimumSize(minimum_x_ ? initial_size_.width() : 0, minimum_y_ ? initial_size_.height() : 0);
}

void CDialogRsz::resizeEvent(QResizeEvent* event) {
    CSkinDialog::resizeEvent(event);
    if (!initial_size_.isValid()) {
        return;
    }
    const QSize grown = event->size() - initial_size_;
    for (const Anchored& item : anchored_) {
        if (!item.control) {
            continue;
        }
        QRect place = item.initial;
        if (item.anchors & kMoveX) {
            place.translate(grown.width(), 0);
        }
        if (item.anchors & kMoveY) {
            place.translate(0, grown.height());
        }
        if (item.anchors & kStretchX) {
            place.setWidth(std::max(0, place.width() + grown.width()));
        }
        if (item.anchors & kStretchY) {
            place.setHeight(std::max(0, place.height() + grown.height()));
        }
        item.control->setGeometry(place);
    }
}

}  // namespace mapvale::ui
