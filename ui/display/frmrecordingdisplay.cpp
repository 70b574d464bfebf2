#include "ui/display/frmrecordingdisplay.h"

#include "config/configuration.h"
#include "listen/mixer.h"
#include "recorder/frmmp3.h"
#include "ui/controls/myslider.h"
#include "ui/controls/resize.h"
#include "ui/display/coverthumb.h"
#include "ui/shell/desktopshell.h"

#include <QAccessibleWidget>
#include <QCursor>
#include <QFontMetrics>
#include <QLCDNumber>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <tuple>

const QColor frmRecordingDisplay::kLit = QColor(255, 0, 0);
const QColor frmRecordingDisplay::kDim = QColor(64, 0, 0);
const QColor frmRecordingDisplay::kUnlitText = QColor(160, 96, 96);

LampShape::LampShape(Form form, QWidget* parent)
    : QWidget(parent), m_form(form), m_fill(frmRecordingDisplay::kDim), m_border(frmRecordingDisplay::kDim)
{
}

void LampShape::setFill(const QColor& fill)
{
    if (fill == m_fill)
        return;
    m_fill = fill;
    update();
}

void LampShape::setBorder(const QColor& border)
{
    if (border == m_border)
        return;
    m_border = border;
    update();
}

void LampShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QPen(m_border, 1));
    p.setBrush(m_fill);
    if (m_form == Form::Ellipse) {
        // Round however the window scales the shape: a circle in its middle.
        const int d = std::min(width(), height());
        const QRect r((width() - d) / 2, (height() - d) / 2, d - 1, d - 1);
        p.setRenderHint(QPainter::Antialiasing);
        p.drawEllipse(r);
    } else {
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

namespace {

enum class Glyph { Record, Listen, Stop, Pause, Exit, Timer };

// A glyph in light ink, drawn on a 16-unit grid at `side` pixels; `opacity`
// below 1 dims it for a disabled button.
QPixmap glyphPixmap(Glyph glyph, qreal opacity, int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 16.0, side / 16.0);
    p.setOpacity(opacity);
    const QColor ink(220, 220, 220);
    p.setPen(QPen(ink, 1.6));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Record:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 0, 0));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        break;
    case Glyph::Listen: {
        QPainterPath speaker;
        speaker.moveTo(2, 6);
        speaker.lineTo(5, 6);
        speaker.lineTo(9, 2.5);
        speaker.lineTo(9, 13.5);
        speaker.lineTo(5, 10);
        speaker.lineTo(2, 10);
        speaker.closeSubpath();
        p.setBrush(ink);
        p.drawPath(speaker);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(8, 4, 5, 8), -60 * 16, 120 * 16);
        p.drawArc(QRectF(8, 2, 7, 12), -60 * 16, 120 * 16);
        break;
    }
    case Glyph::Stop:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(4, 4, 8, 8));
        break;
    case Glyph::Pause:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(4, 3, 3, 10));
        p.drawRect(QRectF(9, 3, 3, 10));
        break;
    case Glyph::Exit:
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::Timer:
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
        break;
    }
    p.end();
    return pm;
}

// The style's own greying of a light glyph on black hardly differs from the
// glyph: a disabled button gets a dimmed one of its own.
QIcon glyphIcon(Glyph glyph)
{
    QIcon icon;
    // Sharp at the larger sizes a large font asks for.
    for (const int side : {16, 24, 32, 48}) {
        icon.addPixmap(glyphPixmap(glyph, 1.0, side), QIcon::Normal);
        icon.addPixmap(glyphPixmap(glyph, 0.3, side), QIcon::Disabled);
    }
    return icon;
}

// Characters that would reorder or hide the title are shown as spaces.
QString visibleTitle(const QString& title)
{
    QString out = title;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) || (u >= 0x202a && u <= 0x202e) ||
            (u >= 0x2066 && u <= 0x2069) || u == 0x200e || u == 0x200f)
            c = QLatin1Char(' ');
    }
    return out;
}

