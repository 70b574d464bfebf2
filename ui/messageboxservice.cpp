#include "ui/messageboxservice.h"

#include <QMessageBox>

void MessageBoxService::ShowMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok);
    // An address or a path in a message can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void MessageBoxService::ShowExclamation(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, m_title, text, QMessageBox::Ok);
    box.exec();
}
