#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the windowed updater's own pictures (its start-up boxes, the close question and the
// screens as they stand) into `folder`. Returns the files written.
QStringList WriteShellGallery(const QString& folder);
int ShellGalleryPictureCount();

}  // namespace mapvale::gallery