// The display is a window of its own to assistive technologies too.
QAccessibleInterface* displayAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("frmRecordingDisplay") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

frmRecordingDisplay::frmRecordingDisplay(frmMP3& recorder, const clsConfiguration& config, IDesktopShell& shell,
                                         DisplayEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_recorder(recorder), m_config(config), m_shell(shell),
      m_env(std::move(env)),
      m_ticker([this](const QString& text) { return lblSongTitle->fontMetrics().horizontalAdvance(text); })
{
    static const bool factory = [] {
        QAccessible::installFactory(displayAccessible);
        return true;
    }();
    Q_UNUSED(factory);
    if (!m_env.masterVolume)
        m_env.masterVolume = [] { return GetMasterVolume(); };
    if (!m_env.cursorPos)
        m_env.cursorPos = [] { return QCursor::pos(); };
    build();

    // Loading the window.
    m_shell.SetToggleDisplayCaption(tr("Hide Recording Display"));
    m_status = m_recorder.Status();
    sldVolume->setValue(-1 - m_status.lngVolume);
    m_timeMode = 1;
    m_programSetsVolume = false;
    m_sliderHeld = false;
    m_sliderKeyed = false;
    connect(&m_recorder, &frmMP3::statusChanged, this, &frmRecordingDisplay::ShowStatus);
    connect(&m_recorder, &frmMP3::clockChanged, this, &frmRecordingDisplay::ShowStatus);
    connect(&m_recorder.Covers(), &RecorderCovers::coverChanged, this, &frmRecordingDisplay::showCover);
    tmrRecState->start();
    showStatus();
}

frmRecordingDisplay::~frmRecordingDisplay()
{
    m_shell.SetToggleDisplayCaption(tr("Show Recording Display"));
}

void frmRecordingDisplay::build()
{
    setWindowTitle(QStringLiteral("Tonquill"));
    setObjectName(QStringLiteral("frmRecordingDisplay"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, kUnlitText);
    setPalette(pal);
    setAutoFillBackground(true);

    auto label = [this](const char* name, const QString& text, const QRect& at, QWidget* parent) {
        auto* l = new QLabel(text, parent ? parent : this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(at);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    auto lamp = [this](const char* name, LampShape::Form form, const QRect& at) {
        auto* s = new LampShape(form, this);
        s->setObjectName(QLatin1String(name));
        s->setGeometry(at);
        return s;
    };
    auto segment = [this](const char* name, const QRect& at) {
        auto* seg = new QLCDNumber(2, this);
        seg->setObjectName(QLatin1String(name));
        seg->setAccessibleName(QLatin1String(name));
        seg->setSegmentStyle(QLCDNumber::Flat);
        seg->setFrameShape(QFrame::NoFrame);
        QPalette sp = seg->palette();
        sp.setColor(QPalette::WindowText, kLit);
        sp.setColor(QPalette::Light, kLit);
        sp.setColor(QPalette::Dark, kDim);
        seg->setPalette(sp);
        seg->setGeometry(at);
        seg->display(QStringLiteral("00"));
        return seg;
    };
    auto button = [this](const char* name, const QString& tip, Glyph glyph, const QRect& at,
                         void (frmRecordingDisplay::*handler)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setIcon(glyphIcon(glyph));
        b->setAutoRaise(true);
        // Dark on the black window: a hovered or pressed button lights its
        // background only so far that the light glyph stays clear.
        b->setStyleSheet(
            QStringLiteral("QToolButton { background: transparent; border: 1px solid transparent; border-radius: 3px; }"
                           "QToolButton:hover { background: rgb(52, 52, 60); border-color: rgb(110, 110, 122); }"
                           "QToolButton:pressed { background: rgb(24, 24, 28); border-color: rgb(150, 150, 162); }"
                           "QToolButton:disabled { background: transparent; border-color: transparent; }"));
        b->setGeometry(at);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };

    // The window is drawn on a grid of design units; a unit grows with the
    // font, and each caption is at least as wide as its text, so the lamps'
    // captions and the time caption are whole at any font size and language.
    const QFontMetrics metrics(font());
    const qreal unit = std::max<qreal>(1.0, metrics.height() / 16.0);
    auto u = [unit](int v) { return qRound(v * unit); };
    auto at = [&u](int x, int y, int w, int h) { return QRect(u(x), u(y), u(w), u(h)); };
    auto textWidth = [&metrics](const QStringList& texts) {
        int widest = 0;
        for (const QString& text : texts)
            widest = std::max(widest, metrics.horizontalAdvance(text) + 2);
        return widest;
    };
    // The lamp row runs left to right: each lamp, its caption, then a gap.
    int rowX = u(8);
    auto lampWithCaption = [&](const char* lampName, const char* labelName, const QString& text, int designWidth) {
        LampShape* shape = lamp(lampName, LampShape::Form::Ellipse, QRect(rowX, u(34), u(10), u(10)));
        QLabel* caption = label(
            labelName, text, QRect(rowX + u(14), u(30), std::max(u(designWidth), textWidth({text})), u(18)), nullptr);
        rowX = caption->geometry().right() + 1 + u(6);
        return std::pair{shape, caption};
    };

    // The title ticker's viewport.
    pcSize = new QWidget(this);
    pcSize->setObjectName(QStringLiteral("pcSize"));
    pcSize->setGeometry(at(8, 6, 380, 20));
    lblSongTitle = label("lblSongTitle", tr("Now Recording: "), at(0, 0, 380, 20), pcSize);
    QFont titleFont(QStringLiteral("Verdana"));
    titleFont.setPointSizeF(9 * unit);
    lblSongTitle->setFont(titleFont);
    lblSongTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblSongTitle->setLayoutDirection(Qt::LeftToRight);
    QPalette tp = lblSongTitle->palette();
    tp.setColor(QPalette::WindowText, kLit);
    lblSongTitle->setPalette(tp);

    // Lamps.
    std::tie(shpRec, lblRec) = lampWithCaption("shpRec", "lblRec", tr("Recording"), 62);
    shpRec->setAccessibleName(tr("Recording lamp"));
    std::tie(shpPreview, lblPreview) = lampWithCaption("shpPreview", "lblPreview", tr("Listening"), 58);
    shpPreview->setAccessibleName(tr("Listening lamp"));
    std::tie(shpError, lblTimeOut) = lampWithCaption("shpError", "lblTimeOut", tr("Err"), 26);
    shpError->setAccessibleName(tr("Error lamp"));
    // Room for the widest rate a station sends.
    lblBR = label("lblBR", tr("B: 0"), QRect(rowX, u(30), std::max(u(70), textWidth({tr("B: %1").arg(9999)})), u(18)),
                  nullptr);
    rowX = lblBR->geometry().right() + 1 + u(6);

    // Time.
    const int timeWidth = std::max(u(90), textWidth({tr("Rec Time"), tr("REC TIME"), tr("TIME LEFT")}));
    lblRecTime = label("lblRecTime", tr("Rec Time"), QRect(rowX, u(30), timeWidth, u(18)), nullptr);
    // A row wider than the design widens the title and the window with it.
    const int right = std::max(u(380), lblRecTime->geometry().right() + 1);
    pcSize->resize(right - u(8), pcSize->height());
    lblSongTitle->resize(pcSize->size());
    lblCover = new CoverThumb(this);
    lblCover->setObjectName(QStringLiteral("lblCover"));
    lblCover->setGeometry(at(8, 4, 24, 24));
    lblRecTime->setAccessibleName(tr("Rec Time"));
    lblRecTime->setCursor(Qt::PointingHandCursor);
    QPalette rp = lblRecTime->palette();
    rp.setColor(QPalette::WindowText, QColor(200, 200, 200));
    lblRecTime->setPalette(rp);
    lblRecTime->installEventFilter(this);
    shpNeg1 = lamp("shpNeg1", LampShape::Form::Bar, at(8, 66, 8, 3));
    segHour = segment("segHour", at(18, 54, 40, 28));
    shpNeg2 = lamp("shpNeg2", LampShape::Form::Bar, at(64, 66, 8, 3));
    segMin = segment("segMin", at(74, 54, 40, 28));
    shpNeg3 = lamp("shpNeg3", LampShape::Form::Bar, at(120, 66, 8, 3));
    segSec = segment("segSec", at(130, 54, 40, 28));

    // Commands.
    cmdRecord = button("cmdRecord", tr("Start Record"), Glyph::Record, at(184, 56, 30, 24),
                       &frmRecordingDisplay::cmdRecord_Click);
    cmdPreview =
        button("cmdPreview", tr("Listen"), Glyph::Listen, at(216, 56, 30, 24), &frmRecordingDisplay::cmdPreview_Click);
    cmdStop = button("cmdStop", tr("Stop"), Glyph::Stop, at(248, 56, 30, 24), &frmRecordingDisplay::cmdStop_Click);
    cmdPause = button("cmdPause", tr("Pause"), Glyph::Pause, at(280, 56, 30, 24), &frmRecordingDisplay::cmdPause_Click);
    cmdTimeMode = button("cmdTimeMode", tr("Timer Mode"), Glyph::Timer, at(312, 56, 30, 24),
                         &frmRecordingDisplay::cmdTimeMode_Click);
    cmdQuit = button("cmdQuit", tr("Exit"), Glyph::Exit, at(352, 56, 30, 24), &frmRecordingDisplay::cmdQuit_Click);

    for (QToolButton* b : {cmdRecord, cmdPreview, cmdStop, cmdPause, cmdTimeMode, cmdQuit})
        b->setIconSize(b->iconSize() * unit);

    // Volume: the loudest setting at the top.
    sldVolume = new MySlider(this);
    sldVolume->setObjectName(QStringLiteral("sldVolume"));
    sldVolume->setAccessibleName(tr("Volume"));
    sldVolume->setToolTip(tr("Volume"));
    sldVolume->setMinValue(-101);
    sldVolume->setMaxValue(-1);
    sldVolume->setValue(-1);
    sldVolume->setOrientation(MySlider::Vertical);
    sldVolume->setGeometry(right + u(24), u(6), u(18), u(92));
    connect(sldVolume, &MySlider::Change, this, &frmRecordingDisplay::sldVolume_Change);
    connect(sldVolume, &MySlider::MouseDown, this, [this] { sldVolume_MouseDown(); });
    connect(sldVolume, &MySlider::MouseUp, this, [this] { sldVolume_MouseUp(); });
    connect(sldVolume, &MySlider::Keypress, this, &frmRecordingDisplay::sldVolume_Keypress);

    resize(right + u(60), u(104));

    Resize1 = new Resize(this);

    tmrRecState = new QTimer(this);
    tmrRecState->setInterval(100);
    connect(tmrRecState, &QTimer::timeout, this, &frmRecordingDisplay::tmrRecState_Timer);
}

void frmRecordingDisplay::light(QLabel* label, bool lit)
{
    const QColor c = lit ? kLit : kUnlitText;
    if (label->palette().color(QPalette::WindowText) == c)
        return;
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, c);
    label->setPalette(p);
}

void frmRecordingDisplay::light(LampShape* shape, bool lit, bool border)
{
    const QColor c = lit ? kLit : kDim;
    shape->setFill(c);
    if (border)
        shape->setBorder(c);
}

void frmRecordingDisplay::showTime(qint32 hours, qint32 minutes, qint32 seconds)
{
    auto show = [](QLCDNumber* seg, qint32 v) {
        const QString text = QStringLiteral("%1").arg(std::max<qint32>(v, 0) % 100, 2, 10, QLatin1Char('0'));
        seg->display(text);
    };
    show(segHour, hours);
    show(segMin, minutes);
    show(segSec, seconds);
}

void frmRecordingDisplay::ShowStatus(const RecorderStatus& status)
{
    m_status = status;
    if (tmrRecState->isActive())
        showStatus();
}

void frmRecordingDisplay::tmrRecState_Timer()
{
    if (m_status.blnRecording) {
        showTitle(true);
        followVolume();
    }
    emit refreshed();
}

void frmRecordingDisplay::showStatus()
{
    const RecorderStatus& s = m_status;
    light(lblPreview, s.blnPreviewToggle);
    light(shpPreview, s.blnPreviewToggle, true);

    if (s.blnRecording) {
        light(shpRec, true, false);
        light(lblRec, true);
        cmdRecord->setEnabled(false);
        // Only a timed recording has time left to show.
        if (m_config.bEnabledTimedRecording) {
            cmdTimeMode->setEnabled(true);
        } else {
            cmdTimeMode->setEnabled(false);
            m_timeMode = 1;
        }
        const bool left = m_timeMode != 1;
        for (LampShape* neg : {shpNeg1, shpNeg2, shpNeg3})
            light(neg, left, true);
        if (left)
            showTime(s.clock.lngHoursLeft, s.clock.lngMinutesLeft, s.clock.lngSecondsLeft);
        else
            showTime(s.clock.lngHoursPassed, s.clock.lngMinutesPassed, s.clock.lngSecondsPassed);
        if (s.lngBitRate != 0) {
            lblBR->setText(tr("B: %1").arg(s.lngBitRate));
            light(lblBR, true);
        }
        m_displayTitle = s.displayCaption;
        showCover();
        showTitle(false);
        const bool error = !s.lastError.isEmpty();
        light(shpError, error, false);
        light(lblTimeOut, error);
    } else {
        light(shpRec, false, false);
        light(lblRec, false);
        showTime(0, 0, 0);
        for (LampShape* neg : {shpNeg1, shpNeg2, shpNeg3})
            light(neg, false, true);
        for (QLCDNumber* seg : {segHour, segMin, segSec})
            seg->update();
        cmdRecord->setEnabled(true);
        lblBR->setText(tr("B: 0"));
        light(lblBR, false);
        cmdTimeMode->setEnabled(false);
        showCover();
        if (lblSongTitle->text() != tr("STOPPED"))
            lblSongTitle->setText(tr("STOPPED"));
        lblSongTitle->move(0, lblSongTitle->y());
        m_ticker.setLeft(0);
    }
    emit refreshed();
}

void frmRecordingDisplay::showTitle(bool step)
{
    const QString shown = visibleTitle(m_displayTitle);
    if (lblSongTitle->fontMetrics().horizontalAdvance(shown) > lblSongTitle->width()) {
        if (step)
            tickerStep();
        return;
    }
    if (lblSongTitle->text() != shown)
        lblSongTitle->setText(shown);
    lblSongTitle->move(0, lblSongTitle->y());
    m_ticker.setLeft(0);
}

void frmRecordingDisplay::tickerStep()
{
    const QPoint mouse = m_env.cursorPos();
    const QRect zone(pcSize->mapToGlobal(QPoint(0, 0)), pcSize->size());
    const bool hovered = zone.left() < mouse.x() && mouse.x() < zone.left() + zone.width() && zone.top() < mouse.y() &&
                         mouse.y() < zone.top() + zone.height();
    m_ticker.Step(visibleTitle(m_displayTitle), lblSongTitle->width(), hovered);
    if (lblSongTitle->x() != m_ticker.left())
        lblSongTitle->move(m_ticker.left(), lblSongTitle->y());
    if (lblSongTitle->text() != m_ticker.text())
        lblSongTitle->setText(m_ticker.text());
}

void frmRecordingDisplay::followVolume()
{
    const qint32 m = m_env.masterVolume();
    if (m < 0)
        return; // no mixer to follow: the volume stays the user's
    const qint32 s = -1 - sldVolume->value();
    if (m != s && !m_sliderHeld && !m_sliderKeyed) {
        sldVolume->setValue(-1 - m);
        m_programSetsVolume = true;
    } else {
        m_programSetsVolume = false;
        m_sliderKeyed = false;
    }
}

void frmRecordingDisplay::cmdRecord_Click()
{
    m_recorder.Restart();
}

void frmRecordingDisplay::cmdStop_Click()
{
    m_recorder.StopRecording();
}

void frmRecordingDisplay::cmdPause_Click()
{
    m_recorder.TogglePause();
}

void frmRecordingDisplay::cmdPreview_Click()
{
    if (!m_shell.ListenTo(m_recorder))
        m_recorder.Listen();
}

void frmRecordingDisplay::cmdQuit_Click()
{
    if ((m_status.blnRecording && !m_status.blnPaused) || m_shell.AnyRecordingRunning())
        m_shell.ShowQuitConfirmation();
    else
        m_shell.QuitProgram();
}

void frmRecordingDisplay::lblRecTime_Click()
{
    if (m_timeMode != 1) {
        m_timeMode = 1;
        lblRecTime->setText(tr("REC TIME"));
    } else {
        m_timeMode = 2;
        lblRecTime->setText(tr("TIME LEFT"));
    }
    if (tmrRecState->isActive() && m_status.blnRecording)
        showStatus();
}

void frmRecordingDisplay::cmdTimeMode_Click()
{
    lblRecTime_Click();
}

void frmRecordingDisplay::sldVolume_Change(qint32 value)
{
    if (!m_programSetsVolume)
        m_recorder.SetVolume(-1 - value);
}

void frmRecordingDisplay::sldVolume_MouseDown()
{
    m_sliderHeld = true;
}

void frmRecordingDisplay::sldVolume_MouseUp()
{
    m_sliderHeld = false;
    if (!m_programSetsVolume) {
        m_recorder.SetVolume(-1 - sldVolume->value());
        m_programSetsVolume = true;
    }
}

void frmRecordingDisplay::sldVolume_Keypress()
{
    m_sliderKeyed = true;
}

void frmRecordingDisplay::paintEvent(QPaintEvent*)
{
    // The window's frame.
    QPainter p(this);
    p.setPen(QColor(96, 96, 104));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmRecordingDisplay::mousePressEvent(QMouseEvent* event)
{
    // The window has no title bar: it is dragged by its body.
    if (QWindow* w = windowHandle())
        w->startSystemMove();
    event->accept();
}

bool frmRecordingDisplay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblRecTime && event->type() == QEvent::MouseButtonRelease) {
        lblRecTime_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmRecordingDisplay::showEvent(QShowEvent* event)
{
    sldVolume->RefreshData();
    followWindowState();
    QWidget::showEvent(event);
}

void frmRecordingDisplay::hideEvent(QHideEvent* event)
{
    followWindowState();
    QWidget::hideEvent(event);
}

void frmRecordingDisplay::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        sldVolume->RefreshData();
    if (event->type() == QEvent::WindowStateChange)
        followWindowState();
    QWidget::changeEvent(event);
}

// Nobody sees a hidden or minimised display: it stops refreshing, and
// catches up at once when it is seen again.
void frmRecordingDisplay::followWindowState()
{
    const bool seen = isVisible() && !isMinimized();
    if (seen == tmrRecState->isActive())
        return;
    m_recorder.setClockShown(seen);
    if (!seen) {
        tmrRecState->stop();
        return;
    }
    tmrRecState->start();
    showStatus();
}

void frmRecordingDisplay::showCover()
{
    const bool shown = lblCover->SetCover(m_status.blnRecording ? m_recorder.Covers().Current() : CoverPicture());
    // The title's viewport gives up its left part to the cover, and takes it back.
    const int shift =
        shown ? lblCover->geometry().right() + 1 + lblCover->width() / 6 - (pcSize->x() - m_coverShift) : 0;
    if (shift == m_coverShift)
        return;
    const QRect bare = pcSize->geometry().adjusted(-m_coverShift, 0, 0, 0);
    pcSize->setGeometry(bare.adjusted(shift, 0, 0, 0));
    lblSongTitle->resize(pcSize->width(), lblSongTitle->height());
    m_coverShift = shift;
}
