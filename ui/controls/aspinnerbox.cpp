#include "ui/controls/aspinnerbox.h"

#include "platform/messages.h"
#include "ui/controls/repeattimer.h"
#include "ui/messageboxservice.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace {

const char* const kNotNumeric = QT_TRANSLATE_NOOP("ASpinnerBox", "Please enter numeric values only.");

// Windows system colour indexes and the palette entries that play their part.
struct SystemColor {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

const SystemColor kSystemColors[] = {
    {0, QPalette::Active, QPalette::Button},             // scroll bar
    {1, QPalette::Active, QPalette::Window},             // desktop
    {2, QPalette::Active, QPalette::Highlight},          // active caption
    {3, QPalette::Inactive, QPalette::Highlight},        // inactive caption
    {4, QPalette::Active, QPalette::Window},             // menu
    {5, QPalette::Active, QPalette::Base},               // window background
    {6, QPalette::Active, QPalette::Shadow},             // window frame
    {7, QPalette::Active, QPalette::WindowText},         // menu text
    {8, QPalette::Active, QPalette::Text},               // window text
    {9, QPalette::Active, QPalette::HighlightedText},    // caption text
    {10, QPalette::Active, QPalette::Window},            // active border
    {11, QPalette::Inactive, QPalette::Window},          // inactive border
    {12, QPalette::Active, QPalette::Dark},              // application workspace
    {13, QPalette::Active, QPalette::Highlight},         // highlight
    {14, QPalette::Active, QPalette::HighlightedText},   // highlighted text
    {15, QPalette::Active, QPalette::Button},            // button face
    {16, QPalette::Active, QPalette::Dark},              // button shadow
    {17, QPalette::Disabled, QPalette::Text},            // grey text
    {18, QPalette::Active, QPalette::ButtonText},        // button text
    {19, QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    {20, QPalette::Active, QPalette::Light},             // button highlight
    {21, QPalette::Active, QPalette::Shadow},            // 3D dark shadow
    {22, QPalette::Active, QPalette::Midlight},          // 3D light
    {23, QPalette::Active, QPalette::ToolTipText},       // tool tip text
    {24, QPalette::Active, QPalette::ToolTipBase},       // tool tip background
};

constexpr quint32 kSystemFlag = 0x80000000u;

// Draws one arrow face at `x` in the strip: a shaded key with a small
// pixel-exact triangle.
void drawFace(QPainter& p, int x, bool up, int state)
{
    static const QColor tops[] = {QColor(0xe4, 0xee, 0xf9), QColor(0xf6, 0xfb, 0xff), QColor(0x8f, 0xb2, 0xdc)};
    static const QColor bottoms[] = {QColor(0xbd, 0xd2, 0xea), QColor(0xd3, 0xe6, 0xfb), QColor(0x6f, 0x98, 0xcc)};
    static const QColor arrows[] = {QColor(0x1d, 0x3a, 0x5f), QColor(0x00, 0x60, 0xb8), QColor(0xff, 0xff, 0xff)};
    const int w = ASpinnerBox::kFrameWidth;
    const int h = ASpinnerBox::kFrameHeight;
    QLinearGradient shade(0, 0, 0, h);
    shade.setColorAt(0, tops[state]);
    shade.setColorAt(1, bottoms[state]);
    p.fillRect(QRect(x, 0, w, h), shade);
    const int shift = state == 2 ? 1 : 0;
    for (int row = 0; row < 4; ++row) {
        const int y = (up ? 2 + row : 5 - row) + shift;
        p.fillRect(QRect(x + 7 - row + shift, y, 2 * row + 1, 1), arrows[state]);
    }
}

} // namespace

// ---------------------------------------------------------------- SpinArrow

SpinArrow::SpinArrow(ASpinnerBox* owner, bool up)
    : QWidget(owner), m_owner(owner), m_up(up), m_frame(up ? ASpinnerBox::UpNormal : ASpinnerBox::DownNormal)
{
    setFixedSize(ASpinnerBox::kFrameWidth, ASpinnerBox::kFrameHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
}

void SpinArrow::setFrame(int frame)
{
    if (frame == m_frame)
        return;
    m_frame = frame;
    update();
}

void SpinArrow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = ASpinnerBox::kFrameWidth;
    p.drawImage(QPoint(0, 0), ASpinnerBox::ArrowStrip(), QRect(m_frame * w, 0, w, ASpinnerBox::kFrameHeight));
}

void SpinArrow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_owner->arrowPressed(this);
}

