#pragma once

#include <QString>
#include <QStringList>

namespace mapvale::gallery {

// Writes the pictures of the web library into `folder`, creating it: each movie in its states,
// each web panel on the pages of a demo world served in this process, and a page's alert.
// `program_folder` holds the movies (Info/). Returns the files written.
QStringList WriteWebGallery(const QString& folder, const QString& program_folder);
// How many pictures WriteWebGallery writes when every one of them shows something.
int WebGalleryPictureCount();

}  // namespace mapvale::gallery
