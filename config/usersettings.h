#pragma once

#include <QString>

// The per-user settings store: text values addressed by application name,
// section and key. Kept in an INI file of the user's own configuration
// (QSettings, user scope, organisation and application both `appName`).
//
// When TONQUILL_HOME is set the store is "<appName>-user.ini" in that
// folder, so a self-contained installation never touches the user's real
// settings; SetUserSettingsFolder overrides both.

// The stored value, or `defaultValue` when there is none.
QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& defaultValue);
// Creates or replaces the value.
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);

// Keeps the store of every application as "<appName>-user.ini" in `folder`
// ("" returns to the rules above). For tests and portable use.
void SetUserSettingsFolder(const QString& folder);
// The file that holds the store of `appName`.
QString UserSettingsFile(const QString& appName);

// The recorder's per-user options ("Advanced Options" page), application
// "Tonquill", section "Registration", stored as "0"/"1" and milliseconds.
// Clean cuts are on until the user turns them off; ID3v2 tags are off.
struct RecordingOptions {
    bool writeID3v2 = false;  // "Write ID3v2 tags": finished songs also get a UTF-8 ID3v2.4 tag
    bool cleanCuts = true;    // "Cut songs in the silence between them"
    int cutWindowMs = 2000;   // how far on each side of a title change the quietest point is sought
    // "Give up after (minutes) without a stream": how long reconnecting goes
    // on before the recording ends; 0 keeps trying until the recording's end.
    int giveUpMinutes = 5;
    // A title that plays again ("RepeatPolicy": "replace", "keep" or "skip").
    enum class Repeat {
        Replace,  // a later complete play of the same recording takes the earlier file's place
        Keep,     // every complete play is kept, the later ones as "Title (2)", "Title (3)", ...
        Skip,     // a title already saved in the folder is not recorded again
    };
    Repeat repeatPolicy = Repeat::Replace;
};
bool WriteID3v2Tags();
void SetWriteID3v2Tags(bool on);
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
RecordingOptions ReadRecordingOptions();

// Desktop notifications (same application and section): a notice for every
// saved song (off until the user turns it on) and for a lost stream being
// reconnected or given up (on until the user turns it off).
bool NotifySongs();
void SetNotifySongs(bool on);
bool NotifyProblems();
void SetNotifyProblems(bool on);
// The preset recorded last, started again by the menu entry's "Record last
// preset"; empty when none was.
QString LastPreset();
void SetLastPreset(const QString& path);
