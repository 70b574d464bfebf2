#pragma once

// The tables of the "What Plays Where" window: the most played titles and
// the plays of one title, each a page of the history at a time, read by a
// HistoryReader on its own thread. The table asks for more as it is
// scrolled (canFetchMore / fetchMore); a new filter starts again at the top.

#include "history/historyreader.h"

#include <QAbstractTableModel>
#include <vector>

// What both tables share: the question waiting, and whether more follow.
class PagedHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPageRows = kChartPageRows;

    explicit PagedHistoryModel(HistoryReader& reader, QObject* parent = nullptr);

    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // A question is on its way.
    bool Loading() const { return m_waiting != 0; }

signals:
    // A page came in (the first after a new filter, or one more).
    void pageRead();

protected:
    // Empties the table and asks for its first page.
    void restart();
    // Asks for rows `offset`.. of the table; the question's number.
    virtual int ask(int offset) = 0;
    virtual int loadedRows() const = 0;
    // Whether `question` is the one waiting; if so, it is answered with `rows` rows.
    bool answered(int question, std::size_t rows);

    HistoryReader& m_reader;

private:
    int m_waiting = 0;
    bool m_more = false;
};

// Title, plays, stations, last heard: the most played first.
class TitleChartModel : public PagedHistoryModel {
    Q_OBJECT
public:
    enum Column { TitleColumn, PlaysColumn, StationsColumn, LastColumn, Columns };
    explicit TitleChartModel(HistoryReader& reader, QObject* parent = nullptr);

    void SetFilter(const ChartFilter& filter);
    ChartFilter Filter() const { return m_filter; }
    const TitleCount* Row(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    int ask(int offset) override;
    int loadedRows() const override { return int(m_rows.size()); }

private:
    ChartFilter m_filter;
    std::vector<TitleCount> m_rows;
};

// Station, when, state, file: where and when one title was heard, newest first.
class TitlePlaysModel : public PagedHistoryModel {
    Q_OBJECT
public:
    enum Column { StationColumn, StartColumn, StateColumn, FileColumn, Columns };
    explicit TitlePlaysModel(HistoryReader& reader, QObject* parent = nullptr);

    // An empty title empties the table.
    void SetTitle(const QString& title, const ChartFilter& filter);
    QString Title() const { return m_title; }
    const Play* Row(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A play's state as the table shows it.
    static QString StateText(const QString& state);

protected:
    int ask(int offset) override;
    int loadedRows() const override { return int(m_rows.size()); }

private:
    QString m_title;
    ChartFilter m_filter;
    std::vector<Play> m_rows;
};
