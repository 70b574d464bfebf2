#pragma once

#include <QDate>
#include <QList>

// For tests that run the real program, whose clock cannot be set from
// outside: a file name or tag date it made while the test ran carries one of
// the days from the test's start until now (two when midnight passed).
class DaysOfTheTest {
public:
    DaysOfTheTest() : m_first(QDate::currentDate()) {}

    QList<QDate> days() const
    {
        QList<QDate> all;
        const QDate today = QDate::currentDate();
        for (QDate d = m_first; d <= today && all.size() < 3; d = d.addDays(1))
            all << d;
        return all;
    }

private:
    QDate m_first;
};
