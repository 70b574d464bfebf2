#include "icecastserver.h"

#include "tests/support/eventwait.h"
#include "tests/support/ports.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kStartAttempts = 3;
constexpr int kStopWaitMs = 3000;
constexpr int kKillWaitMs = 2000;
constexpr qsizetype kAudioToSeeBytes = 2048;
const char* const kRunUser = "nobody";

bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

QByteArray RandomPassword()
{
    QByteArray bytes(12, '\0');
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes.toHex();
}

QString XmlEscaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// The folder with Icecast's web and admin stylesheets (the status pages and
// the admin answers need them).
QString IcecastShareFolder()
{
    for (const char* dir : {"/usr/share/icecast2", "/usr/share/icecast"})
        if (QFileInfo(QString::fromLatin1(dir) + QStringLiteral("/web")).isDir())
            return QString::fromLatin1(dir);
    return {};
}

// A base for the temporary folder that `nobody` can reach: every folder on
// the way must be searchable by others.
QString ReachableTempBase()
{
    const QString base = QDir::tempPath();
    QDir dir(base);
    bool reachable = true;
    while (true) {
        const QFileInfo info(dir.absolutePath());
        if (!(info.permissions() & QFileDevice::ExeOther)) {
            reachable = false;
            break;
        }
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    return reachable ? base : QStringLiteral("/tmp");
}

bool ParseStatus(const QByteArray& header, int* status)
{
    const qsizetype lineEnd = header.indexOf('\n');
    const QList<QByteArray> words = header.left(lineEnd < 0 ? header.size() : lineEnd).trimmed().split(' ');
    if (words.size() < 2)
        return false;
    bool ok = false;
    const int code = words[1].toInt(&ok);
    if (ok)
        *status = code;
    return ok;
}

bool HasFrameSync(const QByteArray& bytes)
{
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i)
        if (quint8(bytes[i]) == 0xFF && (quint8(bytes[i + 1]) & 0xE0) == 0xE0)
            return true;
    return false;
}

}  // namespace

IcecastServer::IcecastServer()
    : IcecastServer(Options())
{
}

IcecastServer::IcecastServer(const Options& options)
    : m_options(options)
    , m_sourcePassword(RandomPassword())
    , m_adminPassword(RandomPassword())
{
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_source.setProcessChannelMode(QProcess::MergedChannels);
}

IcecastServer::~IcecastServer()
{
    Stop();
}

bool IcecastServer::Available(QString* why)
{
    QString missing;
    if (QStandardPaths::findExecutable(QStringLiteral("icecast2")).isEmpty())
        missing = QStringLiteral("icecast2");
    else if (IcecastShareFolder().isEmpty())
        missing = QStringLiteral("icecast2 (its web and admin folders)");
    else if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        missing = QStringLiteral("ffmpeg");
    else if (RunningAsRoot()) {
        if (!::getpwnam(kRunUser))
            missing = QStringLiteral("a user 'nobody' to run Icecast as (the tests run as root)");
        else if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()
                 && QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty())
            missing = QStringLiteral("setpriv or runuser, to run Icecast as 'nobody' (the tests run as root)");
    }
    if (why)
        *why = missing;
    return missing.isEmpty();
}

QString IcecastServer::Folder() const
{
    return m_dir ? m_dir->path() + QLatin1Char('/') : QString();
}

QString IcecastServer::StreamUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QString::fromLatin1(m_options.mount));
}

bool IcecastServer::IsRunning() const
{
    return m_server.state() != QProcess::NotRunning;
}

bool IcecastServer::SourceRunning() const
{
    return m_source.state() != QProcess::NotRunning;
}

QString IcecastServer::ErrorLog() const
{
    return m_dir ? QString::fromUtf8(ReadAll(Folder() + QStringLiteral("error.log"))) : QString();
}

QString IcecastServer::SourceOutput()
{
    if (m_source.isOpen())
        m_sourceOutput += m_source.readAll();
    return QString::fromLocal8Bit(m_sourceOutput);
}

bool IcecastServer::PrepareFolder()
{
    if (m_dir)
        return true;
    const QString base = RunningAsRoot() ? ReachableTempBase() : QDir::tempPath();
    auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/tonquill-icecast-XXXXXX"));
    if (!dir->isValid()) {
        m_lastError = QStringLiteral("cannot create a temporary folder in %1").arg(base);
        return false;
    }
    if (RunningAsRoot()) {
        // Icecast writes its logs and pid file here as `nobody`.
        const struct passwd* user = ::getpwnam(kRunUser);
        const QByteArray path = QFile::encodeName(dir->path());
        if (!user || ::chown(path.constData(), user->pw_uid, user->pw_gid) != 0) {
            m_lastError = QStringLiteral("cannot hand %1 to the user nobody").arg(dir->path());
            return false;
        }
        ::chmod(path.constData(), 0755);
    }
    m_dir = std::move(dir);
    return true;
}

