#include "cdcreator/queuelist.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QueueList::QueueList(QWidget* parent) : QListWidget(parent)
{
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void QueueList::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void QueueList::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void QueueList::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        // Something that is not a local file ends the drop, like a file of
        // another kind would.
        if (!url.isLocalFile())
            break;
        paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    if (!paths.isEmpty())
        emit filesDropped(paths);
}

QStringList StartQueueFiles(const QStringList& arguments, const QString& currentFolder)
{
    QStringList files;
    const QDir folder(currentFolder);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (i == 0 && argument == QLatin1String("--"))
            continue;
        if (!argument.isEmpty())
            files << QDir::cleanPath(folder.absoluteFilePath(argument));
    }
    return files;
}
