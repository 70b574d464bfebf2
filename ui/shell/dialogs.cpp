#include "ui/shell/dialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QProcess>
#include <QStandardPaths>

QString QtFileDialogs::GetOpenFileName(QWidget* owner, const QString& caption, const QString& initialPath,
                                       const QString& filter)
{
    return QFileDialog::getOpenFileName(owner, caption, initialPath, filter);
}

QString QtFileDialogs::GetSaveFileName(QWidget* owner, const QString& caption, const QString& initialPath,
                                       const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(owner, caption, initialPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString QtFileDialogs::BrowseForFolder(QWidget* owner, const QString& title, const QString& initialFolder)
{
    QString folder = QFileDialog::getExistingDirectory(owner, title, initialFolder, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return QString();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool DesktopUrlOpener::OpenUrl(const QUrl& url, std::function<void()> failed)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(url);
    // xdg-open returns at once with a desktop's opener and ends with a
    // status other than 0 when no program takes the address.
    auto* process = new QProcess(qApp);
    process->setProgram(opener);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if ((status != QProcess::NormalExit || code != 0) && failed)
            failed();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        if (failed)
            failed();
    });
    process->start();
    return true;
}