bool IcecastServer::WriteConfig()
{
    const QString folder = m_dir->path();
    const QString share = IcecastShareFolder();
    const QString burst = m_options.burstSize > 0 ? QStringLiteral("1") : QStringLiteral("0");
    QString mountSection;
    if (m_options.metaInterval > 0)
        mountSection = QStringLiteral("  <mount type=\"normal\">\n"
                                      "    <mount-name>%1</mount-name>\n"
                                      "    <mp3-metadata-interval>%2</mp3-metadata-interval>\n"
                                      "%3"
                                      "  </mount>\n")
                           .arg(XmlEscaped(QString::fromLatin1(m_options.mount)))
                           .arg(m_options.metaInterval)
                           .arg(m_options.charset.isEmpty()
                                    ? QString()
                                    : QStringLiteral("    <charset>%1</charset>\n")
                                          .arg(XmlEscaped(QString::fromLatin1(m_options.charset))));
    const QString xml =
        QStringLiteral("<icecast>\n"
                       "  <location>127.0.0.1</location>\n"
                       "  <admin>test@localhost</admin>\n"
                       "  <limits>\n"
                       "    <clients>20</clients>\n"
                       "    <sources>2</sources>\n"
                       "    <queue-size>524288</queue-size>\n"
                       "    <client-timeout>30</client-timeout>\n"
                       "    <header-timeout>15</header-timeout>\n"
                       "    <source-timeout>10</source-timeout>\n"
                       "    <burst-on-connect>%1</burst-on-connect>\n"
                       "    <burst-size>%2</burst-size>\n"
                       "  </limits>\n"
                       "  <authentication>\n"
                       "    <source-password>%3</source-password>\n"
                       "    <relay-password>%4</relay-password>\n"
                       "    <admin-user>admin</admin-user>\n"
                       "    <admin-password>%4</admin-password>\n"
                       "  </authentication>\n"
                       "  <hostname>127.0.0.1</hostname>\n"
                       "  <listen-socket>\n"
                       "    <port>%5</port>\n"
                       "    <bind-address>127.0.0.1</bind-address>\n"
                       "  </listen-socket>\n"
                       "%6"
                       "  <fileserve>1</fileserve>\n"
                       "  <paths>\n"
                       "    <basedir>%7</basedir>\n"
                       "    <logdir>%7</logdir>\n"
                       "    <pidfile>%7/icecast.pid</pidfile>\n"
                       "    <webroot>%8/web</webroot>\n"
                       "    <adminroot>%8/admin</adminroot>\n"
                       "  </paths>\n"
                       "  <logging>\n"
                       "    <accesslog>access.log</accesslog>\n"
                       "    <errorlog>error.log</errorlog>\n"
                       "    <loglevel>3</loglevel>\n"
                       "    <logsize>10000</logsize>\n"
                       "  </logging>\n"
                       "  <security>\n"
                       "    <chroot>0</chroot>\n"
                       "  </security>\n"
                       "</icecast>\n")
            .arg(burst)
            .arg(qMax(0, m_options.burstSize))
            .arg(QString::fromLatin1(m_sourcePassword), QString::fromLatin1(m_adminPassword))
            .arg(m_port)
            .arg(mountSection, XmlEscaped(folder), XmlEscaped(share));
    m_configPath = folder + QStringLiteral("/icecast.xml");
    if (!WriteAll(m_configPath, xml.toUtf8())) {
        m_lastError = QStringLiteral("cannot write %1").arg(m_configPath);
        return false;
    }
    QFile::setPermissions(m_configPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                            | QFileDevice::ReadOther);
    return true;
}

bool IcecastServer::Start()
{
    if (IsRunning())
        return true;
    QString why;
    if (!Available(&why)) {
        m_lastError = why;
        return false;
    }
    if (!PrepareFolder())
        return false;
    QString errors;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (StartOnce())
            return true;
        errors += QStringLiteral("attempt %1 on port %2: %3\n").arg(attempt + 1).arg(m_port).arg(m_lastError);
        StopServerProcess();
    }
    m_lastError = errors;
    m_port = 0;
    return false;
}

