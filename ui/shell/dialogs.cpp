#include "ui/shell/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>

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

bool DesktopUrlOpener::OpenUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
