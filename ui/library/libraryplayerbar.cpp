#include "ui/library/libraryplayerbar.h"

#include "ui/library/librarymodel.h"

#include <QAbstractItemModel>
#include <QAbstractProxyModel>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <algorithm>
#include <climits>

namespace {

// The library's row behind a row of the list (through its filter).
const LibraryEntry* entryOf(const QModelIndex& index)
{
    QModelIndex i = index;
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(i.model()))
        i = proxy->mapToSource(i);
    const auto* model = qobject_cast<const LibraryModel*>(i.model());
    return model && i.isValid() ? &model->At(i.row()) : nullptr;
}

} // namespace

LibraryPlayerBar::LibraryPlayerBar(QAbstractItemModel& rows, QItemSelectionModel& selection, QWidget* parent)
    : QWidget(parent), m_rows(rows), m_selection(selection), m_maker(SystemFilePlayer)
{
    setObjectName(QStringLiteral("LibraryPlayer"));
    auto button = [this](const char* name, const QString& caption, QStyle::StandardPixmap icon) {
        auto* b = new QPushButton(style()->standardIcon(icon), caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(caption);
        return b;
    };
    m_previous = button("cmdPrevious", tr("Previous"), QStyle::SP_MediaSkipBackward);
    m_play = button("cmdPlay", tr("Play"), QStyle::SP_MediaPlay);
    m_next = button("cmdNext", tr("Next"), QStyle::SP_MediaSkipForward);
    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setObjectName(QStringLiteral("sldPosition"));
    m_seek->setAccessibleName(tr("Position"));
    m_seek->setEnabled(false);
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("lblPlayTime"));
    // Read as its text, the time played and the length.
    m_time->setAccessibleDescription(tr("Time played"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_previous);
    layout->addWidget(m_play);
    layout->addWidget(m_next);
    layout->addWidget(m_seek, 1);
    layout->addWidget(m_time);
    connect(m_previous, &QPushButton::clicked, this, &LibraryPlayerBar::Previous);
    connect(m_play, &QPushButton::clicked, this, &LibraryPlayerBar::PlayOrPause);
    connect(m_next, &QPushButton::clicked, this, &LibraryPlayerBar::Next);
    connect(m_seek, &QSlider::sliderPressed, this, [this] { m_dragging = true; });
    connect(m_seek, &QSlider::sliderReleased, this, [this] {
        m_dragging = false;
        Seek(m_seek->value());
    });
    // Keys and clicks beside the handle move it at once.
    connect(m_seek, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            Seek(m_seek->sliderPosition());
    });
    showTimes();
}

LibraryPlayerBar::~LibraryPlayerBar()
{
    // What it tells now would reach controls on their way out.
    if (m_player) {
        m_player->SetCallbacks({});
        m_player->Stop();
    }
}

bool LibraryPlayerBar::ensurePlayer()
{
    if (m_player)
        return true;
    QString why;
    m_player = m_maker ? m_maker(why) : nullptr;
    if (!m_player) {
        emit problem(why);
        return false;
    }
    IFilePlayer::Callbacks c;
    c.stateChanged = [this](IFilePlayer::State state) {
        m_state = state;
        const bool playing = state == IFilePlayer::State::Playing;
        m_play->setText(playing ? tr("Pause") : tr("Play"));
        m_play->setAccessibleName(m_play->text());
        m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
        m_seek->setEnabled(state != IFilePlayer::State::Stopped);
        showTimes();
        emit playbackChanged();
    };
    c.positionChanged = [this](qint64 ms) {
        m_position = ms;
        if (!m_dragging)
            m_seek->setValue(int(std::min<qint64>(ms, INT_MAX)));
        showTimes();
        emit playbackChanged();
    };
    c.durationChanged = [this](qint64 ms) {
        // A player that cannot tell (0 or less) leaves the length the list knows.
        if (ms > 0)
            m_duration = ms;
        m_seek->setRange(0, int(std::clamp<qint64>(m_duration, 0, INT_MAX)));
        showTimes();
        emit playbackChanged();
    };
    c.finished = [this] { Next(); };
    c.failed = [this](const QString& why) { emit problem(tr("\"%1\" cannot be played: %2").arg(m_path, why)); };
    m_player->SetCallbacks(std::move(c));
    m_player->SetVolume(m_volume);
    return true;
}

void LibraryPlayerBar::SetVolume(int percent)
{
    const int volume = std::clamp(percent, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    if (m_player)
        m_player->SetVolume(m_volume);
    emit playbackChanged();
}

void LibraryPlayerBar::Seek(qint64 ms)
{
    if (!m_player || m_state == IFilePlayer::State::Stopped)
        return;
    const qint64 to = std::max<qint64>(0, ms);
    m_player->Seek(to);
    // Shown at once; the player's next tick follows from there.
    m_position = to;
    showTimes();
    emit seeked(to);
}

void LibraryPlayerBar::PlayRow(int row)
{
    if (row < 0 || row >= m_rows.rowCount())
        return;
    const QModelIndex index = m_rows.index(row, 0);
    const QString path = index.data(LibraryModel::PathRole).toString();
    const QString why = index.data(LibraryModel::ProblemRole).toString();
    m_current = index;
    m_selection.setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!why.isEmpty()) {
        if (m_player)
            m_player->Stop();
        m_path = path;
        emit problem(tr("\"%1\" cannot be played: %2").arg(path, why));
        return;
    }
    if (!ensurePlayer())
        return;
    m_path = path;
    m_position = 0;
    m_duration = index.siblingAtColumn(LibraryModel::LengthColumn).data(LibraryModel::SortRole).toLongLong();
    if (const LibraryEntry* e = entryOf(index)) {
        m_entry = *e;
    } else {
        m_entry = LibraryEntry();
        m_entry.path = path;
        m_entry.title = index.data().toString();
    }
    ++m_plays;
    emit playingStarted();
    m_player->Play(path);
    showTimes();
    emit playbackChanged();
}

void LibraryPlayerBar::PlayOrPause()
{
    if (m_player && m_state == IFilePlayer::State::Playing)
        return m_player->Pause();
    if (m_player && m_state == IFilePlayer::State::Paused) {
        emit playingStarted();
        return m_player->Resume();
    }
    const QModelIndex chosen = m_selection.currentIndex();
    PlayRow(chosen.isValid() ? chosen.row() : 0);
}

void LibraryPlayerBar::step(int by)
{
    if (m_rows.rowCount() == 0)
        return;
    // From the row playing (where the list shows it now), else the selected one.
    const QModelIndex from = m_current.isValid() ? QModelIndex(m_current) : m_selection.currentIndex();
    const int row = from.isValid() ? from.row() + by : (by > 0 ? 0 : m_rows.rowCount() - 1);
    if (row < 0 || row >= m_rows.rowCount()) {
        Stop();
        return;
    }
    PlayRow(row);
}

void LibraryPlayerBar::Next()
{
    step(1);
}

void LibraryPlayerBar::Previous()
{
    step(-1);
}

void LibraryPlayerBar::Stop()
{
    if (m_player)
        m_player->Stop();
}

QString LibraryPlayerBar::TimeText() const
{
    if (m_state == IFilePlayer::State::Stopped)
        return {};
    const QString length = LengthText(m_duration);
    return length.isEmpty() ? LengthText(m_position) : LengthText(m_position) + QStringLiteral(" / ") + length;
}

void LibraryPlayerBar::showTimes()
{
    m_time->setText(TimeText());
}
