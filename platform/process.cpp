#include "platform/process.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

bool QtProcessLauncher::StartDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

QString ProgramBesideExecutable(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}
