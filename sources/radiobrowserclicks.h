#pragma once

#include <QObject>

class QNetworkAccessManager;

// Tells Radio Browser that one of its stations is played, as its API asks
// of the programs that use it: recording or listening to a station whose
// playlist was written from a Radio Browser result counts one click.
class RadioBrowserClicks : public QObject {
    Q_OBJECT
public:
    explicit RadioBrowserClicks(QNetworkAccessManager* network = nullptr, QObject* parent = nullptr);

    // Sends the click when `playlist` is such a file; true when one was sent.
    bool Count(const QString& playlist);

private:
    QNetworkAccessManager* m_network;
};
