#include "ui/panel/keptvalue.h"

#include "ui/controls/aspinnerbox.h"

#include <QLineEdit>
#include <algorithm>

KeptSpinnerValue::KeptSpinnerValue(ASpinnerBox* spinner)
    : QObject(spinner), m_spinner(spinner), m_toolTip(spinner->toolTip())
{
    // Any value the user gives the spinner, other than the one shown for the
    // kept number, replaces it.
    connect(spinner, &ASpinnerBox::PropertyChanged, this, [this](const QString& name) {
        if (m_kept && name == QLatin1String("Value") && m_spinner->value() != m_shown)
            forget();
    });
}

void KeptSpinnerValue::Show(qint32 value)
{
    forget();
    if (value >= m_spinner->Min() && value <= m_spinner->Max()) {
        m_spinner->setValue(value);
        return;
    }
    m_shown = std::clamp(value, m_spinner->Min(), m_spinner->Max());
    m_spinner->setValue(m_shown);
    m_kept = value;
    const QString tip = tr("%1 is kept as it is: it is %2 this box can show. Change the value here to "
                           "replace it.")
                            .arg(value)
                            .arg(value > m_spinner->Max() ? tr("more than") : tr("less than"));
    m_spinner->setToolTip(tip);
    m_spinner->txtSpin()->setToolTip(tip);
    m_spinner->txtSpin()->setAccessibleDescription(tip);
}

qint32 KeptSpinnerValue::Value() const
{
    return m_kept ? *m_kept : m_spinner->value();
}

void KeptSpinnerValue::forget()
{
    if (!m_kept)
        return;
    m_kept.reset();
    m_spinner->setToolTip(m_toolTip);
    m_spinner->txtSpin()->setToolTip(m_toolTip);
    m_spinner->txtSpin()->setAccessibleDescription(QString());
}
