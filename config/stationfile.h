#pragma once

#include <QList>
#include <QString>

// One entry of the station list: the name shown and its playlist address.
struct StationEntry {
    QString name;
    QString url;
    bool operator==(const StationEntry&) const = default;
};

// "Playlist.txt": pairs of lines, the name then the address, one pair per
// station, in list order. A last name without an address line is kept with
// an empty address. Reading accepts any line ends and decodes each line on
// its own (UTF-8, else Windows-1252). Only a regular file of at most
// kStationFileMaxBytes is read; a line longer than kStationLineMaxBytes is
// cut to that length. False when the file cannot be read (the list is then
// empty and `problem` says why, after the file's name: "is not a regular
// file"); `shortened` counts the lines cut.
constexpr qint64 kStationFileMaxBytes = 64 * 1024 * 1024;
constexpr qsizetype kStationLineMaxBytes = 8192;
bool ReadStationFile(const QString& path, QList<StationEntry>& stations, QString* problem = nullptr,
                     qsizetype* shortened = nullptr);
// Written from scratch in UTF-8 with CR LF, through a temporary file, so a
// failed write leaves the old file as it was. False when it could not be
// written.
bool WriteStationFile(const QString& path, const QList<StationEntry>& stations);
