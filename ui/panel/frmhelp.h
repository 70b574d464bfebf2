#pragma once

#include <QDialog>
#include <QUrl>

class QPushButton;
class QTextBrowser;

// The user's guide in a window of the program's own, so that help needs no
// web browser: links within the guide are followed in the window, a web
// address is handed to the owner (webAddressClicked). It does not block
// the windows around it.
class frmHelp : public QDialog {
    Q_OBJECT
public:
    static const QString kCaption; // "Tonquill Help"

    explicit frmHelp(QWidget* parent = nullptr);

    // Shows the document at `path` from its beginning.
    void ShowDocument(const QString& path);
    // What a click on `url` does: a link into the guide is followed here,
    // any other address goes to webAddressClicked.
    void FollowLink(const QUrl& url);

    QTextBrowser* txtHelp = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdContents = nullptr;

signals:
    void webAddressClicked(const QUrl& url);

private:
    QUrl m_home;
};
