#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the map page with its theme chooser, the page after the program called closeUI, and
// every message the theme download shows into `folder`. Returns the files written.
QStringList WriteThemesGallery(const QString& folder);
int ThemesGalleryPictureCount();

}  // namespace mapvale::gallery
