#pragma once

#include <QList>
#include <QPointer>

namespace mapvale::ui {

class CImageButton;

// An ordered radio group. Qt reorders sibling widgets whenever one is raised, so the order in
// which buttons were added, not the sibling order, is the group's order.
class CButtonGroup {
public:
    CButtonGroup() = default;
    CButtonGroup(const CButtonGroup&) = delete;
    CButtonGroup& operator=(const CButtonGroup&) = delete;
    ~CButtonGroup();

    // Appends `button` (and tells it which group it is in); a button is in at most one group.
    void Add(CImageButton* button);
    void Remove(CImageButton* button);

    int Count() const { return static_cast<int>(buttons_.size()); }
    int IndexOf(const CImageButton* button) const;
    CImageButton* At(int index) const;

    // Switches the button at `index` on and every other one off; an index outside the group
    // switches all of them off.
    void Check(int index);
    // The position of the button that is on, or -1.
    int Checked() const;

private:
    QList<QPointer<CImageButton>> buttons_;
};

}  // namespace mapvale::ui
