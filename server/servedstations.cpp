#include "server/servedstations.h"

#include "config/stationfile.h"
#include "platform/text.h"
#include "server/trash.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

QString shortHash(const QByteArray& kind, const QString& text)
{
    const QByteArray hash = QCryptographicHash::hash(kind + '\n' + text.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(kind + '-' + hash.toHex().left(12));
}

// A preset's first two lines: its title and its playlist address.
bool readPreset(const QString& path, ServedStation& station)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = DecodeLines(file.read(16 * 1024), 8192);
    if (lines.size() < 2)
        return false;
    station.title = lines[0].trimmed();
    station.address = lines[1].trimmed();
    return true;
}

} // namespace

ServedStations::ServedStations(QString stationFile, QString presetsFolder)
    : m_stationFile(std::move(stationFile)), m_presetsFolder(std::move(presetsFolder))
{
}

QString ServedStations::ListId(const QString& title, const QString& address)
{
    return shortHash("list", title + QLatin1Char('\n') + address);
}

QString ServedStations::PresetId(const QString& fileName)
{
    return shortHash("preset", fileName);
}

QList<ServedStation> ServedStations::All(QString* problem) const
{
    QList<ServedStation> all;
    QList<StationEntry> entries;
    if (QFile::exists(m_stationFile) && !ReadStationFile(m_stationFile, entries, problem))
        entries.clear();
    for (const StationEntry& e : entries) {
        const QString id = ListId(e.name, e.url);
        // The same entry twice is offered once.
        if (std::none_of(all.cbegin(), all.cend(), [&](const ServedStation& s) { return s.id == id; }))
            all.append({id, e.name, e.url, QString()});
    }
    if (m_presetsFolder.isEmpty())
        return all;
    const QDir presets(m_presetsFolder);
    for (const QString& name : presets.entryList({QStringLiteral("*.tvp")}, QDir::Files, QDir::Name)) {
        ServedStation station{PresetId(name), QString(), QString(), presets.filePath(name)};
        if (readPreset(station.preset, station)) {
            if (station.title.isEmpty())
                station.title = QFileInfo(name).completeBaseName();
            all.append(station);
        }
    }
    return all;
}

ServedStation ServedStations::Find(const QString& id) const
{
    for (const ServedStation& s : All())
        if (s.id == id)
            return s;
    return {};
}

ServedStation ServedStations::Add(const QString& title, const QString& address, QString* problem)
{
    QList<StationEntry> entries;
    if (QFile::exists(m_stationFile) && !ReadStationFile(m_stationFile, entries, problem))
        return {};
    const StationEntry entry{title, address};
    if (!entries.contains(entry)) {
        entries.append(entry);
        if (!WriteStationFile(m_stationFile, entries)) {
            *problem = QStringLiteral("%1 cannot be written.").arg(m_stationFile);
            return {};
        }
    }
    return {ListId(title, address), title, address, QString()};
}

bool ServedStations::Remove(const QString& id, QString* problem)
{
    const ServedStation station = Find(id);
    if (station.id.isEmpty()) {
        *problem = QStringLiteral("There is no station %1.").arg(id);
        return false;
    }
    if (!station.preset.isEmpty()) {
        return MoveToTrash(station.preset, problem);
    }
    QList<StationEntry> entries;
    if (!ReadStationFile(m_stationFile, entries, problem))
        return false;
    entries.removeAll(StationEntry{station.title, station.address});
    if (!WriteStationFile(m_stationFile, entries)) {
        *problem = QStringLiteral("%1 cannot be written.").arg(m_stationFile);
        return false;
    }
    return true;
}
