#pragma once

#include <QString>

// INI files: "[section]" lines and "KEY=value" lines. Section and key names
// match without regard to case; lines starting with ";" or "#" are comments.
//
// ReadINIValue gives the value of the first matching key in the first
// matching section, with surrounding blanks (and one pair of matching
// surrounding quotes) removed and cut to 749 characters; "" when the file,
// the section or the key is missing.
QString ReadINIValue(const QString& section, const QString& key, const QString& file);
// Creates the file, the section and the key as needed and stores the key
// name in upper case. Every other line of the file is kept as it was. Line
// breaks inside the value become spaces. False when the file cannot be
// written (the old file is then unchanged).
bool WriteINIValue(const QString& section, const QString& key, const QString& value, const QString& file);

// Longest value ReadINIValue returns.
inline constexpr int kIniValueMax = 749;

// The two INI files in the program's config folder.
QString TonquillIniPath();
QString TavrixIniPath();

// "Tonquill.ini" / "LastPath" / "LastPath": the last recording folder typed
// into the panel.
QString GetLastPath();
void SetLastPath(const QString& path);
// "Tonquill.ini" / "Advanced" / "Advanced": an integer, 0 when absent.
qint32 GetAdvanced();
void SetAdvanced(qint32 value);
// "tavrix.ini" / "Advanced" / "IEAgent": present requests as Internet
// Explorer. Stored as "1" or "0".
bool GetIEAgent();
void SetIEAgent(bool on);
// Any other value of "tavrix.ini" ("" when absent).
QString ReadTavrixValue(const QString& section, const QString& key);

// The user's standard folders, as the desktop reports them; never created.
enum class SpecialFolder { Documents, Music };
QString GetSpecialFolder(SpecialFolder which);
// Replaces what GetSpecialFolder reports (tests; "" means "no such folder").
void SetSpecialFolderOverride(SpecialFolder which, const QString& path);
// Back to the desktop's folders.
void ClearSpecialFolderOverrides();

// The default recording folder: the last path when it is an existing
// folder, else the music folder, else the documents folder, each when it
// exists; else the program's data folder when fallBackToProgramFolder is
// true, or "". No trailing separator is added.
QString GetDefaultFolder(bool fallBackToProgramFolder);

// The folder a first recording goes to when none exists yet: the desktop's
// music folder, else "Music" in the home folder. Not created here; "" when
// a test said there is no music folder.
QString DefaultMusicFolder();
