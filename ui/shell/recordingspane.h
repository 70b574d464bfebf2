#pragma once

// The recordings list on the control panel: a table of the recordings with
// Stop, Pause, Listen, Open Folder, Save the Last Minutes and Save This Song
// for the selected row (as buttons and as
// the row's context menu). Selecting a row puts its recording in focus;
// double-clicking it asks for it on the recording display.

#include <QWidget>

class QAction;
class QTableView;
class QToolButton;
class RecordingsModel;

class RecordingsPane : public QWidget {
    Q_OBJECT
public:
    explicit RecordingsPane(RecordingsModel& model, QWidget* parent = nullptr);

    QTableView* table() const { return m_table; }
    QAction* stopAction() const { return m_stop; }
    QAction* pauseAction() const { return m_pause; }
    QAction* listenAction() const { return m_listen; }
    QAction* openFolderAction() const { return m_openFolder; }
    QAction* saveLastMinutesAction() const { return m_saveLastMinutes; }
    QAction* saveThisSongAction() const { return m_saveThisSong; }
    // The id of the selected row, 0 when none is.
    int SelectedId() const;

signals:
    void stopRequested(int id);
    void pauseRequested(int id);
    void listenRequested(int id);
    void openFolderRequested(int id);
    void saveLastMinutesRequested(int id);
    void saveThisSongRequested(int id);
    void showRequested(int id);

private:
    QAction* addAction(const QString& text, void (RecordingsPane::*signal)(int));
    void selectFocused();
    void updateActions();

    RecordingsModel& m_model;
    QTableView* m_table = nullptr;
    QAction* m_stop = nullptr;
    QAction* m_pause = nullptr;
    QAction* m_listen = nullptr;
    QAction* m_openFolder = nullptr;
    QAction* m_saveLastMinutes = nullptr;
    QAction* m_saveThisSong = nullptr;
    QWidget* m_buttons = nullptr;
};
