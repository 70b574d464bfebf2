#pragma once

#include "config/usersettings.h"
#include "recorder/songrules.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <memory>

// What the song rules do to a recording, song by song: titles skipped or
// wished, songs too short to keep, titles cut into parts, and songs not
// recorded whole set aside. The recorder asks it at each title and each
// closed file; it holds only the rules and which song of the recording is
// playing.
class SongKeeper {
public:
    // A recording starts with `options`; its lists follow by SetRules. Until
    // then no title is cleaned, skipped or wished.
    void Start(const RecordingOptions& options);
    // The lists' rules, compiled. Returns a status for what in the lists
    // could not be used ("" when all could).
    QString SetRules(std::shared_ptr<const SongRules> rules);

    // The stream title after the clean-up rules.
    QString CleanTitle(const QString& title) const;
    // The name a song of the stream title `title` is recorded under: the
    // title after the clean-up rules with `extension`. A title the rules
    // leave empty keeps its own name, so each such song is told from the
    // next; its file, like that of a title that leaves no file name ("/",
    // ".."), is named as a song without a title (see SetUntitledName).
    QString SongName(const QString& title, const QString& extension);
    // What names a song without a title: the station and the date.
    void SetUntitledName(const QString& name) { m_untitledName = name; }
    // The status for a title written to no file ("Skipped: <title>"); ""
    // when the title is recorded. `name` is the title with its extension. A
    // title skipped still ends the song before it: the next one is heard whole.
    QString SkipStatus(const QString& name);
    // The status that marks a wished song, "" for any other.
    QString WishStatus(const QString& name) const;

    // A file was opened for the recording; `fromTitle` when it is named
    // after a stream title, `name` as it was asked for. `path` is the file
    // opened, `replaces` the earlier file a repeat is recorded beside ("").
    void FileOpened(const QString& name, bool fromTitle, const QString& path = QString(),
                    const QString& replaces = QString());
    // The file of an earlier play of the song `name` when `path` is where
    // its name puts it: the file this recording gave that title, else `path`
    // when a file from before is there under exactly that name; "" when
    // there is none. A repeat is the same title played again: a file that
    // holds another title under the same name (a pattern of the station
    // alone, titles cleaned to one name) is none.
    QString EarlierPlayOf(const QString& name, const QString& path) const;
    // Where the song `name` is recorded when `path` is where its name puts
    // it: beside its earlier play (see EarlierPlayOf), at `path` when that
    // is free, else at the first free numbered version ("Name (2).mp3").
    QString FileFor(const QString& name, const QString& path) const;
    // A title that names the song already playing in parts.
    // `current` is the name of what is being recorded.
    bool IsCurrentSong(const QString& name, const QString& current) const
    {
        return m_part > 1 && name == m_partBase && current == partName(m_part);
    }
    // The open title's file holds `bytes` at `bytesPerSecond`: when that is
    // past MaxSongSeconds, the name its next part is recorded under
    // ("Title (part 2).mp3"); "" otherwise.
    QString NextPartName(qint64 bytes, qint64 bytesPerSecond, bool fromTitle) const;

    enum class Fate {
        Keep,       // stays where it is
        TooShort,   // deleted: shorter than MinSongSeconds
        Incomplete, // set aside in the "incomplete" folder
    };
    // What becomes of the file at `path` that was just closed. `fromTitle`:
    // named after a stream title; `titleChange`: it ended because the next
    // title began; `perSong`: the recording makes one file per song.
    Fate FateOf(const QString& path, bool fromTitle, bool titleChange, bool perSong, qint32 kbps) const;
    int MinSongSeconds() const { return m_options.minSongSeconds; }

    // Where the file of a song named after a title goes under the
    // FileNamePattern: `folder` (the save folder on entry) and `name` become
    // the pattern's sub-folder (made here) and file name; without a pattern
    // `name` becomes the cleaned file name. Nothing changes for a file not
    // named after a title. Returns, once a recording, a status when the
    // pattern had to be kept inside the save folder; "" otherwise.
    QString Place(const QString& station, const QDateTime& start, bool fromTitle, QString& folder, QString& name);
    // The file Place last gave `name` (the title with its extension); ""
    // when it gave it none.
    QString PlacedPath(const QString& name) const { return name == m_placedName ? m_placedPath : QString(); }

private:
    QString partName(int part) const;

    RecordingOptions m_options;
    std::shared_ptr<const SongRules> m_rules; // null until SetRules
    int m_titleFiles = 0;       // titles recorded or skipped in this recording
    bool m_openIsFirst = false; // the open file is the recording's first song
    QString m_partBase;         // the name the song playing in parts began with
    int m_part = 1;             // the part of it being recorded
    int m_sequence = 0;         // songs placed by the pattern in this recording
    bool m_patternSaid = false;
    QString m_placedName, m_placedPath;
    QString m_untitledName;
    QSet<QString> m_nameless;          // song names whose files are named as songs without a title
    QHash<QString, QString> m_fileOf;  // song name -> the file of its first play in this recording
    QHash<QString, QString> m_titleOf; // ... and back
};

// Moves the closed recording at `path` into `folder` under `name` (made
// when missing), or the first free numbered version of that name there.
// Returns the new path; `path` itself when it could not be moved.
QString SetAside(const QString& path, const QString& folder, const QString& name);
