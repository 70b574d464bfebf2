#include "server/servertoken.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace {
const int kTokenBytes = 24;
}

ServerToken LoadOrCreateServerToken(const QString& folder)
{
    ServerToken token;
    const QString path = QDir(folder).filePath(QStringLiteral("server-token"));
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            token.problem = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
            return token;
        }
        token.value = QString::fromLatin1(file.readAll()).trimmed();
        if (token.value.size() < 16)
            token.problem = QStringLiteral("%1 holds no token; delete it to have a new one made.").arg(path);
        return token;
    }
    QDir().mkpath(folder);
    QByteArray bytes(kTokenBytes, '\0');
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    token.value = QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
    // Made empty and closed to others before the secret is written into it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(token.value.toLatin1() + '\n') < 0 || !file.flush()) {
        token.problem = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        token.value.clear();
        return token;
    }
    token.created = true;
    return token;
}