bool IcecastServer::StartOnce()
{
    // A port that is free now; another program may take it before Icecast
    // binds it (Icecast then ends), which is why Start tries more than once,
    // each time with a new port and config. Anywhere in the port range,
    // above 32767 included.
    m_port = static_cast<quint16>(UnusedPort(20000, 64999));
    if (m_port == 0) {
        m_lastError = QStringLiteral("no free port on 127.0.0.1");
        return false;
    }
    if (!WriteConfig())
        return false;
    m_serverOutput.clear();
    const QString icecast = QStandardPaths::findExecutable(QStringLiteral("icecast2"));
    QString program = icecast;
    QStringList arguments{QStringLiteral("-c"), m_configPath};
    if (RunningAsRoot()) {
        const struct passwd* user = ::getpwnam(kRunUser);
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (!setpriv.isEmpty()) {
            // setpriv execs Icecast itself, so the process we hold is the server.
            program = setpriv;
            arguments = QStringList{QStringLiteral("--reuid=%1").arg(user->pw_uid),
                                    QStringLiteral("--regid=%1").arg(user->pw_gid), QStringLiteral("--clear-groups"),
                                    QStringLiteral("--"), icecast}
                        + arguments;
        } else {
            program = QStandardPaths::findExecutable(QStringLiteral("runuser"));
            arguments = QStringList{QStringLiteral("-u"), QString::fromLatin1(kRunUser), QStringLiteral("--"), icecast}
                        + arguments;
        }
    }
    m_server.setWorkingDirectory(m_dir->path());
    m_server.start(program, arguments);
    if (!m_server.waitForStarted(5000)) {
        m_lastError = QStringLiteral("%1 did not start: %2").arg(program, m_server.errorString());
        return false;
    }
    return WaitUntilAnswering(m_options.startTimeoutMs);
}

bool IcecastServer::WaitUntilAnswering(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (!IsRunning()) {
            m_serverOutput += m_server.readAll();
            m_lastError = QStringLiteral("icecast2 ended (exit code %1): %2\nerror log:\n%3")
                              .arg(m_server.exitCode())
                              .arg(QString::fromLocal8Bit(m_serverOutput), ErrorLog());
            return false;
        }
        // Asked as admin: only our own server knows the password, so a
        // program that took the port meanwhile does not pass for it.
        const HttpAnswer answer = Get("/admin/stats", true, 1000);
        if (answer.status == 200 && answer.body.contains("icestats"))
            return true;
        WaitUntil([&] { return !IsRunning(); }, 50);
    }
    m_serverOutput += m_server.readAll();
    m_lastError = QStringLiteral("icecast2 did not answer on port %1 within %2 ms: %3\nerror log:\n%4")
                      .arg(m_port)
                      .arg(timeoutMs)
                      .arg(QString::fromLocal8Bit(m_serverOutput), ErrorLog());
    return false;
}

void IcecastServer::Stop()
{
    StopSource();
    StopServerProcess();
}

void IcecastServer::StopServerProcess()
{
    if (IsRunning()) {
        m_server.terminate();
        if (!m_server.waitForFinished(kStopWaitMs)) {
            m_server.kill();
            m_server.waitForFinished(kKillWaitMs);
        }
    }
    if (m_server.isOpen())
        m_serverOutput += m_server.readAll();
    KillLeftoverServer();
}

// When Icecast was started through a program that does not exec it
// (runuser), killing that program can leave the server behind: the pid file
// names it, and its command line names our config.
void IcecastServer::KillLeftoverServer()
{
    if (!m_dir)
        return;
    const QString pidPath = Folder() + QStringLiteral("icecast.pid");
    const qint64 pid = ReadAll(pidPath).trimmed().toLongLong();
    QFile::remove(pidPath);
    if (pid <= 1)
        return;
    const QByteArray cmdline = ReadAll(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (cmdline.isEmpty() || !cmdline.contains(QFile::encodeName(m_configPath)))
        return;
    ::kill(pid_t(pid), SIGTERM);
    if (!WaitUntil([&] { return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)); }, kStopWaitMs))
        ::kill(pid_t(pid), SIGKILL);
}

