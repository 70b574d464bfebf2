#pragma once

// The "Recordings" window: the library's table with a search field, a
// station and a day filter, and Rename, Edit Tag, Move to Trash, Open
// Folder, Keep the Longest Complete One and Send to Discwright for the
// selected rows. It rescans when shown and when a folder it walked changes.

#include <QMainWindow>
#include <QStringList>

class LibraryFilter;
class LibraryPlayerBar;
class LibraryModel;
class LibraryScanner;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

class CoverThumb;
class frmLibrary : public QMainWindow {
    Q_OBJECT
public:
    explicit frmLibrary(const QString& historyPath, const QStringList& folders, QWidget* parent = nullptr);
    ~frmLibrary() override;

    LibraryModel& model() const { return *m_model; }
    LibraryFilter& filter() const { return *m_filter; }
    QTableView* table() const { return m_table; }
    LibraryScanner& scanner() const { return *m_scanner; }
    LibraryPlayerBar& player() const { return *m_player; }
    // The cover of the file playing, else of the current row.
    const CoverThumb& cover() const { return *m_cover; }
    // The selected files, in the list's order.
    QStringList SelectedFiles() const;
    // Gives the file the name `newName` in its folder; its row and the
    // history's plays of it follow. Why not, "" when renamed (and said).
    QString Rename(const QString& path, const QString& newName);
    // Moves each file to the trash and out of the list (the history keeps
    // its plays, naming the trashed file), or says why it stays.
    void Trash(const QStringList& paths);

signals:
    // A message for the user (a rename refused, a file not trashed).
    void problem(const QString& text);
    // A file began to play: the listening to a station stops for it.
    void playingStarted();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void renameSelected();
    void editTagOfSelected();
    void trashSelected();
    void openFolderOfSelected();
    void keepLongest();
    void sendToDiscwright();
    void updateStations();
    void updateDays();
    void say(const QString& text);
    void showCoverOf(const QString& path);

    LibraryModel* m_model;
    LibraryFilter* m_filter;
    LibraryScanner* m_scanner;
    QFileSystemWatcher* m_watcher;
    QTimer* m_rescanSoon;
    QLineEdit* m_search;
    QComboBox* m_station;
    QCheckBox* m_sinceOn;
    QDateEdit* m_since;
    QTableView* m_table;
    LibraryPlayerBar* m_player;
    QLabel* m_status;
    CoverThumb* m_cover;
    QString m_coverPath; // the file whose cover is shown or being read
};
