#include "ui/controls/elidedlabel.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

// A status too long for its line ends in "…" where it is cut; the whole
// text stays the label's text (what the accessibility tools read).
TEST(ElidedLabel, CutsOnlyWhatDoesNotFit)
{
    const QString longText = QStringLiteral("The server could not be reached: Connection refused by 127.0.0.1 on port 1");
    const struct {
        QString text;
        int width; // 0: as wide as the text needs
        bool cut;
    } cases[] = {
        {longText, 0, false},
        {longText, 120, true},
        {longText, 24, true},
        {QStringLiteral("Done."), 120, false},
        {QString(), 40, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        ElidedLabel label;
        label.setText(c.text);
        const int needed = label.fontMetrics().horizontalAdvance(c.text) + 2;
        label.resize(c.width > 0 ? c.width : needed, 20);
        EXPECT_EQ(label.text(), c.text);
        EXPECT_EQ(label.shownText().endsWith(QChar(0x2026)), c.cut) << label.shownText().toStdString();
        EXPECT_LE(label.fontMetrics().horizontalAdvance(label.shownText()), label.width());
        if (!c.cut)
            EXPECT_EQ(label.shownText(), c.text);
        // Any width is allowed: the label never holds its window wide.
        EXPECT_EQ(label.minimumSizeHint().width(), 0);
    }
}
