#pragma once

#include "platform/messages.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQueue>

// Shows messages as message boxes with the program's caption, an OK button
// and the icon of their kind. A box never runs a loop of its own: Raise
// returns at once, the box is shown above the window in front without
// blocking any window, and further messages wait in order until it is
// closed, one box at a time.
class MessageBoxService : public QObject, public IMessageService {
    Q_OBJECT
public:
    explicit MessageBoxService(QString caption, QObject* parent = nullptr);
    ~MessageBoxService() override;

    void Raise(const Message& message, std::function<void()> dismissed) override;

    // The box on screen; null when none is.
    QMessageBox* Showing() const { return m_box; }
    // The messages waiting behind it.
    qsizetype Waiting() const { return m_waiting.size(); }
    bool Idle() const { return !m_box && m_waiting.isEmpty(); }
    // Runs `then` from the event loop once every message raised so far has
    // been closed (at once when there is none).
    void AfterLast(std::function<void()> then);
    // Closes the box on screen and drops the waiting messages, as when the
    // program is ended from outside.
    void DismissAll();

    // A property every box of the queue carries, for code that closes the
    // program's dialogs to tell them apart.
    static constexpr const char* kBoxProperty = "tonquillMessageBox";

signals:
    // The last box was closed and none waits.
    void idle();

private:
    struct Entry {
        Message message;
        std::function<void()> dismissed;
    };
    void showNext();
    void closed();

    QString m_caption;
    QQueue<Entry> m_waiting;
    QPointer<QMessageBox> m_box;
    std::function<void()> m_dismissed; // of the box on screen
    bool m_dismissing = false;
};
