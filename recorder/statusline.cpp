#include "recorder/statusline.h"

#include "recorder/recordercaptions.h"

void StatusLine::Say(const QString& caption)
{
    m_lastError.clear();
    say(caption);
}

void StatusLine::Error(const QString& caption)
{
    m_lastError = caption;
    say(caption);
}

void StatusLine::Say(const Caption& caption)
{
    if (caption.error)
        Error(caption.text);
    else
        Say(caption.text);
}

void StatusLine::say(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    if (captionSaid)
        captionSaid(caption);
}

void StatusLine::Show(const Caption& caption, const QString& tip)
{
    if (!tip.isEmpty())
        SetTip(tip);
    Say(caption);
}

void StatusLine::SetTip(const QString& tip)
{
    // The notification area holds 64 characters.
    const QString cut = tip.left(64);
    if (cut == m_tip)
        return;
    m_tip = cut;
    if (tipChanged)
        tipChanged(cut);
}

void StatusLine::FileOpened(const QString& name, const QString& song, bool announce)
{
    m_fileCaption = RecorderCaptions::NowRecording(name);
    m_fileTitleCaption = RecorderCaptions::NowRecording(song);
    if (announce)
        Say(m_fileCaption);
}

void StatusLine::NameFileAgain()
{
    if (m_fileCaption.isEmpty() || m_caption == m_fileCaption)
        return;
    m_caption = m_fileCaption;
    m_lastError.clear();
}

QString StatusLine::DisplayText() const
{
    // A name shortened to fit the folder, or cleaned of characters a file
    // name cannot hold, is the file's; the display shows the song's own.
    if (!m_fileCaption.isEmpty() && m_caption == m_fileCaption)
        return m_fileTitleCaption;
    return m_caption;
}
