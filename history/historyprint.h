#pragma once

// The plays as "tonquill --history" prints them: one line each, or a JSON
// array of objects.

#include "history/historystore.h"

#include <QByteArray>
#include <vector>

// "2026-03-01 14:02:10 - 14:05:44  [Station] Artist - Title  (complete)  /path/file.mp3":
// local times, the day of the end only when it is another; a play that has
// not ended shows "..." for its end, one without a file no path.
QByteArray PlaysAsText(const std::vector<Play>& plays);
// [{"station", "title", "artist", "start", "end", "file", "state"}, ...]:
// times in ISO 8601 with the offset from UTC, "end" null while it plays.
QByteArray PlaysAsJson(const std::vector<Play>& plays);
