#pragma once

#include "platform/messages.h"

// Modal message boxes with the program's title and an OK button.
class MessageBoxService : public IMessageService {
public:
    explicit MessageBoxService(QString title) : m_title(std::move(title)) {}
    void ShowMessage(const QString& text) override;
    void ShowExclamation(const QString& text) override;

private:
    QString m_title;
};