bool IcecastServer::StartSource(const SourceOptions& options)
{
    if (!IsRunning()) {
        m_lastError = QStringLiteral("the server is not running");
        return false;
    }
    StopSource();
    m_sourceOutput.clear();
    QStringList arguments{QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                          QStringLiteral("warning")};
    if (options.realTime)
        arguments << QStringLiteral("-re");
    if (options.inputFile.isEmpty())
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("sine=frequency=%1:sample_rate=%2:duration=%3")
                         .arg(options.frequency)
                         .arg(options.sampleRate)
                         .arg(options.durationSeconds);
    else
        arguments << QStringLiteral("-stream_loop") << QStringLiteral("-1") << QStringLiteral("-i")
                  << options.inputFile;
    arguments << QStringLiteral("-vn");
    if (options.copyAudio && !options.inputFile.isEmpty())
        arguments << QStringLiteral("-c:a") << QStringLiteral("copy");
    else
        arguments << QStringLiteral("-ac") << QString::number(options.channels) << QStringLiteral("-ar")
                  << QString::number(options.sampleRate) << QStringLiteral("-c:a")
                  << (options.aac ? QStringLiteral("aac") : QStringLiteral("libmp3lame")) << QStringLiteral("-b:a")
                  << QStringLiteral("%1k").arg(options.bitRateKbps);
    arguments << QStringLiteral("-content_type")
              << (options.aac ? QStringLiteral("audio/aac") : QStringLiteral("audio/mpeg"))
              << QStringLiteral("-ice_name") << options.name << QStringLiteral("-ice_genre") << options.genre
              << QStringLiteral("-ice_description") << options.description << QStringLiteral("-ice_public")
              << QStringLiteral("0") << QStringLiteral("-f")
              << (options.aac ? QStringLiteral("adts") : QStringLiteral("mp3"))
              << QStringLiteral("icecast://source:%1@127.0.0.1:%2%3")
                     .arg(QString::fromLatin1(m_sourcePassword))
                     .arg(m_port)
                     .arg(QString::fromLatin1(m_options.mount));
    if (!options.aac) {
        // Plain MP3 frames: no ID3v2 tag or Xing frame at the start of the stream.
        const qsizetype target = arguments.size() - 1;
        arguments.insert(target, QStringLiteral("0"));
        arguments.insert(target, QStringLiteral("-write_xing"));
        arguments.insert(target, QStringLiteral("0"));
        arguments.insert(target, QStringLiteral("-id3v2_version"));
    }
    m_source.start(QStringLiteral("ffmpeg"), arguments);
    if (!m_source.waitForStarted(5000)) {
        m_lastError = QStringLiteral("ffmpeg did not start: %1").arg(m_source.errorString());
        return false;
    }
    // A wrong option or a refused login ends ffmpeg at once.
    WaitUntil([this] { return !SourceRunning(); }, 300);
    if (!SourceRunning()) {
        m_lastError = QStringLiteral("ffmpeg ended at once (exit code %1): %2")
                          .arg(m_source.exitCode())
                          .arg(SourceOutput());
        return false;
    }
    return true;
}

void IcecastServer::StopSource()
{
    if (SourceRunning()) {
        m_source.terminate();
        if (!m_source.waitForFinished(kStopWaitMs)) {
            m_source.kill();
            m_source.waitForFinished(kKillWaitMs);
        }
    }
    if (m_source.isOpen())
        m_sourceOutput += m_source.readAll();
}

bool IcecastServer::WaitForMount(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    auto failed = [&](const QString& what) {
        m_lastError = QStringLiteral("%1\nffmpeg: %2\nerror log:\n%3").arg(what, SourceOutput(), ErrorLog());
        return false;
    };
    // First the server lists the mount: the source has logged in.
    while (true) {
        if (!IsRunning())
            return failed(QStringLiteral("the server is not running"));
        if (!SourceRunning())
            return failed(QStringLiteral("the source ended"));
        const HttpAnswer status = Get("/status-json.xsl", false, 1000);
        if (status.status == 200 && status.body.contains(m_options.mount + '"'))
            break;
        if (deadline.hasExpired())
            return failed(QStringLiteral("the mount did not come up within %1 ms").arg(timeoutMs));
        WaitUntil([&] { return !IsRunning() || !SourceRunning(); }, 50);
    }
    // Then a listener gets MP3 frames from it.
    QTcpSocket socket;
    QByteArray received;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, m_port);
    WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState
                           || socket.state() == QAbstractSocket::UnconnectedState; },
              int(qMax<qint64>(1, deadline.remainingTime())));
    if (socket.state() != QAbstractSocket::ConnectedState)
        return failed(QStringLiteral("cannot connect to the mount"));
    socket.write("GET " + m_options.mount + " HTTP/1.0\r\nHost: 127.0.0.1:" + QByteArray::number(m_port)
                 + "\r\nUser-Agent: tonquill-tests\r\nIcy-MetaData:0\r\n\r\n");
    auto audio = [&] {
        const qsizetype end = received.indexOf("\r\n\r\n");
        return end < 0 ? QByteArray() : received.mid(end + 4);
    };
    const bool flowing = WaitUntil(
        [&] {
            const QByteArray body = audio();
            return (body.size() >= kAudioToSeeBytes && HasFrameSync(body))
                   || socket.state() == QAbstractSocket::UnconnectedState;
        },
        int(qMax<qint64>(1, deadline.remainingTime())));
    QObject::disconnect(&socket, nullptr, nullptr, nullptr);
    socket.abort();
    int code = 0;
    ParseStatus(received, &code);
    if (!flowing || code != 200 || audio().size() < kAudioToSeeBytes)
        return failed(QStringLiteral("no audio from the mount (status %1, %2 bytes): %3")
                          .arg(code)
                          .arg(received.size())
                          .arg(QString::fromLatin1(received.left(300))));
    return true;
}

