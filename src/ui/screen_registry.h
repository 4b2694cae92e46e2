#pragma once

#include <QMap>
#include <functional>

namespace mapvale::controller {
class CMainFrame;
}

namespace mapvale::ui {

class ScreenWindow;

// Which window stands for which screen: the wizard's pages by number (22, 1, 2, 3, 4) and the
// main screen. The screens' own code fills it; until then placeholders stand in.
class ScreenRegistry {
public:
    using Factory = std::function<ScreenWindow*(controller::CMainFrame&)>;
    static constexpr int kMainScreen = -1;

    void Register(int number, Factory factory) { factories_[number] = std::move(factory); }
    bool Has(int number) const { return factories_.contains(number); }
    // A new window for `number`, or null when no screen has that number.
    ScreenWindow* Create(int number, controller::CMainFrame& frame) const;

    // Placeholders for every screen.
    static ScreenRegistry WithPlaceholders();
    // The program's screens: the wizard's pages and the main screen.
    static ScreenRegistry Standard();

private:
    QMap<int, Factory> factories_;
};

}  // namespace mapvale::ui
