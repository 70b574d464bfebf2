#pragma once

#include <QApplication>
#include <QFont>

// The application's font at a point size for one scope (windows made in it
// take that size); the earlier font comes back at its end.
class ScopedApplicationFont {
public:
    explicit ScopedApplicationFont(int points) : m_original(QApplication::font())
    {
        QFont font = m_original;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    ~ScopedApplicationFont() { QApplication::setFont(m_original); }
    ScopedApplicationFont(const ScopedApplicationFont&) = delete;
    ScopedApplicationFont& operator=(const ScopedApplicationFont&) = delete;

private:
    QFont m_original;
};
