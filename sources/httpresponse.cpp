#include "sources/httpresponse.h"

#include "platform/responsehead.h"

int HttpResponseAssembler::StatusCode() const
{
    return ResponseHead::ReadStatusLine(m_header).code;
}

QByteArray HttpResponseAssembler::Field(const QByteArray& lowerName) const
{
    return ResponseHead::Field(m_header, lowerName);
}

void HttpResponseAssembler::Reset()
{
    *this = HttpResponseAssembler(m_limit);
}

void HttpResponseAssembler::takeHeader(qsizetype end)
{
    m_header = m_pending.left(end);
    m_pending.remove(0, end);
    m_haveHeader = true;

    const int code = StatusCode();
    const QByteArray coding = ResponseHead::Field(m_header, "transfer-encoding").toLower();
    const QByteArray length = ResponseHead::Field(m_header, "content-length");
    bool lengthOk = false;
    const qint64 declared = length.toLongLong(&lengthOk);
    if ((code >= 100 && code < 200) || code == 204 || code == 304) {
        m_mode = NoBody;
    } else if (coding.contains("chunked")) {
        m_mode = Chunked;
    } else if (lengthOk && declared >= 0) {
        m_mode = ByLength;
        m_contentLength = declared;
    } else {
        m_mode = UntilClose;
    }
}

HttpResponseAssembler::Status HttpResponseAssembler::Feed(const QByteArray& bytes)
{
    if (m_status != NeedMore)
        return m_status; // anything after the end of the response is ignored
    m_received += bytes.size();
    m_pending += bytes;
    if (m_received > m_limit)
        return m_status = TooLarge;
    return m_status = advance();
}

HttpResponseAssembler::Status HttpResponseAssembler::advance()
{
    if (!m_haveHeader) {
        const qsizetype end = ResponseHead::FindEnd(m_pending, ResponseHead::BlankLine::CrLfOrLf);
        if (end < 0)
            return NeedMore;
        takeHeader(end);
    }
    switch (m_mode) {
    case NoBody:
        return Complete;
    case ByLength:
        if (m_contentLength > m_limit - static_cast<qint64>(m_header.size()))
            return TooLarge;
        if (m_pending.size() >= m_contentLength) {
            m_body = m_pending.left(m_contentLength);
            m_pending.clear();
            return Complete;
        }
        return NeedMore;
    case Chunked:
        return advanceChunks();
    case UntilClose:
        m_body += m_pending;
        m_pending.clear();
        return NeedMore;
    }
    return NeedMore;
}

HttpResponseAssembler::Status HttpResponseAssembler::advanceChunks()
{
    for (;;) {
        const qsizetype eol = m_pending.indexOf('\n');
        if (eol < 0)
            return NeedMore;
        QByteArray line = m_pending.left(eol);
        if (line.endsWith('\r'))
            line.chop(1);
        if (m_lastChunkSeen) {
            // Trailer lines until the empty one.
            m_pending.remove(0, eol + 1);
            if (line.isEmpty())
                return Complete;
            continue;
        }
        const qsizetype semicolon = line.indexOf(';');
        const QByteArray sizeText = (semicolon >= 0 ? line.left(semicolon) : line).trimmed();
        bool ok = false;
        const qint64 size = sizeText.toLongLong(&ok, 16);
        if (!ok || size < 0 || sizeText.isEmpty())
            return Broken;
        if (size == 0) {
            m_lastChunkSeen = true;
            m_pending.remove(0, eol + 1);
            continue;
        }
        if (size > m_limit)
            return TooLarge;
        const qsizetype dataStart = eol + 1;
        // The data, then its line end.
        if (m_pending.size() < dataStart + size + 1)
            return NeedMore;
        qsizetype after = dataStart + size;
        if (m_pending.at(after) == '\r') {
            if (m_pending.size() < after + 2)
                return NeedMore;
            ++after;
        }
        if (m_pending.at(after) != '\n')
            return Broken;
        m_body += m_pending.mid(dataStart, size);
        m_pending.remove(0, after + 1);
    }
}

HttpResponseAssembler::Status HttpResponseAssembler::FinishOnClose()
{
    if (m_status != NeedMore)
        return m_status;
    if (!m_haveHeader) {
        if (m_pending.isEmpty())
            return m_status = Broken;
        // No blank line ever came: what arrived is the whole response.
        m_header = m_pending;
        m_pending.clear();
        m_haveHeader = true;
        return m_status = Complete;
    }
    if (m_mode == UntilClose)
        return m_status = Complete;
    if (m_mode == Chunked && m_lastChunkSeen)
        return m_status = Complete; // the trailer's blank line may be left out
    return m_status = Broken;
}
