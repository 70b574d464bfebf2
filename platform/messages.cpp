#include "platform/messages.h"

#include <cstdio>

void StderrMessageService::Raise(const Message& message, std::function<void()> dismissed)
{
    QString line = message.text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray out = (m_title + QLatin1String(": ") + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
    if (dismissed)
        dismissed();
}
