#include "ui/messageboxservice.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

namespace {

QMessageBox::Icon IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Plain:
        return QMessageBox::NoIcon;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Exclamation:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBoxService::MessageBoxService(QString caption, QObject* parent) : QObject(parent), m_caption(std::move(caption))
{
}

MessageBoxService::~MessageBoxService()
{
    m_waiting.clear();
    if (m_box) {
        m_box->disconnect(this);
        delete m_box;
    }
}

void MessageBoxService::Raise(const Message& message, std::function<void()> dismissed)
{
    m_waiting.enqueue({message, std::move(dismissed)});
    // Called from a socket's or a timer's handler as well: the box opens
    // from the event loop, after that handler has returned.
    if (!m_box && m_waiting.size() == 1)
        QMetaObject::invokeMethod(this, &MessageBoxService::showNext, Qt::QueuedConnection);
}

void MessageBoxService::showNext()
{
    if (m_box || m_waiting.isEmpty())
        return;
    const Entry entry = m_waiting.dequeue();
    auto* box = new QMessageBox(IconOf(entry.message.kind), m_caption, entry.message.text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setProperty(kBoxProperty, true);
    // Messages quote station names, titles, addresses and file names: never markup.
    box->setTextFormat(Qt::PlainText);
    // An address or a path in a message can be copied.
    if (entry.message.kind == MessageKind::Plain)
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_box = box;
    m_dismissed = entry.dismissed;
    connect(box, &QDialog::finished, this, &MessageBoxService::closed);
    // Above the window in front when it comes, without belonging to it (it
    // outlives a window that closes) and without blocking it: the core never
    // waits for a box, and a user who closes the panel or quits from the
    // display or the tray is not held back by a notice behind them.
    QWidget* front = QApplication::activeWindow();
    if (front && front != box) {
        box->winId();
        if (QWindow* handle = box->windowHandle())
            handle->setTransientParent(front->windowHandle());
    }
    box->setWindowModality(Qt::NonModal);
    box->show();
    box->raise();
}

void MessageBoxService::closed()
{
    m_box = nullptr;
    const std::function<void()> dismissed = std::move(m_dismissed);
    m_dismissed = nullptr;
    if (dismissed && !m_dismissing)
        QMetaObject::invokeMethod(this, dismissed, Qt::QueuedConnection);
    // After the closed message's own follow-up, in order.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (Idle())
                emit idle();
            else
                showNext();
        },
        Qt::QueuedConnection);
}

void MessageBoxService::AfterLast(std::function<void()> then)
{
    if (Idle()) {
        QMetaObject::invokeMethod(this, then, Qt::QueuedConnection);
        return;
    }
    auto* once = new QObject(this);
    connect(this, &MessageBoxService::idle, once, [once, then] {
        once->deleteLater();
        then();
    });
}

void MessageBoxService::DismissAll()
{
    m_dismissing = true;
    m_waiting.clear();
    if (m_box)
        m_box->done(QMessageBox::Ok);
    m_dismissing = false;
}
