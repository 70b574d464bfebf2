#pragma once

#include <QString>

#include <functional>

// The scrolling title of the recording display. The label, as wide as its
// viewport, holds `text`; each step moves it one pixel left, and once the
// first character has scrolled fully out of view the label moves right by
// that character's width and the character is dropped, while characters of
// the source (" --- " and the title, round and round) are appended as long
// as they fit.
class TitleTicker {
public:
    using Measure = std::function<int(const QString&)>;

    // `measure` gives a text's width in pixels.
    explicit TitleTicker(Measure measure) : m_measure(std::move(measure)) {}

    // One step for `title` in a label `labelWidth` wide. `hovered` freezes
    // the scroll (a new title still restarts it).
    void Step(const QString& title, int labelWidth, bool hovered);

    const QString& text() const { return m_text; }      // TickerText
    const QString& source() const { return m_source; }  // TickerSource
    int position() const { return m_pos; }              // TickerPos, 1-based
    int left() const { return m_left; }                 // the label's left, in pixels
    void setLeft(int left) { m_left = left; }

    static const QString kSeparator;

private:
    QChar next();

    Measure m_measure;
    QString m_text;
    QString m_source;
    int m_pos = 1;
    int m_left = 0;
};
