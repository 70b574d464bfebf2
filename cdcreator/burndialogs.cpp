#include "cdcreator/burndialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {
const QString kTitle = QStringLiteral("Discwright");

// A modal box whose text is shown as it is: a file or tag name in it is never markup.
void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, kTitle, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
} // namespace

void WidgetBurnDialogs::Inform(const QString& text)
{
    showBox(m_parent, QMessageBox::Information, text);
}

void WidgetBurnDialogs::Critical(const QString& text)
{
    showBox(m_parent, QMessageBox::Critical, text);
}

QStringList WidgetBurnDialogs::OpenFiles(const QString& filter)
{
    return QFileDialog::getOpenFileNames(m_parent, kTitle, QString(), DialogNameFilter(filter));
}

QString DialogNameFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return filter;
    QStringList patterns;
    QStringList upper;
    for (const QString& raw : parts.at(1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = raw.trimmed();
        if (pattern.isEmpty())
            continue;
        patterns << pattern;
        if (pattern.toUpper() != pattern)
            upper << pattern.toUpper();
    }
    return parts.at(0).trimmed() + QStringLiteral(" (") + (patterns + upper).join(QLatin1Char(' ')) +
           QLatin1Char(')');
}
