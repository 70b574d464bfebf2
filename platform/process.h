#pragma once

#include <QString>
#include <QStringList>

// Starts another program directly, never through a shell.
class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
};

class QtProcessLauncher : public IProcessLauncher {
public:
    bool StartDetached(const QString& program, const QStringList& arguments) override;
};

class RecordingProcessLauncher : public IProcessLauncher {
public:
    bool StartDetached(const QString& program, const QStringList& arguments) override
    {
        started.append(program);
        lastArguments = arguments;
        return result;
    }
    QStringList started;
    QStringList lastArguments;
    bool result = true;
};

// A program that ships beside the running executable ("shiftwell", "discwright").
QString ProgramBesideExecutable(const QString& name);
