#pragma once

#include <QList>
#include <QString>

// The per-user settings store: text values addressed by application name,
// section and key, kept as "<appName>-user.ini" in the folder of the INI
// files (ProgramFolders::ConfigFolder: TONQUILL_HOME when set, the
// program's own folder for portable use, else ~/.config/tonquill).
// SetUserSettingsFolder overrides that.
//
// Earlier versions kept the store in "~/.config/<appName>/<appName>.ini", a
// second folder that differed from the first only in case. When the store
// is in ~/.config/tonquill, the first access of a run moves what is found
// there (MoveUserSettings); a self-contained installation (TONQUILL_HOME or
// portable) never touches the user's real settings.

// The stored value, or `defaultValue` when there is none.
QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& defaultValue);
// Creates or replaces the value.
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);

// Keeps the store of every application as "<appName>-user.ini" in `folder`
// ("" returns to the rules above). For tests and portable use.
void SetUserSettingsFolder(const QString& folder);
// The file that holds the store of `appName`.
QString UserSettingsFile(const QString& appName);

// What MoveUserSettings did.
enum class SettingsMove {
    NothingThere, // no old file
    Moved,        // every value is in the new file, the old file is gone
    Copied,       // the values are in the new file; the old one stays (it lies in the new folder)
    LeftAlone,    // the old or the new file is unreadable or odd: nothing changed
    NotWritten,   // the new file could not be written: the old one stays
};
// Moves the values of `oldFile` into `newFile`. A value in both keeps the new
// file's; the old file is removed only after the new one is written, and its
// folder goes with it when nothing else is left there.
SettingsMove MoveUserSettings(const QString& oldFile, const QString& newFile);

// The recorder's per-user options ("Advanced Options" page), application
// "Tonquill", section "Registration", stored as "0"/"1" and milliseconds.
// Clean cuts are on until the user turns them off; ID3v2 tags are off.
struct RecordingOptions {
    bool writeID3v2 = false; // "Write ID3v2 tags": finished songs also get a UTF-8 ID3v2.4 tag
    // "CoverArt": songs carry their cover (an MP3 in its ID3v2 tag, an Ogg
    // song in its comments, an AAC song as a picture beside it).
    bool coverArt = true;
    // "CoverLookup": songs without a picture are looked up by artist and
    // title at a cover service. Off until the user turns it on.
    bool coverLookup = false;
    bool cleanCuts = true;  // "Cut songs in the silence between them"
    int cutWindowMs = 2000; // how far on each side of a title change the quietest point is sought
    // "Give up after (minutes) without a stream": how long reconnecting goes
    // on before the recording ends; 0 keeps trying until the recording's end.
    int giveUpMinutes = 5;
    // A title that plays again ("RepeatPolicy": "replace", "keep" or "skip").
    enum class Repeat {
        Replace, // a later complete play of the same recording takes the earlier file's place
        Keep,    // every complete play is kept, the later ones as "Title (2)", "Title (3)", ...
        Skip,    // a title already saved in the folder is not recorded again
    };
    Repeat repeatPolicy = Repeat::Replace;
    // Song rules. Off by default: every title is recorded as it comes.
    bool wishOnly = false;        // "WishOnly": only titles on the wish list are kept
    int minSongSeconds = 0;       // "MinSongSeconds": a shorter song is deleted when it ends; 0 off
    int maxSongSeconds = 0;       // "MaxSongSeconds": a longer title goes on in "Title (part 2)"; 0 off
    bool incompleteApart = false; // "IncompleteApart": songs not recorded whole go to "incomplete"
    QString fileNamePattern;      // "FileNamePattern": %S %A %T %D %q and "/"; "" names files after the title
    // Not a setting: a watched station writes only songs its titles name
    // (nothing before the first title).
    bool titledSongsOnly = false;
};
bool WriteID3v2Tags();
void SetWriteID3v2Tags(bool on);
// "CoverArt", on until the user turns it off.
bool CoverArt();
void SetCoverArt(bool on);
bool CoverLookupOn();
void SetCoverLookupOn(bool on);
bool CutSongsInSilence();
void SetCutSongsInSilence(bool on);
// 0 to 10000; a stored value out of range or not a number gives 2000.
int CutWindowMs();
void SetCutWindowMs(int ms);
// 0 to 10080 (a week); a stored value out of range or not a number gives 5.
int GiveUpMinutes();
void SetGiveUpMinutes(int minutes);
// "replace" (also for anything not understood), "keep" or "skip", any letter case.
RecordingOptions::Repeat RepeatPolicy();
void SetRepeatPolicy(RecordingOptions::Repeat policy);
// The song rules' settings; lengths are 0 to 86400 seconds (a stored
// value out of range or not a number gives 0, off).
bool WishOnly();
void SetWishOnly(bool on);
int MinSongSeconds();
void SetMinSongSeconds(int seconds);
int MaxSongSeconds();
void SetMaxSongSeconds(int seconds);
bool IncompleteApart();
void SetIncompleteApart(bool on);
QString FileNamePattern();
void SetFileNamePattern(const QString& pattern);
RecordingOptions ReadRecordingOptions();
// Which variant of an HLS station is recorded ("HlsVariant": "highest",
// the default, or "lowest" bandwidth).
bool HlsLowestVariant();
void SetHlsLowestVariant(bool lowest);

// Desktop notifications (same application and section): a notice for every
// saved song (off until the user turns it on) and for a lost stream being
// reconnected or given up (on until the user turns it off).
bool NotifySongs();
void SetNotifySongs(bool on);
bool NotifyProblems();
void SetNotifyProblems(bool on);
// "WatchMinutes": how much of a watched or recorded station's audio is kept
// in memory to be saved on request; 1 to 60 (anything else gives 5).
int WatchMinutes();
void SetWatchMinutes(int minutes);
// The preset recorded last, started again by the menu entry's "Record last
// preset"; empty when none was.
QString LastPreset();
void SetLastPreset(const QString& path);
// The recordings running when the program was quit are started again at
// the next start ("ResumeRecordings", off by default). Each is kept as the
// preset it was loaded from, or its station's address with its title and
// folder, in "ResumeStation1", "ResumeTitle1", "ResumeFolder1", ... ("ResumeCount").
bool ResumeRecordings();
void SetResumeRecordings(bool on);
struct ResumeEntry {
    QString preset;  // the preset file; empty when the station was picked on the panel
    QString address; // the station's address or playlist
    QString title;
    QString folder;
    bool watch = false; // watched, not recorded
    bool operator==(const ResumeEntry&) const = default;
};
QList<ResumeEntry> RecordingsToResume();
void SetRecordingsToResume(const QList<ResumeEntry>& entries);
// The preset "--record-last-preset" records: LastPreset() when it names a
// regular file that can be read; otherwise "" and `problem` says why, with
// the path shortened to kShownPathChars characters at most.
QString LastPresetToRecord(QString* problem);
constexpr qsizetype kShownPathChars = 160;
// A path as a message shows it: its beginning and end around an ellipsis
// when it is longer than `maxChars`.
QString ShownPath(const QString& path, qsizetype maxChars = kShownPathChars);
