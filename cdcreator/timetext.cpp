#include "cdcreator/timetext.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

QString TwoDigits(long long value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString Tr(const char* text)
{
    return QCoreApplication::translate("TimeText", text);
}

// The number with its unit: the short unit when another field is shown,
// else the full word, plural unless the number is 1.
QString WordPart(long long value, bool othersNonZero, const QString& shortUnit, const char* one, const char* many)
{
    if (value == 0)
        return QString();
    const QString text = QString::number(value);
    if (othersNonZero)
        return text + shortUnit;
    return text + Tr(value == 1 ? one : many);
}

} // namespace

ClockParts SplitSeconds(float seconds)
{
    // Far beyond any disc; keeps the hour count inside a 64-bit integer.
    constexpr double kLargest = 3.6e15;
    double t = seconds;
    if (!std::isfinite(t) || t < 0)
        t = 0;
    if (t > kLargest)
        t = kLargest;
    // The split works on the remainders themselves rather than on fractions of
    // an hour, so a value such as 59.5 keeps its exact half.
    double hours = std::floor(t / 3600.0);
    double rest = t - hours * 3600.0;
    if (rest >= 3600.0) {
        hours += 1;
        rest -= 3600.0;
    }
    double minutes = std::floor(rest / 60.0);
    if (minutes >= 60) {
        minutes = 0;
        hours += 1;
        rest = 0;
    }
    double secondsLeft = std::max(0.0, rest - minutes * 60.0);
    ClockParts parts;
    parts.hours = static_cast<long long>(hours);
    parts.minutes = static_cast<int>(minutes);
    // Default rounding mode: to nearest, halves to the even number.
    parts.seconds = static_cast<int>(std::nearbyint(secondsLeft));
    if (parts.seconds >= 60) {
        parts.seconds = 0;
        parts.minutes += 1;
        if (parts.minutes > 59) {
            parts.minutes = 0;
            parts.hours += 1;
        }
    }
    return parts;
}

QString SecondsToText(float seconds, bool blnClock, bool blnPadded, bool blnLongUnits)
{
    const ClockParts p = SplitSeconds(seconds);
    const long long h = p.hours;
    const int m = p.minutes;
    const int s = p.seconds;
    if (blnClock) {
        QString text;
        if (blnPadded) {
            if (h != 0)
                text = TwoDigits(h) + QLatin1Char(':');
            text += TwoDigits(m);
        } else if (h != 0 && m != 0) {
            text = QString::number(h) + QLatin1Char(':') + TwoDigits(m);
        } else if (h != 0) {
            text = QString::number(h) + QStringLiteral(":00");
        } else if (m != 0) {
            text = QString::number(m);
        }
        return text + QLatin1Char(':') + TwoDigits(s);
    }
    const QString hourUnit =
        blnLongUnits ? Tr(QT_TRANSLATE_NOOP("TimeText", " hr ")) : Tr(QT_TRANSLATE_NOOP("TimeText", " h "));
    const QString minuteUnit =
        blnLongUnits ? Tr(QT_TRANSLATE_NOOP("TimeText", " min ")) : Tr(QT_TRANSLATE_NOOP("TimeText", " m "));
    const QString secondUnit =
        blnLongUnits ? Tr(QT_TRANSLATE_NOOP("TimeText", " sec")) : Tr(QT_TRANSLATE_NOOP("TimeText", " s"));
    QString text = WordPart(h, m != 0 || s != 0, hourUnit, QT_TRANSLATE_NOOP("TimeText", " hour"),
                            QT_TRANSLATE_NOOP("TimeText", " hours"));
    text += WordPart(m, h != 0 || s != 0, minuteUnit, QT_TRANSLATE_NOOP("TimeText", " minute"),
                     QT_TRANSLATE_NOOP("TimeText", " minutes"));
    text += WordPart(s, h != 0 || m != 0, secondUnit, QT_TRANSLATE_NOOP("TimeText", " second"),
                     QT_TRANSLATE_NOOP("TimeText", " seconds"));
    if (text.isEmpty())
        text = Tr(QT_TRANSLATE_NOOP("TimeText", "0 seconds"));
    return text;
}

QString FormatBytes(double bytes)
{
    if (!(bytes > 0))
        return Tr(QT_TRANSLATE_NOOP("TimeText", "0 Bytes"));
    const double kib = bytes / 1024.0;
    // "0.00": two decimals, halves rounded away from zero.
    auto fixed2 = [](double value) { return QString::number(std::round(value * 100.0) / 100.0, 'f', 2); };
    if (kib > 1024.0)
        return fixed2(kib / 1024.0) + QStringLiteral(" MB");
    return fixed2(kib) + QStringLiteral(" KB");
}

QString FileNameFromPath(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? path : path.mid(cut + 1);
}

bool HasQueueableExtension(const QString& name)
{
    const QString tail = name.right(3).toLower();
    return tail == QLatin1String("wma") || tail == QLatin1String("mp3") || tail == QLatin1String("wav") ||
           tail == QLatin1String("ogg") || tail == QLatin1String("mp2");
}

QString QueueEntryText(int zeroBasedIndex, const QString& path, double seconds)
{
    return Tr(QT_TRANSLATE_NOOP("TimeText", "Audio Track ")) + TwoDigits(zeroBasedIndex + 1) + QStringLiteral(" (") +
           FileNameFromPath(path) + QStringLiteral(")  ") + SecondsToText(static_cast<float>(seconds));
}
