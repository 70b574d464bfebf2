#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// The common dialogs the windows show, behind one interface so that tests
// answer them. Every call is modal; "" means the user cancelled.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual QString GetOpenFileName(QWidget* owner, const QString& caption, const QString& initialPath,
                                    const QString& filter) = 0;
    // With the overwrite prompt.
    virtual QString GetSaveFileName(QWidget* owner, const QString& caption, const QString& initialPath,
                                    const QString& filter, const QString& defaultSuffix) = 0;
    // The folder picker; the folder returned ends with "/".
    virtual QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initialFolder) = 0;
};

// Opens documents and web addresses with the desktop's default programs.
// False when no program could be started for the address; `failed` is
// called later when the program started for it reports that it could not
// open it (no web browser installed).
class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    virtual bool OpenUrl(const QUrl& url, std::function<void()> failed = {}) = 0;
};

// QFileDialog and QDesktopServices.
class QtFileDialogs : public IFileDialogs {
public:
    QString GetOpenFileName(QWidget* owner, const QString& caption, const QString& initialPath,
                            const QString& filter) override;
    QString GetSaveFileName(QWidget* owner, const QString& caption, const QString& initialPath,
                            const QString& filter, const QString& defaultSuffix) override;
    QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initialFolder) override;
};

// Through xdg-open, whose status says whether a program took the address;
// without it, QDesktopServices.
class DesktopUrlOpener : public IUrlOpener {
public:
    bool OpenUrl(const QUrl& url, std::function<void()> failed = {}) override;
};

// Answers from fields the test sets, and remembers what was asked.
class ScriptedFileDialogs : public IFileDialogs {
public:
    QString GetOpenFileName(QWidget*, const QString& caption, const QString& initialPath, const QString& filter) override
    {
        lastCaption = caption;
        lastInitialPath = initialPath;
        lastFilter = filter;
        ++opens;
        return openAnswer;
    }
    QString GetSaveFileName(QWidget*, const QString& caption, const QString& initialPath, const QString& filter,
                            const QString& defaultSuffix) override
    {
        lastCaption = caption;
        lastInitialPath = initialPath;
        lastFilter = filter;
        lastSuffix = defaultSuffix;
        ++saves;
        return saveAnswer;
    }
    QString BrowseForFolder(QWidget*, const QString& title, const QString& initialFolder) override
    {
        lastCaption = title;
        lastInitialPath = initialFolder;
        ++folders;
        return folderAnswer;
    }
    QString openAnswer, saveAnswer, folderAnswer;
    QString lastCaption, lastInitialPath, lastFilter, lastSuffix;
    int opens = 0, saves = 0, folders = 0;
};

class RecordingUrlOpener : public IUrlOpener {
public:
    bool OpenUrl(const QUrl& url, std::function<void()> failed = {}) override
    {
        opened.append(url);
        if (result && failLater && failed)
            failed();
        return result;
    }
    QList<QUrl> opened;
    bool result = true;      // a program could be started
    bool failLater = false;  // it then reports that it could not open the address
};
