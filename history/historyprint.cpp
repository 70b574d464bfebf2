#include "history/historyprint.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString isoWithOffset(const QDateTime& time)
{
    if (!time.isValid())
        return QString();
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QByteArray PlaysAsText(const std::vector<Play>& plays)
{
    QByteArray out;
    for (const Play& p : plays) {
        const QDateTime start = p.start.toLocalTime();
        QString line = start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" - ");
        if (!p.end.isValid()) {
            line += QStringLiteral("...");
        } else {
            const QDateTime end = p.end.toLocalTime();
            line += end.date() == start.date() ? end.toString(QStringLiteral("HH:mm:ss"))
                                               : end.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        line += QStringLiteral("  [") + p.station + QStringLiteral("] ") + p.title + QStringLiteral("  (") + p.state +
                QLatin1Char(')');
        if (!p.file.isEmpty())
            line += QStringLiteral("  ") + p.file;
        out += line.toUtf8() + '\n';
    }
    return out;
}

QByteArray PlaysAsJson(const std::vector<Play>& plays)
{
    QJsonArray array;
    for (const Play& p : plays) {
        QJsonObject o;
        o.insert(QStringLiteral("station"), p.station);
        o.insert(QStringLiteral("title"), p.title);
        o.insert(QStringLiteral("artist"), p.artist);
        o.insert(QStringLiteral("start"), isoWithOffset(p.start));
        o.insert(QStringLiteral("end"), p.end.isValid() ? QJsonValue(isoWithOffset(p.end)) : QJsonValue());
        o.insert(QStringLiteral("file"), p.file);
        o.insert(QStringLiteral("state"), p.state);
        array.append(o);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}
