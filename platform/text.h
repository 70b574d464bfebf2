#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Bytes to text: strict UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeText(const QByteArray& bytes);
bool IsValidUtf8(const QByteArray& bytes);
QString DecodeWindows1252(const QByteArray& bytes);

// Replaces the numeric character references "&#NNNN;" and "&#xHHHH;" with
// the characters they name; anything else, and a reference to no valid
// character, stays as it is.
QString DecodeCharacterReferences(const QString& text);

// Text to Latin-1 bytes; a character outside Latin-1 becomes "?".
QByteArray EncodeLatin1Lossy(const QString& text);

// Splits text into lines at CR LF, LF or CR. A final line end does not make
// an extra empty line.
QStringList SplitLines(const QString& text);

// Reads a text file with the rules above; false when it cannot be read.
bool ReadTextFile(const QString& path, QString& text);
// Writes lines in UTF-8, each followed by CR LF; false on any failure.
bool WriteTextLines(const QString& path, const QStringList& lines);
