#include "recorder/headlessconsole.h"

#include "config/associations.h"
#include "platform/usersignal.h"
#include "recorder/frmmp3.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <csignal>
#include <unistd.h>

QString EscapeForTerminal(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Control characters would move the cursor or recolour the terminal;
        // direction marks and overrides would reorder what follows them.
        const bool control = u < 0x20 || (u >= 0x7f && u <= 0x9f);
        const bool direction =
            u == 0x061c || u == 0x200e || u == 0x200f || (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if (control || direction)
            out += u <= 0xff ? QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'))
                             : QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

HeadlessConsole::HeadlessConsole(TrackingMessageService& messages, FILE* out, QObject* parent)
    : QObject(parent), m_messages(messages), m_out(out)
{
}

void HeadlessConsole::line(const QString& text)
{
    const QByteArray bytes = (EscapeForTerminal(m_prefix + text) + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_out);
    std::fflush(m_out);
}

void HeadlessConsole::attach(frmMP3* recorder)
{
    m_recorder = recorder;
    connect(recorder, &frmMP3::songCaptionChanged, this, [this](const QString& caption) { line(caption); });
    connect(recorder, &frmMP3::fileClosed, this, [this](const QString& path) {
        // Only a file that is there, with something in it, was saved.
        const QFileInfo info(path);
        if (info.exists() && info.size() > 0)
            line(QStringLiteral("Saved ") + path + QStringLiteral(" (") + QString::number(info.size()) +
                 QStringLiteral(" bytes)"));
    });
    connect(recorder, &frmMP3::phaseChanged, this, [this](frmMP3::Phase phase) {
        if (phase != frmMP3::Phase::Idle) {
            m_started = true;
        } else if (m_started) {
            finish(0); // the recording or its preparation has ended
        }
    });
    connect(recorder, &frmMP3::quitRequested, this, [this](int code) { finish(code); });
}

void OnStopSignals(QObject* owner, std::function<void()> stop)
{
    // A closing terminal (an ssh session that ends) stops the recording the
    // same way.
    OnSignals(owner, {SIGINT, SIGTERM, SIGHUP}, std::move(stop));
}

void HeadlessConsole::installSignalHandlers()
{
    OnStopSignals(this, [this] { stopFromSignal(); });
}

void HeadlessConsole::stopFromSignal()
{
    m_signalled = true;
    line(QStringLiteral("Stopping..."));
    if (m_recorder && m_recorder->Status().blnRecording)
        m_recorder->StopRecording();
    finish(0);
}

void HeadlessConsole::ShowPanelFromConfiguration()
{
    m_messages.ShowMessage(QStringLiteral("The control panel needs a display; \"-noop\" cannot be used without one."));
    if (m_recorder)
        m_recorder->QuitProgram(1);
}

namespace {

// One message for everything that could not be done, so the caller's exit
// status follows the messages shown.
void reportAssociations(IMessageService& messages, const QString& what, const QStringList& problems)
{
    if (!problems.isEmpty())
        messages.ShowMessage(QStringLiteral("The file associations could not be %1:\n").arg(what) +
                             problems.join(QLatin1Char('\n')));
}

} // namespace

void HeadlessConsole::InstallAssociations()
{
    reportAssociations(m_messages, QStringLiteral("installed"), InstallUserAssociations());
}

void HeadlessConsole::UninstallAssociations()
{
    reportAssociations(m_messages, QStringLiteral("removed"), UninstallUserAssociations());
}

int HeadlessConsole::exitStatus() const
{
    if (m_signalled)
        return 0;
    if (m_requestedCode != 0)
        return m_requestedCode;
    return m_messages.count() > 0 ? 1 : 0;
}

void HeadlessConsole::finish(int code)
{
    if (m_finished)
        return;
    m_finished = true;
    m_requestedCode = code;
    emit finished(exitStatus());
}
