#pragma once

// The ignore and wish lists as files, for every window that changes them:
// the panel's editors and the "What Plays Where" window. Each list is read
// whole and written safely, as the recorder reads it (UTF-8, CR LF).

#include <QObject>
#include <QString>
#include <QStringList>

// Tells the editors of a list that another window is about to change its
// file (they save what waits to be saved first) and that it did (they show
// the file again).
class RuleListFiles : public QObject {
    Q_OBJECT
public:
    static RuleListFiles& Instance();

signals:
    void aboutToChange(const QString& file);
    void changed(const QString& file);
};

// A list line that matches `title` and no other title: the title itself
// when it reads as plain text, else a regular expression of it. Empty when
// the title cannot be put on a list (empty, no text, too long).
QString PatternForTitle(const QString& title);

// Adds `title` to the list `file` (kWishListFile, kIgnoreListFile) in
// `folder`. `message` says what was done, or why nothing was.
enum class ListAdd { Added, AlreadyThere, Failed };
ListAdd AddTitleToList(const QString& folder, const char* file, const QString& title, QString* message);
