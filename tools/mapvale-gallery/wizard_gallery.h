#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the easy-install wizard's pages in their states (the option page without a unit,
// without a card, with each package code and each medium; the welcome page; the countdown half
// way; progress while downloading and while copying; both completion movies) and the wizard's
// questions into `folder`, with the movies of `program_folder`. Returns the files written.
QStringList WriteWizardGallery(const QString& folder, const QString& program_folder);
int WizardGalleryPictureCount();

}  // namespace mapvale::gallery
