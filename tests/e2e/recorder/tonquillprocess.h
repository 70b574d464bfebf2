#pragma once

#include "stationprocess.h"

#include "tests/support/eventwait.h"

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
