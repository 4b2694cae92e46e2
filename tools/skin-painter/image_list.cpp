#include "image_list.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

namespace mapvale::skin_painter {

ImageList ReadImageList(const QString& path) {
    ImageList list;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        list.error = QStringLiteral("%1: cannot be read").arg(path);
        return list;
    }
    // number width height frames kind look subject...
    static const QRegularExpression line_pattern(
        QStringLiteral(R"(^(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\S+)\s+(\S+)\s+(.+?)\s*$)"));
    QTextStream in(&file);
    int line_number = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++line_number;
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QRegularExpressionMatch match = line_pattern.match(trimmed);
        if (!match.hasMatch()) {
            list.error = QStringLiteral("%1:%2: expected seven columns").arg(path).arg(line_number);
            return list;
        }
        ImageEntry entry;
        entry.number = match.captured(1).toInt();
        entry.width = match.captured(2).toInt();
        entry.height = match.captured(3).toInt();
        entry.frames = match.captured(4).toInt();
        entry.kind = match.captured(5);
        entry.look = match.captured(6);
        entry.subject = match.captured(7);
        entry.line = line_number;
        if (entry.width <= 0 || entry.height <= 0 || entry.frames <= 0 ||
            entry.width % entry.frames != 0) {
            list.error =
                QStringLiteral("%1:%2: bad size or frame count").arg(path).arg(line_number);
            return list;
        }
        list.entries.append(entry);
    }
    return list;
}

QList<Area> ParseAreas(const QString& subject) {
    QList<Area> areas;
    static const QRegularExpression area_pattern(QStringLiteral(R"(^(\w+):([\d,]+)(?::(\S+))?$)"));
    for (const QString& token : subject.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = area_pattern.match(token);
        if (!match.hasMatch()) {
            continue;
        }
        const QStringList numbers = match.captured(2).split(QLatin1Char(','));
        Area area;
        area.key = match.captured(1);
        area.x = numbers.value(0).toInt();
        area.y = numbers.value(1).toInt();
        area.w = numbers.value(2).toInt();
        area.h = numbers.value(3).toInt();
        area.text = match.captured(3).replace(QLatin1Char('_'), QLatin1Char(' '));
        areas.append(area);
    }
    return areas;
}

std::optional<Area> FindArea(const QList<Area>& areas, const QString& key) {
    for (const Area& area : areas) {
        if (area.key == key) {
            return area;
        }
    }
    return std::nullopt;
}

}  // namespace mapvale::skin_painter
