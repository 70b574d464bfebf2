#pragma once

#include "recorder/coverart.h"

#include <QLabel>

// The song's cover beside the title on the recording display: the picture
// scaled into the label's square, hidden while there is none.
class CoverThumb : public QLabel {
    Q_OBJECT
public:
    explicit CoverThumb(QWidget* parent = nullptr);
    // Shows `cover` (hides the label for a null one or one that cannot be
    // read); true when it is shown.
    bool SetCover(const CoverPicture& cover);
    const QByteArray& Shown() const { return m_shown; }

private:
    QByteArray m_shown; // the picture's bytes as shown
};
