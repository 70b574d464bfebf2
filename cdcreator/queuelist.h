#pragma once

#include <QListWidget>
#include <QStringList>

// The queue list box: accepts files dropped from a file manager and hands
// their local paths on in the order they came.
class QueueList : public QListWidget {
    Q_OBJECT
public:
    explicit QueueList(QWidget* parent = nullptr);

signals:
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
};

// The files given on the command line ("discwright FILE ..."), as a drop
// hands them on: each made absolute against `currentFolder`, in the order
// given; a "--" before them is left out (a file after it may begin with "-").
QStringList StartQueueFiles(const QStringList& arguments, const QString& currentFolder);
