#include "ui/display/titleticker.h"

const QString TitleTicker::kSeparator = QStringLiteral(" --- ");

QChar TitleTicker::next()
{
    const QChar c = m_source.at(m_pos - 1);
    ++m_pos;
    if (m_pos > m_source.size())
        m_pos = 1;
    return c;
}

void TitleTicker::Step(const QString& title, int labelWidth, bool hovered)
{
    const QString source = kSeparator + title;
    if (source != m_source) {
        m_pos = 1;
        m_source = source;
        m_text.clear();
    }
    if (m_text.isEmpty()) {
        // Enough characters to fill the label. Characters without width
        // cannot hold the loop: the separator has width, and the bound
        // stops it whatever the font says.
        const int bound = 4 * (labelWidth + 1) + 2 * int(m_source.size());
        for (int i = 0; i < bound && m_measure(m_text) < labelWidth; ++i)
            m_text += next();
    }
    if (hovered)
        return;
    if (!m_text.isEmpty()) {
        const int first = m_measure(m_text.left(1));
        if (m_left <= -first) {
            m_left += first;
            m_text.remove(0, 1);
        }
    }
    if (m_measure(QString(m_source.at(m_pos - 1))) + m_measure(m_text) < labelWidth)
        m_text += next();
    m_left -= 1;
}
