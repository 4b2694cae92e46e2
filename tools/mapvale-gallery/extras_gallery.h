#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the photo dialog empty, with a photo loaded, with posting on and filled in, and every
// message of the photo service into `folder`. Returns the files written.
QStringList WriteExtrasGallery(const QString& folder);
int ExtrasGalleryPictureCount();

}  // namespace mapvale::gallery
