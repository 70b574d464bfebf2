#pragma once

#include <QString>
#include <functional>

struct Caption;

// What a recording says: its status (the song caption), the error it last
// reported, its tray tip, and the file it names while it records. Each
// status is said once, as it changes.
class StatusLine {
public:
    std::function<void(const QString&)> captionSaid; // each status said
    std::function<void(const QString&)> tipChanged;

    // A status; it clears the last error.
    void Say(const QString& caption);
    // A status that reports an error.
    void Error(const QString& caption);
    void Say(const Caption& caption);
    void SetTip(const QString& tip);
    // A status and its tray tip (an empty tip leaves the tip as it is).
    void Show(const Caption& caption, const QString& tip);

    // A file was opened: `name` as on disk, `song` the name it was started
    // under. `announce`: the status names it now (once for each file).
    void FileOpened(const QString& name, const QString& song, bool announce);
    // Once the stream flows again the status names the open file again; it
    // was said already, so it is not said a second time.
    void NameFileAgain();

    QString Text() const { return m_caption; }
    QString LastError() const { return m_lastError; }
    QString Tip() const { return m_tip; }
    // The status as the recording display shows it: the song's own name
    // where the status names its file on disk.
    QString DisplayText() const;

private:
    void say(const QString& caption);

    QString m_caption;
    QString m_lastError;
    QString m_tip;
    QString m_fileCaption;      // "Now Recording: " and the open file's name on disk
    QString m_fileTitleCaption; // "Now Recording: " and the name the open file was started under
};