void SpinArrow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_owner->arrowReleased(this, rect().contains(event->position().toPoint()));
}

void SpinArrow::enterEvent(QEnterEvent*)
{
    m_owner->arrowEntered(this);
}

void SpinArrow::leaveEvent(QEvent*)
{
    m_owner->arrowLeft(this);
}

// -------------------------------------------------------------- ASpinnerBox

ASpinnerBox::ASpinnerBox(QWidget* parent)
    : QWidget(parent), m_txtSpin(new QLineEdit(this)), m_picUp(new SpinArrow(this, true)),
      m_picDown(new SpinArrow(this, false)), m_timer(std::make_unique<QtRepeatTimer>())
{
    m_txtSpin->setObjectName(QStringLiteral("txtSpin"));
    m_picUp->setObjectName(QStringLiteral("picUp"));
    m_picDown->setObjectName(QStringLiteral("picDown"));
    m_txtSpin->setFrame(false);
    m_txtSpin->setTextMargins(0, 0, 0, 0);
    m_txtSpin->setContentsMargins(0, 0, 0, 0);
    m_txtSpin->installEventFilter(this);
    setFocusProxy(m_txtSpin);
    setFixedHeight(boxHeight());
    setMinimumWidth(kMinWidth);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    resize(kMinWidth * 2, boxHeight());
    applyColors();
    showValueText();
    layoutChildren();
}

ASpinnerBox::~ASpinnerBox()
{
    // Children die after this object; their focus-out must not reach us.
    m_txtSpin->removeEventFilter(this);
    m_timer->Stop();
}

void ASpinnerBox::setRepeatTimer(std::unique_ptr<IRepeatTimer> timer)
{
    if (!timer)
        return;
    m_timer->Stop();
    m_timer = std::move(timer);
}

const QImage& ASpinnerBox::ArrowStrip()
{
    static const QImage strip = [] {
        QImage image(6 * kFrameWidth, kFrameHeight, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        for (int frame = 0; frame < 6; ++frame)
            drawFace(p, frame * kFrameWidth, frame < 3, frame % 3);
        return image;
    }();
    return strip;
}

// ---- colours

quint32 ASpinnerBox::AdjustToOLE_COLOR(quint32 oleColor, const QPalette* palette)
{
    quint32 rgb = oleColor & 0x00FFFFFFu;
    if (oleColor & kSystemFlag) {
        const QPalette pal = palette ? *palette : QGuiApplication::palette();
        const int index = static_cast<int>(oleColor & 0xFFu);
        QColor color(Qt::black); // an unknown system colour
        for (const SystemColor& entry : kSystemColors) {
            if (entry.index == index)
                color = pal.color(entry.group, entry.role);
        }
        rgb = FromQColor(color);
    }
    const quint32 r = std::min<quint32>(rgb & 0xFFu, 255u);
    const quint32 g = std::min<quint32>((rgb >> 8) & 0xFFu, 255u);
    const quint32 b = std::min<quint32>((rgb >> 16) & 0xFFu, 255u);
    return r | (g << 8) | (b << 16);
}

QColor ASpinnerBox::ToQColor(quint32 rgb)
{
    return QColor(int(rgb & 0xFFu), int((rgb >> 8) & 0xFFu), int((rgb >> 16) & 0xFFu));
}

quint32 ASpinnerBox::FromQColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

void ASpinnerBox::setBackColor(quint32 oleColor)
{
    m_backColor = oleColor;
    applyColors();
    update();
    markChanged(QStringLiteral("BackColor"));
}

void ASpinnerBox::setForeColor(quint32 oleColor)
{
    m_foreColor = oleColor;
    applyColors();
    markChanged(QStringLiteral("ForeColor"));
}

void ASpinnerBox::setBorderColor(quint32 oleColor)
{
    m_borderColor = oleColor;
    update();
    markChanged(QStringLiteral("BorderColor"));
}

void ASpinnerBox::applyColors()
{
    const QPalette appPalette = palette();
    QPalette pal = m_txtSpin->palette();
    const QColor back = ToQColor(AdjustToOLE_COLOR(m_backColor, &appPalette));
    const QColor fore = ToQColor(AdjustToOLE_COLOR(m_foreColor, &appPalette));
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Base, back);
        pal.setColor(group, QPalette::Text, fore);
    }
    pal.setColor(QPalette::Disabled, QPalette::Base, back);
    m_txtSpin->setPalette(pal);
}

void ASpinnerBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette appPalette = palette();
    p.fillRect(rect(), ToQColor(AdjustToOLE_COLOR(m_borderColor, &appPalette)));
    // The text area from (1, 1) to (W - 17, 19), right and bottom edges
    // excluded, so that one pixel of the border shows all around.
    p.fillRect(QRect(QPoint(1, 1), QPoint(width() - 18, height() - 2)),
               ToQColor(AdjustToOLE_COLOR(m_backColor, &appPalette)));
}

// ---- layout

void ASpinnerBox::resizeEvent(QResizeEvent*)
{
    layoutChildren();
}

void ASpinnerBox::layoutChildren()
{
    const int w = std::max(width(), kMinWidth);
    const int h = boxHeight();
    if (w != width() || height() != h)
        resize(w, h);
    m_txtSpin->setGeometry(6, 3, w - 23, h - 6);
    const int left = w - m_picUp->width() - 1;
    m_picUp->move(left, 1);
    m_picDown->move(left, 10);
}

// ---- properties

void ASpinnerBox::markChanged(const QString& name)
{
    m_propertiesChanged = true;
    emit PropertyChanged(name);
}

void ASpinnerBox::setMin(qint32 min)
{
    m_min = min;
    markChanged(QStringLiteral("Min"));
}

void ASpinnerBox::setMax(qint32 max)
{
    m_max = max;
    markChanged(QStringLiteral("Max"));
}

void ASpinnerBox::setValue(qint32 value)
{
    applyValue(value);
}

void ASpinnerBox::applyValue(qint64 number)
{
    if (number < m_min || number > m_max) {
        showValueText();
        return;
    }
    m_value = static_cast<qint32>(number);
    showValueText();
    markChanged(QStringLiteral("Value"));
}

void ASpinnerBox::showValueText()
{
    m_txtSpin->setText(QString::number(m_value));
}

void ASpinnerBox::ReadProperties(const QVariantMap& bag)
{
    if (bag.contains(QStringLiteral("Font"))) {
        QFont font;
        if (font.fromString(bag.value(QStringLiteral("Font")).toString()))
            setFont(font);
    }
    auto color = [&](const char* name, quint32 fallback) {
        bool ok = false;
        const quint32 c = bag.value(QLatin1String(name)).toUInt(&ok);
        return ok ? c : fallback;
    };
    auto number = [&](const char* name, qint32 fallback) {
        bool ok = false;
        const qint32 n = bag.value(QLatin1String(name)).toInt(&ok);
        return ok ? n : fallback;
    };
    m_backColor = color("BackColor", kDefaultBackColor);
    m_foreColor = color("ForeColor", kDefaultForeColor);
    m_borderColor = color("BorderColor", kDefaultBorderColor);
    m_min = number("Min", 0);
    m_max = number("Max", kDefaultMax);
    m_value = 0;
    applyValue(number("Value", 0));
    applyColors();
    update();
    m_propertiesChanged = false;
}

QVariantMap ASpinnerBox::WriteProperties() const
{
    QVariantMap bag;
    bag.insert(QStringLiteral("Font"), font().toString());
    bag.insert(QStringLiteral("BackColor"), m_backColor);
    bag.insert(QStringLiteral("ForeColor"), m_foreColor);
    bag.insert(QStringLiteral("BorderColor"), m_borderColor);
    bag.insert(QStringLiteral("Value"), m_value);
    bag.insert(QStringLiteral("Min"), m_min);
    bag.insert(QStringLiteral("Max"), m_max);
    return bag;
}

// ---- the text box

