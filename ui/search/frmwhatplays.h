#pragma once

#include "history/historyreader.h"
#include "ui/search/whatplaysmodel.h"

#include <QDateTime>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class IUrlOpener;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

struct WhatPlaysDeps {
    IUrlOpener* urls = nullptr;
    // Empty: the history in the data folder.
    QString historyPath;
    // Empty: the folder of the ignore and wish lists beside the user's settings.
    QString listsFolder;
    // Empty: the system's clock (the periods begin from it).
    std::function<QDateTime()> now;
};

// "What Plays Where": the titles played most often over a period, on one
// station or on all; a search field; for the title chosen, where and when
// it was heard and the files it was saved to. A row's title goes to the
// wish list or the ignore list, its file opens with the desktop's program.
class frmWhatPlays : public QWidget {
    Q_OBJECT
public:
    explicit frmWhatPlays(const WhatPlaysDeps& deps, QWidget* parent = nullptr);
    ~frmWhatPlays() override;

    // The filter the controls show, with its period's start taken now.
    ChartFilter CurrentFilter() const;
    // Reads the chart again (and the station list).
    void Refresh();

    TitleChartModel& Titles() { return *m_titles; }
    TitlePlaysModel& Plays() { return *m_plays; }
    // The text of the line under the tables.
    QString Status() const;

    void AddToWishList();
    void AddToIgnoreList();
    void OpenFile();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void applyFilter();
    void titleChosen();
    void showStations(const QStringList& names);
    void showCount();
    void addTo(const char* file);
    // The title of the row chosen in either table; empty when none.
    QString chosenTitle() const;
    // The file of the play chosen, else the newest saved file of the title chosen.
    QString chosenFile() const;
    void say(const QString& text);

    WhatPlaysDeps m_deps;
    std::unique_ptr<HistoryReader> m_reader;
    TitleChartModel* m_titles = nullptr;
    TitlePlaysModel* m_plays = nullptr;
    QComboBox* m_period = nullptr;
    QComboBox* m_station = nullptr;
    QLineEdit* m_search = nullptr;
    QTableView* m_titleView = nullptr;
    QTableView* m_playView = nullptr;
    QLabel* m_status = nullptr;
    QAction* m_addWish = nullptr;
    QAction* m_addIgnore = nullptr;
    QAction* m_openFile = nullptr;
    QTimer m_typing;
    QString m_said; // the last result of an action, shown until the next filter
};
