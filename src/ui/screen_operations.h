#pragma once

#include <optional>
#include <string>
#include <utility>

namespace mapvale::ui {

// What the controller asks of the screen that is shown: every screen answers what concerns it
// and ignores the rest.
class ScreenOperations {
public:
    virtual ~ScreenOperations() = default;

    virtual void EnableStartButton() {}
    virtual void RefreshLists() {}
    virtual void RefreshOptions() {}
    virtual void ShowInstallPage() {}
    virtual void RepaintProgress() {}
    virtual void SetStartButtonBitmap(int /*resource*/) {}
    virtual void NavigateBanner(const std::string& /*url*/) {}
    virtual bool TakeSkipQuestionFlag() { return false; }
    virtual void DisableWizardOptions() {}
    virtual std::optional<std::pair<bool, bool>> WizardFormatAndBackupChoice() {
        return std::nullopt;
    }
};

}  // namespace mapvale::ui
