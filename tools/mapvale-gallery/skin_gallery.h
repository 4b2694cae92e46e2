#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the pictures of the skin (every control in every state, each message box, the splash)
// into `folder`, creating it. Returns the files written; empty when the folder cannot be made.
QStringList WriteSkinGallery(const QString& folder);
// How many pictures WriteSkinGallery writes when every one of them shows something.
int SkinGalleryPictureCount();

}  // namespace mapvale::gallery
