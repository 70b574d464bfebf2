#pragma once

#include "recorder/coverart.h"

#include <QString>

// Copies of covers for the desktop (its media controls, notifications):
// files named by their content in a cache folder, the oldest removed
// once the folder holds more than its limit.
namespace covercache {
constexpr qint64 kMaxBytes = 50LL * 1024 * 1024;
// ~/.cache/tonquill/covers (under XDG_CACHE_HOME when set).
QString Folder();
// The cached copy of `cover` in `folder` (written when not there yet, made
// the newest when it is); "" for a null cover or when it cannot be written.
// The folder is cleaned to `maxBytes` after a new copy, never removing
// the copy just stored.
QString Store(const QString& folder, const CoverPicture& cover, qint64 maxBytes = kMaxBytes);
// Removes the oldest picture files until `folder` holds at most
// `maxBytes`; `keep` is never removed. Returns how many were removed.
int Clean(const QString& folder, qint64 maxBytes, const QString& keep = QString());
} // namespace covercache
