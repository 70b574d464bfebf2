#pragma once

#include "stationprocess.h"

#include "tests/support/eventwait.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>

// One run of `tonquill` with its own home folder.
class Tonquill {
public:
    explicit Tonquill(const QString& home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TONQUILL_HEADLESS"), QStringLiteral("1"));
        env.insert(QStringLiteral("TONQUILL_HOME"), home);
        m_process.setProcessEnvironment(env);
    }
    // Set before Start.
    void SetEnvironment(const QString& name, const QString& value)
    {
        QProcessEnvironment env = m_process.processEnvironment();
        env.insert(name, value);
        m_process.setProcessEnvironment(env);
    }
    // Set before Start.
    void SetWorkingDirectory(const QString& folder) { m_process.setWorkingDirectory(folder); }
    ~Tonquill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    bool Start(const QStringList& args)
    {
        m_process.start(BuildDir() + QStringLiteral("/app/tonquill"), args);
        return m_process.waitForStarted(5000);
    }
    bool WaitForOutput(const QByteArray& text, int timeoutMs)
    {
        return WaitUntil([&] { return Output().contains(text) || m_process.state() == QProcess::NotRunning; }, timeoutMs) &&
               Output().contains(text);
    }
    bool WaitForEnd(int timeoutMs)
    {
        return WaitUntil([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    }
    void Signal(int sig) { ::kill(static_cast<pid_t>(m_process.processId()), sig); }
    QByteArray Output()
    {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    QByteArray Errors()
    {
        m_err += m_process.readAllStandardError();
        return m_err;
    }
    qint64 Pid() const { return m_process.processId(); }
    int ExitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return m_process.exitStatus(); }

private:
    QProcess m_process;
    QByteArray m_out, m_err;
};

// The recording files of `folder`, by name, with their audio (the ID3v1 tag
// left off) and how many have no tag.
struct Recorded {
    QStringList names;
    qint64 audio = 0;
    int untagged = 0;
};

inline Recorded RecordedIn(const QString& folder)
{
    Recorded r;
    const QDir dir(folder);
    r.names = dir.entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    for (const QString& name : r.names) {
        QByteArray bytes = ReadAll(dir.filePath(name));
        if (bytes.size() >= 128 && bytes.mid(bytes.size() - 128, 3) == "TAG")
            bytes.chop(128);
        else
            ++r.untagged;
        r.audio += bytes.size();
    }
    return r;
}
