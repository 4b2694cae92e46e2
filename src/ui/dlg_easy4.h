#pragma once

#include <QString>

#include "ui/wizard_page.h"

namespace mapvale::ui {

// The wizard's completion page: the finished movie for a card, or the one for a package that
// went to the hard disk only. Closing it ends the program without a question (the controller
// asks nothing while this page is shown).
class CDlgEasy4 : public WizardPage {
    Q_OBJECT

public:
    static constexpr const char* kCardMovie = "Info/Process04_01.html";
    static constexpr const char* kHardDiskMovie = "Info/process04_02.html";

    explicit CDlgEasy4(controller::CMainFrame& frame);

    // The movie for what the finished job wrote to: a card (`card`) or the hard disk only.
    static QString MovieFor(bool card);
    const QString& Movie() const { return movie_; }

private:
    QString movie_;
};

}  // namespace mapvale::ui
