#include "listen/externalplayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace {
// Players whose command line ends its options at "--".
bool takesEndOfOptions(const QString& player)
{
    static const QStringList known = {QStringLiteral("mpv"), QStringLiteral("mplayer"), QStringLiteral("vlc"),
                                      QStringLiteral("cvlc"), QStringLiteral("ffplay")};
    return known.contains(QFileInfo(player).fileName());
}

bool isStationAddress(const QString& address)
{
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("icy"));
}
} // namespace

std::optional<QStringList> ExternalPlayerArguments(const QString& player, const QString& address, QString* refusal)
{
    const QFileInfo file(address);
    if (!isStationAddress(address) && !(file.isAbsolute() && file.isFile())) {
        if (refusal)
            *refusal = QCoreApplication::translate("ExternalPlayer",
                                                   "The external player was not started: \"%1\" is neither an http, "
                                                   "https or icy address nor the full path of an existing file.")
                           .arg(address);
        return std::nullopt;
    }
    QStringList arguments;
    if (takesEndOfOptions(player))
        arguments << QStringLiteral("--");
    arguments << address;
    return arguments;
}
