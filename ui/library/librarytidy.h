#pragma once

// What the library does to a recording file: read and write its tag, rename
// it, move it to the desktop's trash, and read what a scan lists of it.
// Each says why it did nothing ("" when it did what was asked).

#include "ui/library/librarymodel.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

struct LibraryTag {
    QString artist;
    QString title;
    QString comment;
    bool operator==(const LibraryTag&) const = default;
};

// The audio files the library lists, by their ending.
bool IsLibraryAudioFile(const QString& path);
// "MP3", "OGG", ... for the file's ending.
QString LibraryFormatOf(const QString& path);

// The tag as it can be read; false when the file has none or cannot be read.
bool ReadLibraryTag(const QString& path, LibraryTag* tag, qint64* lengthMs = nullptr);
// Writes artist, title and comment: ID3v1 and ID3v2 for MP3, the Vorbis
// comment for Ogg, the file's own tag for the rest.
QString WriteLibraryTag(const QString& path, const LibraryTag& tag);

// Gives the file the name `newName` (a file name, no folder) in its folder;
// the new path in `renamed`. Refused: an empty name, one with a separator,
// one that exists, a change the file system refuses.
QString RenameRecording(const QString& path, const QString& newName, QString* renamed);
// Moves the file to the trash, never deletes it; where it went in `trashed`.
QString TrashRecording(const QString& path, QString* trashed = nullptr);
// The file lies in a trash folder of the desktop's (the home's trash or a
// drive's ".Trash-<uid>" or ".Trash/<uid>").
bool IsInTrash(const QString& path);

// The row a file found by a scan gets: its tag or else its name ("Artist -
// Title.mp3") for artist and title, its size, time and format.
LibraryEntry ScannedEntry(const QString& path);

// The rows recorded more than once: groups of rows of one song (same artist
// and title in any letter case), each of at least two, in the model's order.
std::vector<std::vector<int>> RepeatGroups(const LibraryModel& model);
// Of one group, the rows to trash to keep its longest complete recording
// (the longest of all when none is complete; by size when lengths are unknown).
std::vector<int> RowsBesideLongest(const LibraryModel& model, const std::vector<int>& group);
