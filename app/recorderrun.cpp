#include "app/recorderrun.h"

#include "config/configuration.h"
#include "config/settings.h"
#include "listen/streamplayer.h"
#include "platform/messages.h"
#include "recorder/headlessconsole.h"

#include <QCoreApplication>
#include <QStringList>

QString CommandLineOf(int argc, char** argv)
{
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts.append(QString::fromLocal8Bit(argv[i]));
    return CommandLineText(parts);
}

int PrepareRun(const CommandLine& commandLine, TrackingMessageService& messages)
{
    QCoreApplication::setApplicationName(QStringLiteral("Tonquill"));
    const bool install = commandLine.action == CommandLine::Action::InstallAssociations;
    if (install || commandLine.action == CommandLine::Action::UninstallAssociations) {
        HeadlessConsole console(messages);
        if (install)
            console.InstallAssociations();
        else
            console.UninstallAssociations();
        return messages.count() > 0 ? 1 : 0;
    }
    SetAdvanced(GetAdvanced());
    return -1;
}

RecorderRun::RecorderRun(TrackingMessageService& messages, bool headless)
    : m_messages(messages), m_relay(messages, EmbeddedPlayerFor(headless), EmbeddedMixerFor(headless)),
      m_live365(&m_clock)
{
    Configuration().setMessageService(&messages);
}

RecorderDeps RecorderRun::deps(IRecorderHost* host)
{
    RecorderDeps deps;
    deps.clock = &m_clock;
    deps.messages = &m_messages;
    deps.sleeper = &m_sleeper;
    deps.relay = &m_relay;
    deps.host = host;
    deps.live365 = &m_live365;
    LeavePausesOutWhenAsked(deps);
    return deps;
}

void LeavePausesOutWhenAsked(RecorderDeps& deps)
{
    if (qEnvironmentVariableIntValue("TONQUILL_NO_PAUSES") == 1) {
        // For measuring the engine alone: the deliberate blocks after a
        // response header and after a new file are left out.
        deps.headerPauseMs = 0;
        deps.filePauseMs = 0;
    }
}

void RecorderRun::attach(frmMP3& recorder)
{
    ConnectLive365(m_live365, recorder.Live365(), &recorder);
    QObject::connect(&m_relay, &ctlMP3Server::RelayTaken, &recorder, &frmMP3::RelayTaken);
}
