#pragma once

#include <QString>
#include <QStringList>

// Messages the user must see. With a display they are modal boxes with the
// program's title; without one they are a line on stderr.
class IMessageService {
public:
    virtual ~IMessageService() = default;
    virtual void ShowMessage(const QString& text) = 0;
    // The same with an exclamation icon (a warning the user can correct).
    virtual void ShowExclamation(const QString& text) { ShowMessage(text); }
};

class StderrMessageService : public IMessageService {
public:
    explicit StderrMessageService(QString title) : m_title(std::move(title)) {}
    void ShowMessage(const QString& text) override;

private:
    QString m_title;
};

// Keeps every message for the tests to read.
class RecordingMessageService : public IMessageService {
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    void ShowExclamation(const QString& text) override
    {
        messages.append(text);
        exclamations.append(text);
    }
    QStringList messages;
    QStringList exclamations;  // the messages shown with the exclamation icon
};
