#pragma once

#include <QByteArray>
#include <QtGlobal>

// What a "Range" header asks of a file of `size` bytes. Only one range of
// bytes is answered as a range; anything else gets the whole file.
struct ByteRange {
    enum class Kind {
        Whole,         // no range asked, or one not understood: the whole file
        Part,          // bytes `first` to `last`, both included
        Unsatisfiable, // the range begins after the file's end: 416
    };
    Kind kind = Kind::Whole;
    qint64 first = 0;
    qint64 last = 0;
    bool operator==(const ByteRange&) const = default;
};

ByteRange ParseByteRange(const QByteArray& header, qint64 size);
