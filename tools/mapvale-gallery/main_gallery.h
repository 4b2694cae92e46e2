#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the main screen (idle, before, during and after a job, maximised, each tab), the
// install page's content list before, during and after a job (with the card chart
// where it shows), the settings dialog with its free space in GB, in TB and unknown, and the
// boxes of the install page and the settings into `folder`. Returns the files written.
QStringList WriteMainGallery(const QString& folder);
int MainGalleryPictureCount();

}  // namespace mapvale::gallery
