#pragma once

#include <QString>

// What the search window shows of a directory page: its text, its links, its
// line and paragraph breaks, bold and italic, and nothing else. The page's
// own structure is not kept: tables, lists and quotes become lines, so no
// nesting reaches the view deeper than a paragraph holding a link holding
// bold and italic text; pictures, sizes, styles and forms are left out; a
// word longer than kMaxWordChars gets a break opportunity (U+200B) every
// kMaxWordChars characters; a line goes on in a new one after about
// kMaxLineChars characters (a long line is laid out all at once). A page with
// more than kMaxLines lines or kMaxTextChars characters of text is cut
// there, with a line that says so.
struct PageLimits {
    static constexpr int kMaxWordChars = 40;
    static constexpr int kMaxLineChars = 1000;
    static constexpr int kMaxLines = 2000;
    static constexpr int kMaxTextChars = 60000;
};

QString ReducePage(const QString& html);

// The line that ends a page cut by the limits above.
QString PageCutNote();
