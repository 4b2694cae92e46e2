#pragma once

#include <QFlags>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>

#include "ui/skin/skin_dialog.h"

namespace mapvale::ui {

// A skinned window whose controls follow its size: each registered control moves and/or
// stretches by the change of the window's size since the anchors were set, per axis. The window
// cannot become smaller than that size (per axis, when enabled).
class CDialogRsz : public CSkinDialog {
    Q_OBJECT

public:
    enum Anchor {
        kMoveX = 0x1,     // keeps its distance to the right edge
        kMoveY = 0x2,     // keeps its distance to the bottom edge
        kStretchX = 0x4,  // keeps both horizontal distances
        kStretchY = 0x8,  // keeps both vertical distances
    };
    Q_DECLARE_FLAGS(Anchors, Anchor)

    explicit CDialogRsz(QWidget* parent, int background_image = 0);

    // Takes the window's present size as the one the anchors are measured from (and the
    // minimum). Called once the controls are in place; AddAnchor calls it the first time.
    void FixInitialSize();
    QSize InitialSize() const { return initial_size_; }
    void AddAnchor(QWidget* control, Anchors anchors);
    void EnableMinimumSize(bool horizontal, bool vertical);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Anchored {
        QPointer<QWidget> control;
        QRect initial;
        Anchors anchors;
    };

    void ApplyMinimum();

    QSize initial_size_;
    QList<Anchored> anchored_;
    bool minimum_x_ = true;
    bool minimum_y_ = true;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CDialogRsz::Anchors)

}  // namespace mapvale::ui
