// The directory pages the search window shows: whatever their structure,
// what reaches the view is flat, bounded and without sizes of its own.
#include "sources/pagereduce.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// The deepest nesting of elements in the reduced page (void ones aside).
int depthOf(const QString& html)
{
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-z0-9]+)[^>]*>"));
    int depth = 0, deepest = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(2) == QLatin1String("br"))
            continue;
        depth += m.captured(1).isEmpty() ? 1 : -1;
        deepest = qMax(deepest, depth);
    }
    return deepest;
}

int longestWord(const QString& text)
{
    int longest = 0, run = 0;
    for (const QChar ch : text) {
        run = (ch.isSpace() || ch == QChar(0x200B)) ? 0 : run + 1;
        longest = qMax(longest, run);
    }
    return longest;
}

} // namespace

TEST(PageReduce, HostilePagesBecomeFlatBoundedText)
{
    struct Case {
        const char* what;
        QString page;
        QString mustShow; // text that must survive, "" for none
        bool cut;         // the page is longer than the view shows
    };
    const QString word(520 * 1024, QLatin1Char('w'));
    const QList<Case> cases{
        {"200 huge pictures", QStringLiteral("<img width=100000 height=100000 src=x.png>").repeated(200) + "after",
         "after", false},
        {"60,000 nested lists", QStringLiteral("<ul><li>i").repeated(60000), "• i", true},
        {"20,000 nested tables", QStringLiteral("<table width=99999><tr><td>c").repeated(20000), "c", true},
        {"40,000 nested quotes", QStringLiteral("<blockquote style=\"margin:900px\">q").repeated(40000), "q", true},
        {"one 520 KB word", "<p>" + word + "</p>", "www", true},
        {"one 500 KB paragraph", "<p>" + QStringLiteral("Lorem ipsum dolor sit amet. ").repeated(18000), "Lorem", true},
        {"deep bold and links",
         QStringLiteral("<b><i><a href=\"/x.pls?a=1&amp;b=2\">").repeated(5000) + "deep" +
             QStringLiteral("</a></i></b>").repeated(5000),
         "deep", false},
        {"an unclosed comment and script", "<p>seen<!-- <p>hidden", "seen", false},
        {"sizes and styles", "<div style=\"font-size:900px\"><font size=7 face=x>big</font></div>", "big", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString html = ReducePage(c.page);
        EXPECT_LE(depthOf(html), 5) << html.left(300).toStdString();
        EXPECT_FALSE(html.contains(QRegularExpression("<img|width|height|style|size=|<table|<ul|<li|<blockquote",
                                                      QRegularExpression::CaseInsensitiveOption)));
        QTextDocument doc;
        doc.setHtml(html);
        const QString text = doc.toPlainText();
        EXPECT_LE(longestWord(text), PageLimits::kMaxWordChars);
        EXPECT_LE(doc.blockCount(), PageLimits::kMaxLines + 1);
        int longestLine = 0;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            longestLine = qMax(longestLine, b.length());
        EXPECT_LE(longestLine, PageLimits::kMaxLineChars * 11 / 10);
        EXPECT_LE(text.size(), PageLimits::kMaxTextChars * 2 + 200);
        EXPECT_TRUE(text.contains(c.mustShow)) << text.left(200).toStdString();
        EXPECT_EQ(text.endsWith(PageCutNote()), c.cut);
    }
}

TEST(PageReduce, LinksTextAndLinesAreKept)
{
    struct Case {
        QString page, html;
    };
    const QList<Case> cases{
        {"<p>Caf&eacute; <a href=\"/sbin/tunein-station.pls?id=7&amp;x=&quot;1&quot;\" onclick=go()>Play</a>",
         "<div>Caf&eacute; <a href=\"/sbin/tunein-station.pls?id=7&amp;x=&quot;1&quot;\">Play</a></div>"},
        {"<table><tr><td>One<td>128<tr><th>Two<td>64</table>", "<div>One &middot; 128</div><div>Two &middot; 64</div>"},
        {"a<br>b<p>c</p>d", "<div>a</div><div>b</div><p>c</p><p>d</p>"},
        {"<b>bold <i>both</b> italic</i> plain", "<div><b>bold <i>both</b> italic</i> plain</div>"},
        {"1 < 2 > 0 & x <3", "<div>1 &lt; 2 &gt; 0 &amp; x &lt;3</div>"},
        {"<script>x</script><style>p{}</style><title>T</title>shown", "<div>shown</div>"},
        {"<head><title>T</title><meta charset=utf-8><body>no end of head <select>open",
         "<div>no end of head open</div>"},
        {"<a href='javascript:x'>j</a><a>no href</a>", "<div><a href=\"javascript:x\">j</a>no href</div>"},
        {QString(45, 'x') + QString::fromUtf8(" \xf0\x9f\x8e\xb5"),
         QString(40, 'x') + QChar(0x200B) + QString(5, 'x') + QString::fromUtf8(" \xf0\x9f\x8e\xb5")},
    };
    for (const Case& c : cases) {
        QString expected = c.html;
        if (!expected.startsWith('<'))
            expected = "<div>" + expected + "</div>";
        EXPECT_EQ(ReducePage(c.page), expected) << c.page.toStdString();
    }
}
