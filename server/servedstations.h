#pragma once

// The stations the server offers: the entries of the station list file and
// the presets of the presets folder, each with an id that stays the same as
// long as the entry or the file does.

#include <QList>
#include <QString>

struct ServedStation {
    QString id;
    QString title;
    QString address; // the playlist address
    QString preset;  // the preset file's path; empty for a station list entry
    bool operator==(const ServedStation&) const = default;
};

class ServedStations {
public:
    ServedStations(QString stationFile, QString presetsFolder);

    // The station list's entries in list order, then the presets by name.
    // `problem` says why the station list could not be read.
    QList<ServedStation> All(QString* problem = nullptr) const;
    // The station `id`; an empty id when there is none.
    ServedStation Find(const QString& id) const;
    // Adds `title` with its playlist `address` to the station list; the new
    // entry, or one with an empty id (and `problem` said) when it cannot be
    // written.
    ServedStation Add(const QString& title, const QString& address, QString* problem);
    // Removes a station list entry from the list, or moves a preset to the
    // trash; false with `problem` when it cannot.
    bool Remove(const QString& id, QString* problem);

    static QString ListId(const QString& title, const QString& address);
    static QString PresetId(const QString& fileName);

private:
    QString m_stationFile;
    QString m_presetsFolder;
};
