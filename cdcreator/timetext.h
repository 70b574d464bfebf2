#pragma once

#include <QString>

// Turns a number of seconds into a clock text ("01:02:05", "02:05") or a
// worded text ("1 hr 2 min 5 sec"). The flags are the clock form, two-digit
// fields in the clock form, and the long unit abbreviations of the words form.
// Negative and non-finite values count as 0 seconds.
QString SecondsToText(float seconds, bool blnClock = true, bool blnPadded = true, bool blnLongUnits = true);

// The hours, minutes and seconds that SecondsToText shows for `seconds`
// (seconds rounded to the nearest whole number, halves to even, with carries).
struct ClockParts {
    long long hours = 0;
    int minutes = 0;
    int seconds = 0;
};
ClockParts SplitSeconds(float seconds);

// "0 Bytes" for n <= 0, else kibibytes ("1.50 KB") up to 1024 KB, mebibytes
// beyond ("3.00 MB"); always two decimals.
QString FormatBytes(double bytes);

// The file name after the last "\" or "/" (the whole text when there is none).
QString FileNameFromPath(const QString& path);

// True when the last three characters of `name`, lower-cased, are one of the
// queueable audio extensions: wma, mp3, wav, ogg, mp2.
bool HasQueueableExtension(const QString& name);

// The queue line of one track: "Audio Track 03 (name.mp3)  04:12".
QString QueueEntryText(int zeroBasedIndex, const QString& path, double seconds);
