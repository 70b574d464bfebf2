#pragma once

#include <QString>

// Splits an address as a user or a web page gives it ("http://host:8000/path?q",
// "host.example:8000", "user:pw@host/x") into protocol, host, port, user name,
// password, resource and query string. Forgiving: no scheme means "http", no
// path means "/", no port means the protocol's default.
//
// Pure: no I/O. Assigning an address either succeeds and replaces every field,
// or fails, leaves every field as it was and sets ErrorText(). Assigning ""
// changes nothing and counts as success.
class CUri {
public:
    CUri() = default;
    explicit CUri(const QString& sNewUri) { setUri(sNewUri); }

    bool setUri(const QString& sNewUri);

    bool Initialized() const { return m_initialized; }
    QString Uri() const { return m_uri; }
    QString Protocol() const { return m_protocol; }
    QString Host() const { return m_host; }
    QString Resource() const { return m_resource; }
    // Resource, then "?" and the query string when there is one.
    QString FullResource() const;
    QString QueryString() const { return m_queryString; }
    QString UserName() const { return m_userName; }
    QString Username() const { return m_userName; }
    QString Password() const { return m_password; }
    int Port() const { return m_port; }

    // Why the last assignment failed; "" after a successful one.
    QString ErrorText() const { return m_error; }

    // "http" 80, "https" 443, "ftp" 21, "telnet" 23, "finger" 79, "irc" 6667,
    // compared case-sensitively; anything else 0.
    static int DefaultPort(const QString& protocol);

private:
    QString m_uri;
    QString m_protocol;
    QString m_host;
    QString m_resource;
    QString m_queryString;
    QString m_userName;
    QString m_password;
    int m_port = 0;
    bool m_initialized = false;
    QString m_error;
};
