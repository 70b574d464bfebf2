#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <optional>

class ASpinnerBox;

// A number of the recording configuration shown in a spinner. A number the
// spinner cannot show (outside its Min..Max) is kept as it is: the spinner
// shows the nearest end of its range, its tool tip says what is kept, and
// Value() gives the kept number back until the user sets the spinner to
// another value. Owned by the spinner.
class KeptSpinnerValue : public QObject {
    Q_DECLARE_TR_FUNCTIONS(KeptSpinnerValue)

public:
    explicit KeptSpinnerValue(ASpinnerBox* spinner);

    void Show(qint32 value);
    // The kept number, else the spinner's value.
    qint32 Value() const;
    bool Kept() const { return m_kept.has_value(); }

private:
    void forget();

    ASpinnerBox* m_spinner;
    std::optional<qint32> m_kept;
    qint32 m_shown = 0;
    QString m_toolTip; // the spinner's own, given back when nothing is kept
};

// The single file of the "Capture as a single file" mode, shown as one path
// in the save box. A name holding folders ("sub/dir/../x.mp3") cannot be
// split back from that path as it was written, so the folder and the name
// are kept and given back while the box still shows the path made of them.
struct KeptFilePath {
    QString shown, folder, name;

    void Show(const QString& path, const QString& folderPart, const QString& namePart)
    {
        shown = path;
        folder = folderPart;
        name = namePart;
    }
    // True (and the parts set) when `path` is still what was shown.
    bool Take(const QString& path, QString& folderPart, QString& namePart) const
    {
        if (shown.isNull() || path != shown)
            return false;
        folderPart = folder;
        namePart = name;
        return true;
    }
};
