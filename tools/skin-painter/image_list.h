#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace mapvale::skin_painter {

// One line of resources/skin/images.txt.
struct ImageEntry {
    int number = 0;
    int width = 0;
    int height = 0;
    int frames = 1;
    QString kind;
    QString look;
    QString subject;  // everything after the look, blanks kept (captions may hold blanks)
    int line = 0;     // for messages

    int FrameWidth() const { return width / frames; }
};

struct ImageList {
    QList<ImageEntry> entries;
    QString error;  // empty when the whole file was read
};

// Reads the list; a line that does not have the seven columns, a size that is not positive, or
// a width not divisible by the frame count makes the error say which line.
ImageList ReadImageList(const QString& path);

// The "key:x,y,w,h" areas of a background's subject with the given key; a "label" area carries
// its words after one more colon, '_' standing for a blank ("label:x,y,w,h:자동_로그인").
struct Area {
    QString key;
    int x = 0, y = 0, w = 0, h = 0;
    QString text;
};
QList<Area> ParseAreas(const QString& subject);
std::optional<Area> FindArea(const QList<Area>& areas, const QString& key);

}  // namespace mapvale::skin_painter
