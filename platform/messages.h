#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// How a message is shown: with a display, the icon of its box.
enum class MessageKind {
    Plain, // no icon
    Information,
    Exclamation, // a warning the user can correct
    Error,
};

// A message the user must see, as a value: the core raises it, whoever shows
// messages in this run decides how (a box with the program's caption on a
// desktop, a line on stderr without one).
struct Message {
    MessageKind kind = MessageKind::Plain;
    QString text;
    friend bool operator==(const Message& a, const Message& b) { return a.kind == b.kind && a.text == b.text; }
};

class IMessageService {
public:
    virtual ~IMessageService() = default;
    // Delivers `message` and returns at once; it never waits for the user.
    // `dismissed`, when given, runs once the user has seen the message (at
    // once where nobody has to close it), from the event loop.
    virtual void Raise(const Message& message, std::function<void()> dismissed) = 0;

    void ShowMessage(const QString& text) { Raise({MessageKind::Plain, text}, {}); }
    void ShowExclamation(const QString& text, std::function<void()> dismissed = {})
    {
        Raise({MessageKind::Exclamation, text}, std::move(dismissed));
    }
};

// Every message as a line "Title: text" on stderr, line ends made spaces.
class StderrMessageService : public IMessageService {
public:
    explicit StderrMessageService(QString title) : m_title(std::move(title)) {}
    void setTitle(QString title) { m_title = std::move(title); }
    void Raise(const Message& message, std::function<void()> dismissed) override;

private:
    QString m_title;
};

