#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Bytes to text, line by line: each line (the bytes between CR and LF
// characters) in strict UTF-8 when it is valid UTF-8, else in Windows-1252,
// so one stray byte changes only its own line. Line ends are kept; a UTF-8
// byte order mark at the very start is dropped, any other is a character.
QString DecodeText(QByteArrayView bytes);
bool IsValidUtf8(QByteArrayView bytes);
QString DecodeWindows1252(QByteArrayView bytes);

// Splits bytes into lines at CR LF, LF or CR (a leading UTF-8 byte order
// mark dropped, a final line end making no extra empty line) and decodes
// each line as DecodeText does. With `maxLineBytes` above 0 a line is cut at
// a character boundary so that it holds at most that many bytes in UTF-8
// (so a line written back reads back whole), and `shortened` (when given)
// counts the lines cut.
QStringList DecodeLines(QByteArrayView bytes, qsizetype maxLineBytes = 0, qsizetype* shortened = nullptr);

// Replaces the numeric character references "&#NNNN;" and "&#xHHHH;" with
// the characters they name; anything else, and a reference to no valid
// character, stays as it is.
QString DecodeCharacterReferences(const QString& text);

// Text to Latin-1 bytes; a character outside Latin-1 becomes "?".
QByteArray EncodeLatin1Lossy(const QString& text);

// Splits text into lines at CR LF, LF or CR. A final line end does not make
// an extra empty line.
QStringList SplitLines(const QString& text);

// Reading a file that must be a regular file of bounded size: a FIFO, a
// device or a link to one is refused without blocking, and no more than the
// bound is ever read.
struct FileRead {
    enum Status { Read, Missing, NotRegular, TooLarge, Unreadable };
    Status status = Missing;
    QByteArray bytes;
    // Why it was not read, to follow the file's name in a message:
    // "does not exist", "is not a regular file", "is larger than 1 MiB",
    // "could not be read (Permission denied)".
    QString problem;
    bool ok() const { return status == Read; }
};
FileRead ReadRegularFile(const QString& path, qint64 maxBytes);

// Text files of the program's own (INI files, the association backup) are
// small; this bounds what ReadTextFile reads unless told otherwise.
constexpr qint64 kTextFileMaxBytes = 16 * 1024 * 1024;

// Reads a text file with the rules above (a regular file of at most
// `maxBytes`, decoded line by line); false when it cannot be read.
bool ReadTextFile(const QString& path, QString& text, qint64 maxBytes = kTextFileMaxBytes);
// Writes lines in UTF-8, each followed by CR LF; false on any failure.
bool WriteTextLines(const QString& path, const QStringList& lines);
