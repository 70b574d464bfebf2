#include "listen/oggrelay.h"

void OggRelayQueue::Feed(const char* data, qsizetype size)
{
    m_cutter.Feed(data, size, [this](const oggpages::Page& page) { onPage(page); });
}

void OggRelayQueue::onPage(const oggpages::Page& page)
{
    m_pending.append(page.data, page.size);
    m_queued.append(Queued{m_pending.size(), page.serial, page.sequence, page.Bos(), {}});
    if (page.Bos()) {
        m_collecting = Kept();
        m_collecting.collecting = true;
        m_collecting.serial = page.serial;
        m_collecting.packetsNeeded = oggpages::HeaderPacketCount(oggpages::FirstPacket(page));
        addHeaderPage(page);
    } else if (m_collecting.collecting && page.serial == m_collecting.serial) {
        if (m_collecting.packetsNeeded == 0 && page.granule != 0 && page.granule != -1) {
            // The first page that places audio: the header was all before it.
            m_collecting.collecting = false;
            m_collecting.complete = true;
            m_header = m_collecting;
        } else {
            addHeaderPage(page);
        }
    }
    m_queued.last().header = headerFor(page.serial, page.sequence);
}

QByteArray OggRelayQueue::headerFor(quint32 serial, quint32 sequence) const
{
    return m_header.complete && m_header.serial == serial && sequence > m_header.lastSequence ? m_header.pages
                                                                                              : QByteArray();
}

void OggRelayQueue::addHeaderPage(const oggpages::Page& page)
{
    m_collecting.pages.append(page.data, page.size);
    m_collecting.lastSequence = page.sequence;
    m_collecting.packets += page.PacketEnds();
    if (m_collecting.pages.size() > kMaxHeaderBytes) {
        m_collecting = Kept();
        return;
    }
    if (m_collecting.packetsNeeded > 0 && m_collecting.packets >= m_collecting.packetsNeeded) {
        m_collecting.collecting = false;
        m_collecting.complete = true;
        m_header = m_collecting;
    }
}

void OggRelayQueue::Offer(const QByteArray& headerPages)
{
    oggpages::Page page;
    qsizetype at = 0;
    Kept offered;
    while (at < headerPages.size()) {
        const qsizetype length = oggpages::ReadPage(headerPages.constData() + at, headerPages.size() - at, page);
        if (length <= 0 || (at == 0 && !page.Bos()) || (at > 0 && page.serial != offered.serial))
            return;
        offered.serial = page.serial;
        offered.lastSequence = page.sequence;
        at += length;
    }
    if (at == 0 || (m_header.complete && m_header.serial == offered.serial))
        return;
    offered.pages = headerPages;
    offered.complete = true;
    m_header = offered;
    for (Queued& q : m_queued)
        if (q.header.isEmpty())
            q.header = headerFor(q.serial, q.sequence);
}

void OggRelayQueue::Clear()
{
    m_cutter.Reset();
    m_pending.clear();
    m_queued.clear();
    m_header = Kept();
    m_collecting = Kept();
}

void OggRelayQueue::Sent()
{
    m_pending.clear();
    m_queued.clear();
}

void OggRelayQueue::TrimTo(qsizetype maxBytes)
{
    qsizetype drop = 0;
    qsizetype pages = 0;
    while (pages < m_queued.size() && m_pending.size() - drop > maxBytes)
        drop = m_queued[pages++].end;
    if (pages == 0)
        return;
    m_pending.remove(0, drop);
    m_queued.remove(0, pages);
    for (Queued& q : m_queued)
        q.end -= drop;
}

QByteArray OggRelayQueue::ForNewListener() const
{
    qsizetype start = 0;
    for (const Queued& q : m_queued) {
        if (q.bos)
            return m_pending.mid(start);
        if (!q.header.isEmpty())
            return q.header + m_pending.mid(start);
        start = q.end;
    }
    return {};
}
