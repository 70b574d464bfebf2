#include "server/byterange.h"

namespace {

bool number(const QByteArray& text, qint64* value)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    *value = text.toLongLong();
    return true;
}

} // namespace

ByteRange ParseByteRange(const QByteArray& header, qint64 size)
{
    const QByteArray text = header.trimmed();
    if (!text.startsWith("bytes="))
        return {};
    const QByteArray spec = text.mid(6).trimmed();
    const qsizetype dash = spec.indexOf('-');
    if (dash < 0 || spec.contains(','))
        return {};
    const QByteArray from = spec.left(dash).trimmed();
    const QByteArray to = spec.mid(dash + 1).trimmed();
    qint64 first = 0;
    qint64 last = 0;
    if (from.isEmpty()) {
        // "bytes=-N": the last N bytes.
        if (!number(to, &last))
            return {};
        if (last == 0)
            return {ByteRange::Kind::Unsatisfiable};
        if (size == 0)
            return {ByteRange::Kind::Unsatisfiable};
        return {ByteRange::Kind::Part, qMax<qint64>(0, size - last), size - 1};
    }
    if (!number(from, &first))
        return {};
    if (to.isEmpty())
        last = size - 1;
    else if (!number(to, &last) || last < first)
        return {};
    if (first >= size)
        return {ByteRange::Kind::Unsatisfiable};
    return {ByteRange::Kind::Part, first, qMin(last, size - 1)};
}