qint64 ASpinnerBox::textNumber(bool* ok) const
{
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    const QString text = m_txtSpin->text().trimmed();
    *ok = whole.match(text).hasMatch();
    if (!*ok)
        return m_value;
    bool fits = false;
    const qint64 n = text.toLongLong(&fits);
    if (fits)
        return n;
    // More digits than any range holds: as far out as the sign says.
    return text.startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

void ASpinnerBox::onKeyStep(bool up)
{
    (up ? m_picUp : m_picDown)->setFrame(up ? UpPressed : DownPressed);
    bool ok = false;
    qint64 n = textNumber(&ok);
    if (up && n < m_max)
        ++n;
    else if (!up && n > m_min)
        --n;
    m_txtSpin->setText(QString::number(n));
}

void ASpinnerBox::txtSpin_LostFocus()
{
    bool ok = false;
    qint64 n = textNumber(&ok);
    if (ok) {
        if (n < m_min)
            n = m_min;
        if (n > m_max) // applied last, so with Min above Max the upper limit wins
            n = m_max;
        m_txtSpin->setText(QString::number(n));
        applyValue(n);
        return;
    }
    if (m_messages) {
        m_messages->ShowMessage(tr(kNotNumeric));
    } else {
        static auto* const boxes = new MessageBoxService(QStringLiteral("Tonquill"), qApp);
        boxes->ShowMessage(tr(kNotNumeric));
    }
    showValueText();
}

bool ASpinnerBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_txtSpin)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            onKeyStep(key->key() == Qt::Key_Up);
            return true;
        }
        break;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            if (!key->isAutoRepeat()) {
                m_picUp->setFrame(UpNormal);
                m_picDown->setFrame(DownNormal);
            }
            m_txtSpin->selectAll();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        // After the line edit's own handling, which may place the cursor.
        QTimer::singleShot(0, m_txtSpin, [edit = m_txtSpin] {
            if (edit->hasFocus())
                edit->selectAll();
        });
        break;
    case QEvent::FocusOut: {
        // Switching to another window or opening a menu is not leaving the box.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            txtSpin_LostFocus();
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- arrows and auto-repeat

void ASpinnerBox::step(bool up)
{
    bool ok = false;
    qint64 n = textNumber(&ok);
    if (up && n < m_max)
        ++n;
    else if (!up && n > m_min)
        --n;
    m_txtSpin->setText(QString::number(n));
    applyValue(n);
}

void ASpinnerBox::arrowPressed(SpinArrow* arrow)
{
    arrow->setFrame(arrow->isUp() ? UpPressed : DownPressed);
    m_held = true;
    m_heldUp = arrow->isUp();
    if (m_timer->IsActive()) {
        // The earlier press still waits for its step; this one gets its own.
        ++m_owedPresses;
        return;
    }
    m_steps = 0;
    m_timer->StartOnce(kFirstRepeatMs, [this] { repeatTimeout(); });
}

void ASpinnerBox::repeatTimeout()
{
    step(m_heldUp);
    ++m_steps;
    if (m_held) {
        m_timer->StartOnce(m_steps < kSlowSteps ? kFirstRepeatMs : kLaterRepeatMs, [this] { repeatTimeout(); });
    } else if (m_owedPresses > 0) {
        --m_owedPresses;
        m_steps = 0;
        m_timer->StartOnce(kFirstRepeatMs, [this] { repeatTimeout(); });
    }
}

void ASpinnerBox::arrowReleased(SpinArrow* arrow, bool stillOver)
{
    // The step of the current wait still comes; then the repeat ends.
    m_held = false;
    if (arrow->isUp())
        arrow->setFrame(stillOver ? UpHot : UpNormal);
    else
        arrow->setFrame(stillOver ? DownHot : DownNormal);
}

void ASpinnerBox::arrowEntered(SpinArrow* arrow)
{
    if (m_held && m_heldUp == arrow->isUp())
        return; // stays pressed
    arrow->setFrame(arrow->isUp() ? UpHot : DownHot);
}

void ASpinnerBox::arrowLeft(SpinArrow* arrow)
{
    if (m_held && m_heldUp == arrow->isUp())
        return;
    arrow->setFrame(arrow->isUp() ? UpNormal : DownNormal);
}

void ASpinnerBox::stopRepeat()
{
    m_held = false;
    m_owedPresses = 0;
    m_timer->Stop();
    m_picUp->setFrame(UpNormal);
    m_picDown->setFrame(DownNormal);
}

void ASpinnerBox::changeEvent(QEvent* event)
{
    // A hidden or disabled arrow never sees its mouse-up: end the repeat.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        stopRepeat();
    if (event->type() == QEvent::PaletteChange)
        applyColors();
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setFixedHeight(boxHeight());
        layoutChildren();
    }
}

int ASpinnerBox::boxHeight() const
{
    // The classic 20 pixels, taller where the font needs it: the text field
    // inside keeps 3 pixels above and below its line.
    return std::max(kHeight, m_txtSpin->fontMetrics().height() + 6);
}

void ASpinnerBox::hideEvent(QHideEvent* event)
{
    stopRepeat();
    QWidget::hideEvent(event);
}