bool IcecastServer::SetTitle(const QString& title, int timeoutMs)
{
    return SetTitleBytes(title.toUtf8(), timeoutMs);
}

bool IcecastServer::SetTitleBytes(const QByteArray& song, int timeoutMs, const QByteArray& charset)
{
    // No charset parameter: Icecast then hands the bytes on as they came.
    QByteArray path = "/admin/metadata?mount=" + m_options.mount.toPercentEncoding("/")
                      + "&mode=updinfo&song=" + song.toPercentEncoding();
    if (!charset.isEmpty())
        path += "&charset=" + charset;
    const HttpAnswer answer = Get(path, true, timeoutMs);
    if (answer.status != 200) {
        m_lastError = QStringLiteral("title update answered %1: %2%3")
                          .arg(answer.status)
                          .arg(QString::fromLatin1(answer.header), QString::fromUtf8(answer.body.left(500)));
        return false;
    }
    return true;
}

IcecastServer::HttpAnswer IcecastServer::Get(const QByteArray& pathAndQuery, bool asAdmin, int timeoutMs) const
{
    HttpAnswer answer;
    if (m_port == 0)
        return answer;
    QDeadlineTimer deadline(timeoutMs);
    QTcpSocket socket;
    QByteArray received;
    bool closed = false;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, [&] { closed = true; });
    socket.connectToHost(QHostAddress::LocalHost, m_port);
    WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState
                           || socket.state() == QAbstractSocket::UnconnectedState; },
              int(qMax<qint64>(1, deadline.remainingTime())));
    answer.connected = socket.state() == QAbstractSocket::ConnectedState;
    if (!answer.connected)
        return answer;
    QByteArray request = "GET " + pathAndQuery + " HTTP/1.0\r\nHost: 127.0.0.1:" + QByteArray::number(m_port)
                         + "\r\nUser-Agent: tonquill-tests\r\n";
    if (asAdmin)
        request += "Authorization: Basic " + ("admin:" + m_adminPassword).toBase64() + "\r\n";
    request += "Connection: close\r\n\r\n";
    socket.write(request);
    WaitUntil([&] { return closed || socket.state() == QAbstractSocket::UnconnectedState; },
              int(qMax<qint64>(1, deadline.remainingTime())));
    received += socket.readAll();
    QObject::disconnect(&socket, nullptr, nullptr, nullptr);
    socket.abort();
    const qsizetype end = received.indexOf("\r\n\r\n");
    answer.complete = end >= 0;
    answer.header = answer.complete ? received.left(end + 4) : received;
    answer.body = answer.complete ? received.mid(end + 4) : QByteArray();
    ParseStatus(answer.header, &answer.status);
    return answer;
}

// An attribute or an <ID> element, depending on Icecast's version.
QList<QByteArray> IcecastServer::ListenerIds() const
{
    const QByteArray xml = Get("/admin/listclients?mount=" + m_options.mount, true).body;
    QList<QByteArray> ids;
    static const QRegularExpression listener(QStringLiteral("<listener\\b([^>]*)>(.*?)</listener>"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression id(QStringLiteral("id=\"(\\d+)\"|<ID>(\\d+)</ID>"));
    for (auto it = listener.globalMatch(QString::fromUtf8(xml)); it.hasNext();) {
        const QRegularExpressionMatch m = id.match(it.next().captured(0));
        if (m.hasMatch())
            ids.append((m.captured(1) + m.captured(2)).toLatin1());
    }
    return ids;
}

int IcecastServer::KickListeners() const
{
    const QList<QByteArray> ids = ListenerIds();
    for (const QByteArray& id : ids) {
        if (Get("/admin/killclient?mount=" + m_options.mount + "&id=" + id, true).status != 200)
            return -1;
    }
    return int(ids.size());
}
