#include "config/stationfile.h"

#include "config/safewrite.h"
#include "platform/text.h"

bool ReadStationFile(const QString& path, QList<StationEntry>& stations, QString* problem, qsizetype* shortened)
{
    stations.clear();
    if (shortened)
        *shortened = 0;
    const FileRead file = ReadRegularFile(path, kStationFileMaxBytes);
    if (!file.ok()) {
        if (problem)
            *problem = file.problem;
        return false;
    }
    const QStringList lines = DecodeLines(file.bytes, kStationLineMaxBytes, shortened);
    stations.reserve(lines.size() / 2 + 1);
    for (qsizetype i = 0; i < lines.size(); i += 2)
        stations.append({lines.at(i), i + 1 < lines.size() ? lines.at(i + 1) : QString()});
    return true;
}

bool WriteStationFile(const QString& path, const QList<StationEntry>& stations)
{
    QStringList lines;
    lines.reserve(stations.size() * 2);
    for (const StationEntry& s : stations) {
        // A line break inside a name would shift every pair after it.
        QString name = s.name;
        QString url = s.url;
        name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        url.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        lines << name << url;
    }
    // Reading drops one byte order mark at the start: a first name that
    // begins with one keeps it behind a mark of its own.
    if (!lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF)))
        lines.first().prepend(QChar(0xFEFF));
    return WriteTextLinesSafely(path, lines);
}
