#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the pictures of the tray agent into `folder`, creating it: its icon in a tray host's
// panel (the host, `trayer`, is started for it; this needs an X display), its menu, the version
// popup of each type the agent shows, and the notice window with the demo world's notice page.
// Returns the files written.
QStringList WriteTrayGallery(const QString& folder);
// How many pictures WriteTrayGallery writes when every one of them shows something.
int TrayGalleryPictureCount();

}  // namespace mapvale::gallery
