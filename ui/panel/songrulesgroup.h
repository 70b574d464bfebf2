#pragma once

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <memory>

namespace Ui {
class SongRulesGroup;
}

// The "Song rules" group of the Advanced page: the ignore and wish lists
// edited in place, the shortest and longest song, the incomplete folder
// and the file-name pattern with a preview of the next name. Every change
// is saved at once (the lists a moment after the last key press); the
// rules are the user's own, not a preset's.
class SongRulesGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit SongRulesGroup(QWidget* parent = nullptr);
    ~SongRulesGroup() override;

    // Writes the lists the user changed and that are still waiting to be saved.
    void SaveLists();

private:
    // One list file and its editor. A file that could not be read whole is
    // shown read-only and never written from here, so nothing of it is lost.
    struct List {
        QPlainTextEdit* edit = nullptr;
        const char* file = nullptr;
        QString notEditable; // why the file is not edited here; empty when it is
        bool edited = false;
    };
    void loadList(List& list);
    void showPreview();
    void checkLists();

    // lblProblems tells what in the lists cannot be used.
    std::unique_ptr<Ui::SongRulesGroup> m_ui;
    QTimer m_saveTimer;
    List m_lists[2];
    bool m_loading = false; // a list is shown again from its file
};
