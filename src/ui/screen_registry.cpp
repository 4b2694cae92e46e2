#include "ui/screen_registry.h"

#include "ui/dlg_easy1.h"
#include "ui/dlg_easy2.h"
#include "ui/dlg_easy22.h"
#include "ui/dlg_easy3.h"
#include "ui/dlg_easy4.h"
#include "ui/dlg_main.h"
#include "ui/placeholder_screen.h"

namespace mapvale::ui {

ScreenWindow* ScreenRegistry::Create(int number, controller::CMainFrame& frame) const {
    const auto it = factories_.constFind(number);
    return it == factories_.constEnd() ? nullptr : (*it)(frame);
}

ScreenRegistry ScreenRegistry::WithPlaceholders() {
    ScreenRegistry registry;
    const QSize wizard(640, 480);
    const struct {
        int number;
        const char* class_name;
    } pages[] = {
        {22, "CDlgEasy22"}, {1, "CDlgEasy1"}, {2, "CDlgEasy2"}, {3, "CDlgEasy3"}, {4, "CDlgEasy4"}};
    for (const auto& page : pages) {
        const QString name = QString::fromLatin1(page.class_name);
        registry.Register(page.number, [name, wizard](controller::CMainFrame& frame) {
            return new PlaceholderScreen(frame, name, wizard);
        });
    }
    registry.Register(kMainScreen, [](controller::CMainFrame& frame) {
        return new PlaceholderScreen(frame, QStringLiteral("CDlgMain"), QSize(800, 600));
    });
    return registry;
}

ScreenRegistry ScreenRegistry::Standard() {
    ScreenRegistry registry = WithPlaceholders();
    registry.Register(22, [](controller::CMainFrame& frame) { return new CDlgEasy22(frame); });
    registry.Register(1, [](controller::CMainFrame& frame) { return new CDlgEasy1(frame); });
    registry.Register(2, [](controller::CMainFrame& frame) { return new CDlgEasy2(frame); });
    registry.Register(3, [](controller::CMainFrame& frame) { return new CDlgEasy3(frame); });
    registry.Register(4, [](controller::CMainFrame& frame) { return new CDlgEasy4(frame); });
    registry.Register(kMainScreen,
                      [](controller::CMainFrame& frame) { return new CDlgMain(frame); });
    return registry;
}

}  // namespace mapvale::ui
