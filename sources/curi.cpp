#include "sources/curi.h"

#include <QCoreApplication>

namespace {

// The splitting rules below count positions from 1 and use 0 for "not found";
// these helpers keep that arithmetic readable.
int inStr(int start, const QString& text, const QString& what)
{
    if (start < 1 || start > text.size())
        return 0;
    const qsizetype at = text.indexOf(what, start - 1);
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

QString left(const QString& text, int count)
{
    return count <= 0 ? QString() : text.left(count);
}

// From position `from` (1-based) to the end.
QString midFrom(const QString& text, int from)
{
    return from > text.size() ? QString() : text.mid(from - 1);
}

QString parseProtocol(const QString& u)
{
    const int s = inStr(1, u, QStringLiteral("/"));
    const int c = inStr(1, u, QStringLiteral(":"));
    // The first slash follows the colon directly, as in "scheme://".
    const bool schemeLike = s >= 1 && s <= c + 1;
    if ((s != 0 || c != 0) && !schemeLike) {
        // "word:rest" names a protocol; "host.name:port" or "user@..." does not.
        const QString head = left(u, c);
        if (c >= 1 && !head.contains(QLatin1Char('.')) && !head.contains(QLatin1Char('@')))
            return left(u, c - 1);
        return QStringLiteral("http");
    }
    const int p = inStr(1, u, QStringLiteral("://"));
    if (p >= 1 && p <= s - 1)
        return left(u, p - 1);
    return QStringLiteral("http");
}

// Accepts a decimal number, surrounding blanks allowed.
bool parsePortText(const QString& text, qint64& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    qint64 v = 0;
    for (const QChar ch : t) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
        v = v * 10 + (ch.unicode() - '0');
        if (v > 1000000)
            v = 1000000; // far out of range already; keeps the sum bounded
    }
    value = v;
    return true;
}

} // namespace

int CUri::DefaultPort(const QString& protocol)
{
    if (protocol == QLatin1String("http"))
        return 80;
    if (protocol == QLatin1String("https"))
        return 443;
    if (protocol == QLatin1String("ftp"))
        return 21;
    if (protocol == QLatin1String("telnet"))
        return 23;
    if (protocol == QLatin1String("finger"))
        return 79;
    if (protocol == QLatin1String("irc"))
        return 6667;
    return 0;
}

QString CUri::FullResource() const
{
    if (m_queryString.isEmpty())
        return m_resource;
    return m_resource + QLatin1Char('?') + m_queryString;
}

bool CUri::setUri(const QString& sNewUri)
{
    if (sNewUri.isEmpty()) {
        m_error.clear();
        return true;
    }
    QString u = sNewUri;
    u.replace(QLatin1Char('\\'), QLatin1Char('/'));

    const QString protocol = parseProtocol(u);
    if (protocol.isEmpty()) {
        m_error = QCoreApplication::translate("cURI", "The address \"%1\" begins with \":\" and names no protocol")
                      .arg(sNewUri);
        return false;
    }

    // Where the authority (user, password, host, port) begins.
    const int L = static_cast<int>(protocol.size());
    int e = 0;
    if (inStr(L, u, QStringLiteral("://")) == L + 1)
        e = L + 3;
    else if (inStr(L, u, QStringLiteral(":")) == L + 1)
        e = L + 1;
    const int slash = inStr(e + 1, u, QStringLiteral("/"));
    const QString authority = slash ? u.mid(e, slash - (e + 1)) : midFrom(u, e + 1);

    const qsizetype at = authority.indexOf(QLatin1Char('@'));
    const QString hostPort = at >= 0 ? authority.mid(at + 1) : authority;
    const qsizetype colon = hostPort.indexOf(QLatin1Char(':'));
    const QString host = colon >= 0 ? hostPort.left(colon) : hostPort;

    int port = 0;
    if (colon >= 0 && !hostPort.mid(colon + 1).trimmed().isEmpty()) {
        // Any TCP port, 1 to 65535; other text after the colon is no port.
        const QString portText = hostPort.mid(colon + 1).trimmed();
        qint64 value = 0;
        if (!parsePortText(portText, value) || value < 1 || value > 65535) {
            m_error = QCoreApplication::translate("cURI", "\"%1\" in \"%2\" is not a port (1 to 65535)")
                          .arg(portText, sNewUri);
            return false;
        }
        port = static_cast<int>(value);
    }
    if (port == 0)
        port = DefaultPort(protocol);

    QString userName;
    QString password;
    if (at >= 0) {
        const QString credentials = authority.left(at);
        const qsizetype sep = credentials.indexOf(QLatin1Char(':'));
        userName = sep >= 0 ? credentials.left(sep) : credentials;
        if (sep >= 0)
            password = credentials.mid(sep + 1);
    }

    // The path is what follows the authority where it was read.
    QString path = u.mid(e + authority.size());
    if (path.isEmpty())
        path = QStringLiteral("/");
    const qsizetype question = path.indexOf(QLatin1Char('?'));
    const QString resource = question >= 0 ? path.left(question) : path;
    const QString query = question >= 0 ? path.mid(question + 1) : QString();

    m_uri = sNewUri;
    m_protocol = protocol;
    m_host = host;
    m_port = port;
    m_userName = userName;
    m_password = password;
    m_resource = resource;
    m_queryString = query;
    m_initialized = true;
    m_error.clear();
    return true;
}
