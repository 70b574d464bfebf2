#include "app/serverun.h"

#include "app/programtranslations.h"
#include "app/recorderrun.h"
#include "app/serveengine.h"
#include "app/sidebysiderun.h"
#include "history/historystore.h"
#include "platform/atscheduler.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "server/apiserver.h"
#include "server/servedstations.h"
#include "server/servertoken.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {

void say(const QString& text)
{
    std::fprintf(stderr, "Tonquill: %s\n", qPrintable(text));
}

} // namespace

QString ListenWarning(const QHostAddress& address, bool tls, const QString& listen)
{
    if (tls || address.isLoopback())
        return QString();
    return QStringLiteral("warning: %1 is reachable from other machines and the traffic is not encrypted; "
                          "anyone on the way can read the token. --tls-cert FILE --tls-key FILE serve HTTPS.")
        .arg(listen);
}

int RunServer(int argc, char** argv, const CommandLine& commandLine)
{
    QCoreApplication app(argc, argv);
    StderrMessageService shown(QStringLiteral("Tonquill"));
    TrackingMessageService messages(shown);
    if (const int status = PrepareRun(commandLine, messages); status >= 0)
        return status;
    if (!commandLine.problem.isEmpty()) {
        say(commandLine.problem);
        return 2;
    }
    const qsizetype colon = commandLine.listen.lastIndexOf(QLatin1Char(':'));
    QString host = commandLine.listen.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const QHostAddress address(host);
    if (address.isNull()) {
        say(QStringLiteral("\"%1\" is no IP address to listen on.").arg(host));
        return 2;
    }
    const bool tls = !commandLine.tlsCertificate.isEmpty();
    if (const QString warning = ListenWarning(address, tls, commandLine.listen); !warning.isEmpty())
        say(warning);
    const ServerToken token = LoadOrCreateServerToken(ProgramFolders::ConfigFolder());
    if (!token.problem.isEmpty()) {
        say(token.problem);
        return 1;
    }

    SideBySideRun run;
    ServeEngine engine(run);
    // The station list of the folder the program starts in, as the panel's.
    ServedStations stations(QStringLiteral("Playlist.txt"), ProgramFolders::PresetsFolder(false));
    ApiServer server(token.value, HistoryStore::DefaultPath());
    server.SetStations(&stations);
    server.SetRecordings(&engine);
    SystemCommandRunner runner;
    AtScheduler scheduler(runner);
    server.SetScheduler(&scheduler, QCoreApplication::applicationFilePath(),
                        ProgramFolders::DataFolder() + QStringLiteral("Scheduled/"));
    server.SetCatalogues(TranslationFolders(), QLocale::system().uiLanguages());
    QObject::connect(&engine, &ServeEngine::changed, &server, &ApiServer::PublishRecording);
    if (tls) {
        QString problem;
        if (!server.UseTls(commandLine.tlsCertificate, commandLine.tlsKey, &problem)) {
            say(problem);
            return 1;
        }
    }
    const quint16 port = server.Listen(address, quint16(commandLine.listen.mid(colon + 1).toUInt()));
    if (port == 0) {
        say(QStringLiteral("cannot listen on %1.").arg(commandLine.listen));
        return 1;
    }
    if (token.created)
        std::printf("The token for this server (kept in %sserver-token): %s\n",
                    qPrintable(ProgramFolders::ConfigFolder()), qPrintable(token.value));
    std::printf("Serving on %s://%s:%u/\n", tls ? "https" : "http",
                qPrintable(address.protocol() == QAbstractSocket::IPv6Protocol ? '[' + address.toString() + ']'
                                                                               : address.toString()),
                unsigned(port));
    std::fflush(stdout);

    // A signal closes and tags every file; then the program ends.
    OnStopSignals(&app, [&run] {
        run.StopAll();
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    });
    run.InstallSaveSignalHandler();
    run.Start({}, {});
    return app.exec();
}
