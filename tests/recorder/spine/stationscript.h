#pragma once

// Loopback stations that script their whole answer, and the files a
// recording leaves: for the tests that run several recorders at once.
#include "fixture.h"

#include <QDirIterator>
#include <QMap>

namespace {

constexpr int kMetaInt = 16;

// A station's whole answer: the header, then `songs` titles of `blocks`
// audio blocks each (the first block of a song carries its title), then a
// last title "End". The audio is `fill` followed by a running count, so
// every block differs.
QByteArray StationScript(char fill, int songs, int blocks)
{
    QByteArray bytes = "ICY 200 OK\r\nicy-metaint:" + QByteArray::number(kMetaInt) + "\r\n\r\n";
    int count = 0;
    for (int s = 1; s <= songs; ++s) {
        for (int b = 0; b < blocks; ++b) {
            QByteArray audio = QByteArray(1, fill) + QByteArray::number(++count).rightJustified(kMetaInt - 1, '.');
            bytes += audio;
            bytes +=
                b == 0 ? IcyTitleBlock("Song " + QByteArray(1, fill) + QByteArray::number(s)) : QByteArray(1, '\0');
        }
    }
    return bytes + QByteArray(kMetaInt, fill) + IcyTitleBlock("End");
}

// Every file below `folder`, by its path there, with its bytes.
QMap<QString, QByteArray> FilesIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), ReadAll(path));
    }
    return files;
}

} // namespace
