#include "platform/mimeappslist.h"

namespace {

const QByteArray kDefaults = QByteArrayLiteral("[Default Applications]");

bool isSection(const QByteArray& text)
{
    return text.trimmed().startsWith('[');
}

// The desktop files of a value, each entry as the bytes between semicolons.
QByteArrayList entriesOf(const QByteArrayList& segments)
{
    QByteArrayList entries;
    for (const QByteArray& s : segments) {
        if (!s.trimmed().isEmpty())
            entries.append(s.trimmed());
    }
    return entries;
}

} // namespace

MimeAppsList::MimeAppsList(const QByteArray& bytes)
{
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        const qsizetype endSize = bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n' ? 2 : 1;
        m_lines.append({bytes.mid(start, i - start), bytes.mid(i, endSize)});
        i += endSize - 1;
        start = i + 1;
    }
    if (start < n)
        m_lines.append({bytes.mid(start), QByteArray()});
}

QByteArray MimeAppsList::Bytes() const
{
    QByteArray out;
    for (const Line& l : m_lines)
        out += l.text + l.end;
    return out;
}

QByteArray MimeAppsList::lineEnd() const
{
    for (const Line& l : m_lines) {
        if (!l.end.isEmpty())
            return l.end;
    }
    return QByteArrayLiteral("\n");
}

qsizetype MimeAppsList::findSection() const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].text.trimmed() == kDefaults)
            return i;
    }
    return -1;
}

qsizetype MimeAppsList::findEntry(const QByteArray& mimeType) const
{
    bool inDefaults = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray& text = m_lines[i].text;
        if (isSection(text)) {
            inDefaults = text.trimmed() == kDefaults;
            continue;
        }
        const qsizetype eq = text.indexOf('=');
        if (inDefaults && eq > 0 && !text.trimmed().startsWith('#') && text.left(eq).trimmed() == mimeType)
            return i;
    }
    return -1;
}

QByteArrayList MimeAppsList::Defaults(const QByteArray& mimeType) const
{
    const qsizetype i = findEntry(mimeType);
    if (i < 0)
        return {};
    const QByteArray& text = m_lines[i].text;
    return entriesOf(text.mid(text.indexOf('=') + 1).split(';'));
}

void MimeAppsList::PutFirst(const QByteArray& mimeType, const QByteArray& desktopFile)
{
    const qsizetype i = findEntry(mimeType);
    if (i >= 0) {
        QByteArray& text = m_lines[i].text;
        const qsizetype eq = text.indexOf('=');
        QByteArrayList segments = text.mid(eq + 1).split(';');
        if (entriesOf(segments).value(0) == desktopFile)
            return;
        segments.removeIf([&](const QByteArray& s) { return s.trimmed() == desktopFile; });
        segments.prepend(desktopFile);
        text = text.left(eq + 1) + segments.join(';');
        return;
    }
    const Line entry{mimeType + '=' + desktopFile + ';', lineEnd()};
    const qsizetype section = findSection();
    if (section >= 0) {
        if (m_lines[section].end.isEmpty())
            m_lines[section].end = lineEnd();
        m_lines.insert(section + 1, entry);
        return;
    }
    if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
        m_lines.last().end = lineEnd();
    m_lines.append({kDefaults, entry.end});
    m_lines.append(entry);
}

bool MimeAppsList::Remove(const QByteArray& mimeType, const QByteArray& desktopFile)
{
    const qsizetype i = findEntry(mimeType);
    if (i < 0)
        return false;
    QByteArray& text = m_lines[i].text;
    const qsizetype eq = text.indexOf('=');
    QByteArrayList segments = text.mid(eq + 1).split(';');
    if (segments.removeIf([&](const QByteArray& s) { return s.trimmed() == desktopFile; }) == 0)
        return false;
    if (!entriesOf(segments).isEmpty()) {
        text = text.left(eq + 1) + segments.join(';');
        return true;
    }
    m_lines.removeAt(i);
    // The section's header goes too when nothing but blank lines is left in it.
    qsizetype header = i - 1;
    while (header >= 0 && !isSection(m_lines[header].text))
        --header;
    qsizetype next = header + 1;
    while (next < m_lines.size() && !isSection(m_lines[next].text) && m_lines[next].text.trimmed().isEmpty())
        ++next;
    if (header >= 0 && (next == m_lines.size() || isSection(m_lines[next].text)))
        m_lines.removeAt(header);
    return true;
}
