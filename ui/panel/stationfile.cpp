#include "ui/panel/stationfile.h"

#include "config/safewrite.h"
#include "platform/text.h"

bool ReadStationFile(const QString& path, QList<StationEntry>& stations)
{
    stations.clear();
    QString text;
    if (!ReadTextFile(path, text))
        return false;
    const QStringList lines = SplitLines(text);
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
    return WriteTextLinesSafely(path, lines);
}
