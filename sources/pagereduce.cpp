#include "sources/pagereduce.h"

#include "platform/text.h"

#include <QCoreApplication>
#include <QStringView>

namespace {

constexpr QChar kBreakHere(0x200B);

enum class Tag { Other, Link, Bold, Italic, Line, Paragraph, Item, Cell, Skip, Picture };

struct TagInfo {
    Tag kind;
    const char* names;
};

// Space-separated lists of the tag names of each kind.
const TagInfo kTags[] = {
    {Tag::Link, " a "},
    {Tag::Bold, " b strong "},
    {Tag::Italic, " i em cite var "},
    {Tag::Line, " br tr dt dd caption option "},
    {Tag::Paragraph, " p div h1 h2 h3 h4 h5 h6 table ul ol dl blockquote pre section article header footer nav "
                     "form center hr address main aside figure fieldset legend body "},
    {Tag::Item, " li "},
    {Tag::Cell, " td th "},
    {Tag::Skip, " script style title template svg math iframe object textarea select "},
    {Tag::Picture, " img "},
};

Tag kindOf(const QString& name)
{
    const QString key = QLatin1Char(' ') + name + QLatin1Char(' ');
    for (const TagInfo& info : kTags) {
        if (QLatin1String(info.names).contains(key))
            return info.kind;
    }
    return Tag::Other;
}

bool isLetter(QChar ch)
{
    return (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) || (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'));
}

bool isNameChar(QChar ch)
{
    return (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) || (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')) ||
           (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'));
}

QString decodeNamedReferences(QString text)
{
    text = DecodeCharacterReferences(text);
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

// One tag as read from the page.
struct ParsedTag {
    QString name; // lower case
    bool closing = false;
    QString href;  // of a link, references decoded
    qsizetype end; // the position after its ">"
};

// Reads the tag that starts at `at` ("<" followed by a letter or "/").
ParsedTag readTag(QStringView page, qsizetype at)
{
    ParsedTag tag;
    qsizetype i = at + 1;
    if (i < page.size() && page.at(i) == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameAt = i;
    while (i < page.size() && isNameChar(page.at(i)))
        ++i;
    tag.name = page.mid(nameAt, i - nameAt).toString().toLower();
    // Attributes, quotes respected, up to the ">" that ends the tag.
    while (i < page.size() && page.at(i) != QLatin1Char('>')) {
        const QChar ch = page.at(i);
        if (ch.isSpace() || ch == QLatin1Char('/')) {
            ++i;
            continue;
        }
        const qsizetype attrAt = i;
        while (i < page.size() && !page.at(i).isSpace() && page.at(i) != QLatin1Char('=') &&
               page.at(i) != QLatin1Char('>'))
            ++i;
        const QStringView attr = page.mid(attrAt, i - attrAt);
        while (i < page.size() && page.at(i).isSpace())
            ++i;
        if (i >= page.size() || page.at(i) != QLatin1Char('='))
            continue;
        ++i;
        while (i < page.size() && page.at(i).isSpace())
            ++i;
        qsizetype valueAt = i, valueEnd;
        if (i < page.size() && (page.at(i) == QLatin1Char('"') || page.at(i) == QLatin1Char('\''))) {
            const QChar quote = page.at(i);
            valueAt = i + 1;
            valueEnd = page.indexOf(quote, valueAt);
            if (valueEnd < 0)
                valueEnd = page.size();
            i = qMin(page.size(), valueEnd + 1);
        } else {
            while (i < page.size() && !page.at(i).isSpace() && page.at(i) != QLatin1Char('>'))
                ++i;
            valueEnd = i;
        }
        if (tag.name == QLatin1String("a") && attr.compare(QLatin1String("href"), Qt::CaseInsensitive) == 0)
            tag.href = decodeNamedReferences(page.mid(valueAt, valueEnd - valueAt).toString()).trimmed();
    }
    tag.end = qMin(page.size(), i + 1);
    return tag;
}

class Reducer {
public:
    explicit Reducer(QStringView page) : m_page(page) {}

    QString run()
    {
        qsizetype i = 0;
        const qsizetype n = m_page.size();
        while (i < n && !m_full) {
            const QChar ch = m_page.at(i);
            if (ch == QLatin1Char('&')) {
                // A character reference is one character, never broken.
                qsizetype end = i + 1;
                while (end < n && end - i <= 10 && (isNameChar(m_page.at(end)) || m_page.at(end) == QLatin1Char('#')))
                    ++end;
                const bool reference = end < n && end > i + 1 && m_page.at(end) == QLatin1Char(';');
                text(reference ? m_page.mid(i, end + 1 - i) : QStringView(QStringLiteral("&amp;")));
                i = reference ? end + 1 : i + 1;
                continue;
            }
            if (ch != QLatin1Char('<')) {
                text(ch);
                ++i;
                continue;
            }
            const QChar next = i + 1 < n ? m_page.at(i + 1) : QChar();
            if (next == QLatin1Char('!') || next == QLatin1Char('?')) {
                i = skipDeclaration(i);
            } else if (isLetter(next) || (next == QLatin1Char('/') && i + 2 < n && isLetter(m_page.at(i + 2)))) {
                const ParsedTag tag = readTag(m_page, i);
                i = tag.end;
                i = handle(tag, i);
            } else {
                text(ch);
                ++i;
            }
        }
        endLine(false);
        if (m_full)
            m_out += QStringLiteral("<p><i>") + PageCutNote().toHtmlEscaped() + QStringLiteral("</i></p>");
        return m_out;
    }

private:
    qsizetype skipDeclaration(qsizetype at)
    {
        if (m_page.mid(at, 4) == QLatin1String("<!--")) {
            const qsizetype end = m_page.indexOf(QLatin1String("-->"), at + 4);
            return end < 0 ? m_page.size() : end + 3;
        }
        const qsizetype end = m_page.indexOf(QLatin1Char('>'), at);
        return end < 0 ? m_page.size() : end + 1;
    }

    qsizetype handle(const ParsedTag& tag, qsizetype at)
    {
        switch (kindOf(tag.name)) {
        case Tag::Skip: {
            if (tag.closing)
                return at;
            // Its content is not text of the page; it ends at its closing
            // tag. Without one only the tag itself goes.
            const QString closer = QStringLiteral("</") + tag.name;
            const qsizetype end = m_page.indexOf(closer, at, Qt::CaseInsensitive);
            if (end < 0)
                return at;
            const qsizetype gt = m_page.indexOf(QLatin1Char('>'), end);
            return gt < 0 ? m_page.size() : gt + 1;
        }
        case Tag::Link:
            closeLink();
            if (!tag.closing && !tag.href.isEmpty()) {
                startText();
                flushSpace();
                m_line += QStringLiteral("<a href=\"") + tag.href.toHtmlEscaped() + QStringLiteral("\">");
                m_link = true;
            }
            return at;
        case Tag::Bold:
            setStyle(m_bold, tag.closing, "b");
            return at;
        case Tag::Italic:
            setStyle(m_italic, tag.closing, "i");
            return at;
        case Tag::Line:
            endLine(false);
            return at;
        case Tag::Paragraph:
            endLine(true);
            return at;
        case Tag::Item:
            endLine(false);
            if (!tag.closing) {
                startText();
                m_line += QStringLiteral("&bull; ");
            }
            return at;
        case Tag::Cell:
            if (!tag.closing && m_lineHasText)
                space(QStringLiteral(" &middot; "));
            return at;
        case Tag::Picture:
        case Tag::Other:
            // A tag between two words keeps them apart as a browser would
            // for most of them; a space more is harmless.
            return at;
        }
        return at;
    }

    void setStyle(int& depth, bool closing, const char* name)
    {
        const int before = depth;
        depth = closing ? qMax(0, depth - 1) : qMin(depth + 1, 1000);
        // A line not yet open starts with the style as it then is.
        if ((before == 0) == (depth == 0) || !m_lineOpen)
            return;
        if (depth)
            flushSpace();
        m_line += (depth ? QStringLiteral("<%1>") : QStringLiteral("</%1>")).arg(QLatin1String(name));
    }

    void closeLink()
    {
        if (m_link)
            m_line += QStringLiteral("</a>");
        m_link = false;
    }

    // Opens a line when none is open, with the bold and italic that run on.
    void startText()
    {
        if (m_lineOpen)
            return;
        m_lineOpen = true;
        if (m_bold)
            m_line += QStringLiteral("<b>");
        if (m_italic)
            m_line += QStringLiteral("<i>");
    }

    void space(const QString& html = QStringLiteral(" "))
    {
        if (!m_lineHasText || m_pendingSpace)
            return;
        m_pendingSpace = true;
        m_pendingHtml = html;
    }

    void text(QChar ch)
    {
        if (ch.isSpace()) {
            if (m_lineChars >= PageLimits::kMaxLineChars)
                endLine(false);
            space();
            m_word = 0;
            return;
        }
        if (ch == QLatin1Char('<'))
            text(QStringView(u"&lt;"));
        else if (ch == QLatin1Char('>'))
            text(QStringView(u"&gt;"));
        else
            text(QStringView(&ch, 1));
    }

    // One visible character, as HTML.
    void text(QStringView html)
    {
        startText();
        flushSpace();
        if (m_word >= PageLimits::kMaxWordChars && !html.front().isLowSurrogate()) {
            if (m_lineChars >= PageLimits::kMaxLineChars)
                endLine(false);
            else
                m_line += kBreakHere;
            m_word = 0;
            startText();
        }
        ++m_word;
        ++m_lineChars;
        m_line += html;
        m_lineHasText = true;
        if (++m_chars >= PageLimits::kMaxTextChars)
            m_full = true;
    }

    // The space between two words goes before what opens the second.
    void flushSpace()
    {
        if (!m_pendingSpace)
            return;
        m_line += m_pendingHtml;
        m_pendingSpace = false;
        m_word = 0;
        ++m_lineChars;
    }

    // Ends the line; `paragraph` leaves room above the next one.
    void endLine(bool paragraph)
    {
        closeLink();
        if (m_lineHasText) {
            if (m_italic)
                m_line += QStringLiteral("</i>");
            if (m_bold)
                m_line += QStringLiteral("</b>");
            const bool gap = m_gapBefore && m_lines > 0;
            m_out += gap ? QStringLiteral("<p>") : QStringLiteral("<div>");
            m_out += m_line;
            m_out += gap ? QStringLiteral("</p>") : QStringLiteral("</div>");
            m_gapBefore = false;
            if (++m_lines >= PageLimits::kMaxLines)
                m_full = true;
        }
        m_gapBefore = m_gapBefore || paragraph;
        m_line.clear();
        m_lineOpen = false;
        m_lineHasText = false;
        m_pendingSpace = false;
        m_word = 0;
        m_lineChars = 0;
    }

    QStringView m_page;
    QString m_out;
    QString m_line;
    QString m_pendingHtml;
    bool m_lineOpen = false;
    bool m_lineHasText = false;
    bool m_pendingSpace = false;
    bool m_gapBefore = false;
    bool m_link = false;
    bool m_full = false;
    int m_bold = 0;
    int m_italic = 0;
    int m_word = 0;
    int m_lineChars = 0;
    int m_lines = 0;
    qsizetype m_chars = 0;
};

} // namespace

QString ReducePage(const QString& html)
{
    return Reducer(html).run();
}

QString PageCutNote()
{
    return QCoreApplication::translate("PageReduce", "The rest of this page is too long to be shown here.");
}
