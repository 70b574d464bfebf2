#pragma once

#include <QString>
#include <QStringList>

// Writes lines in UTF-8, each followed by CR LF, through a temporary file in
// the same folder that replaces the target only once everything is written,
// so a crash or a full disk never leaves a half-written file behind.
// False on any failure; the old file is then left as it was.
bool WriteTextLinesSafely(const QString& path, const QStringList& lines);
