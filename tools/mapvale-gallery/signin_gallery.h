#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the sign-in screen (idle, filled, waiting, find panel), its boxes, the self-update
// dialog with its bar half-way and the traffic agreement before and after a choice into
// `folder`. Returns the files written.
QStringList WriteSignInGallery(const QString& folder);
int SignInGalleryPictureCount();

}  // namespace mapvale::gallery
