// The queue side of the burn window: adding, dropping, deleting and listing.
#include "cdcreator/burndialogs.h"
#include "cdcreator/discrecorder.h"
#include "cdcreator/frmdiscwrightburn.h"
#include "cdcreator/queuelist.h"
#include "cdcreator/timescale.h"
#include "cdcreator/timetext.h"
#include "ui_frmdiscwrightburn.h"

#include <QLabel>
#include <QLineEdit>

void frmDiscwrightBurn::Command3_Click()
{
    // Every file chosen joins the queue, in the order the dialog gives them.
    const QStringList chosen = m_dialogs.OpenFiles(kAudioFilter);
    for (const QString& file : chosen) {
        if (file.isEmpty())
            continue;
        QueueFile = file;
        addfiletoqueue();
    }
}

void frmDiscwrightBurn::List1_OLEDragDrop(const QStringList& paths)
{
    for (const QString& path : paths) {
        QueueFile = path;
        // The first file of another kind ends the drop, without a message.
        if (!HasQueueableExtension(QueueFile))
            break;
        m_ui->List1->addItem(QueueFile);
        addfiletoqueue();
    }
}

void frmDiscwrightBurn::addfiletoqueue()
{
    m_cdburn.AddTrack(QueueFile);
    refreshaudiotracks();
}

void frmDiscwrightBurn::Command4_Click()
{
    const int row = m_ui->List1->currentRow();
    if (row < 0 || !m_ui->List1->currentItem() || !m_ui->List1->currentItem()->isSelected()) {
        m_dialogs.Inform(tr("Please Click A File You Wish To Delete From Queue"));
        return;
    }
    m_cdburn.RemoveTrack(row);
    refreshaudiotracks();
}

void frmDiscwrightBurn::refreshaudiotracks()
{
    m_ui->List1->clear();
    m_cdburn.ListTracks();
    m_ui->timeScale->SetDuration(m_cdburn.QueueSeconds() / 60.0);
    m_queueTime->setText(tr("Time In Queue: ") + SecondsToText(float(m_cdburn.QueueSeconds())));
    // The time and bytes left on the disc count the queue.
    ShowDiscStatus();
}

void frmDiscwrightBurn::cdburn_TrackListed(int index, const QString& path, double seconds)
{
    m_ui->List1->addItem(QueueEntryText(index, path, seconds));
    m_ui->Text2->setText(QString::number(m_ui->List1->count()));
}

void frmDiscwrightBurn::cdburn_TracksChanged()
{
    // Tracks read meanwhile join the end of the list: the entry the user
    // had selected keeps its place and stays selected.
    const QListWidgetItem* item = m_ui->List1->currentItem();
    const int row = item && item->isSelected() ? m_ui->List1->currentRow() : -1;
    refreshaudiotracks();
    if (row >= 0 && row < m_ui->List1->count())
        m_ui->List1->setCurrentRow(row);
}
