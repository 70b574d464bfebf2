#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

// The "[Default Applications]" entries of a mimeapps.list, edited in place.
// Only the line of the type that changes is rewritten, and within it only the
// entry added or removed: every other byte (other sections, comments, other
// programs' entries in their order, CR LF or LF line ends, bytes that are not
// UTF-8) stays as it was. Adding an entry and removing it again gives back
// the very bytes there were before.
class MimeAppsList {
public:
    explicit MimeAppsList(const QByteArray& bytes);

    // The desktop files listed for `mimeType`, in order (the first is the
    // default); none when the type has no line.
    QByteArrayList Defaults(const QByteArray& mimeType) const;
    // Makes `desktopFile` the first entry of the type (moving it there when
    // it is listed further on), the others following in their order.
    void PutFirst(const QByteArray& mimeType, const QByteArray& desktopFile);
    // Removes `desktopFile` from the type's entries; a line left without
    // entries goes, and so does a section left empty by that. False when it
    // was not listed.
    bool Remove(const QByteArray& mimeType, const QByteArray& desktopFile);

    QByteArray Bytes() const;

private:
    struct Line {
        QByteArray text; // without its line end
        QByteArray end;  // "\n", "\r\n", "\r" or "" for a last line without one
    };
    qsizetype findSection() const;
    qsizetype findEntry(const QByteArray& mimeType) const;
    QByteArray lineEnd() const;

    QList<Line> m_lines;
};
