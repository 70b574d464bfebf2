#pragma once

#include <QString>
#include <functional>

// Fitting a name to what a folder of the file system accepts.

// Bytes kept free in a fitted name: enough for a number " (99)" put before
// the extension, or the hidden ".<name>.repeat" beside the file.
constexpr qsizetype kFileNameReserveBytes = 16;

// The longest file name, in bytes, that `folder` takes (pathconf
// _PC_NAME_MAX); 255 when the system does not say (a folder not made yet).
qsizetype FileNameLimit(const QString& folder);
// Replaces how FileNameLimit asks the system (tests); an empty function
// goes back to pathconf.
void SetFileNameLimitSource(std::function<long(const QString& folder)> source);

// Takes out what a reader of a file name cannot see but what changes how it
// reads: bidirectional controls (embeddings, overrides, isolates, marks),
// zero-width characters and the byte order mark.
QString RemoveInvisibleMarks(const QString& name);

// What a file name keeps of `text`: | > < " ? * : / \ are removed, and so
// are the control characters (U+0000-U+001F, U+007F-U+009F), the line and
// paragraph separators (U+2028, U+2029) and the marks RemoveInvisibleMarks
// takes out; so are the dots and white space it would begin with, so a name
// is never hidden, never "." or "..", and never stands for the folder itself
// or its parent. "" when nothing is left.
QString FileNameText(const QString& text);
// FileNameText, with "_" for a name that would be left empty.
QString CleanFileName(const QString& text);

// The longest start of `text` of at most `maxUnits` UTF-16 units that ends
// between two characters as the reader sees them: never inside a surrogate
// pair, never before a combining mark.
QString LeftAtCharacterBoundary(const QString& text, qsizetype maxUnits);

// `name` shortened so that it takes at most `maxBytes` - `reserveBytes`
// bytes in the file system's encoding. The part before the extension is cut
// at a character boundary (as above) and loses the spaces and dots the cut
// leaves at its end; the extension (up to 8 letters or digits after the last
// ".") stays. A name that fits is returned as it is.
QString FitFileName(const QString& name, qsizetype maxBytes, qsizetype reserveBytes = kFileNameReserveBytes);
