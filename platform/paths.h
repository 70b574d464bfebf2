#pragma once

#include <QString>

// Path helpers. Both "/" and "\" count as separators.
bool FileExists(const QString& path);  // a file (not a folder) is there
bool IsFolder(const QString& path);    // an existing folder
bool PathExists(const QString& path);  // anything is there

// The file part: after a leading drive letter and colon, after the last
// "/", then after the last "\" that follows it. The whole path when there
// is no separator.
QString FileNameOf(const QString& path);
// The folder part up to and including the separator found ("" when there is
// none; the drive letter and colon for "C:name").
QString FolderOf(const QString& path);

// Joins a folder and a file name with exactly one "/" between them.
QString JoinPath(const QString& folder, const QString& name);
