#include "ui/shell/recordingspane.h"

#include "ui/shell/recordingsmodel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

RecordingsPane::RecordingsPane(RecordingsModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblRecordings"));
    m_table->setAccessibleName(tr("Recordings"));
    m_table->setModel(&model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_buttons = new QWidget(this);
    auto* row = new QHBoxLayout(m_buttons);
    row->setContentsMargins(0, 0, 0, 0);
    m_stop = addAction(tr("Stop"), &RecordingsPane::stopRequested);
    m_pause = addAction(tr("Pause"), &RecordingsPane::pauseRequested);
    m_listen = addAction(tr("Listen"), &RecordingsPane::listenRequested);
    m_openFolder = addAction(tr("Open Folder"), &RecordingsPane::openFolderRequested);
    m_saveLastMinutes = addAction(tr("Save the Last Minutes"), &RecordingsPane::saveLastMinutesRequested);
    m_saveThisSong = addAction(tr("Save This Song"), &RecordingsPane::saveThisSongRequested);
    row->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_buttons);

    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
        if (now.isValid())
            m_model.SetFocused(m_model.IdAt(now.row()));
        updateActions();
    });
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (const int id = m_model.IdAt(index.row()))
            emit showRequested(id);
    });
    // The selection follows the focus when the focus moves by itself (a
    // recording started, the focused one removed).
    connect(&model, &RecordingsModel::focusChanged, this, &RecordingsPane::selectFocused);
    connect(&model, &QAbstractItemModel::rowsInserted, this, &RecordingsPane::selectFocused);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, &RecordingsPane::selectFocused);
    selectFocused();
}

QAction* RecordingsPane::addAction(const QString& text, void (RecordingsPane::*signal)(int))
{
    auto* action = new QAction(text, this);
    connect(action, &QAction::triggered, this, [this, signal] {
        if (const int id = SelectedId())
            emit(this->*signal)(id);
    });
    m_table->addAction(action);
    auto* button = new QToolButton(m_buttons);
    button->setDefaultAction(action);
    button->setAccessibleName(text);
    m_buttons->layout()->addWidget(button);
    return action;
}

int RecordingsPane::SelectedId() const
{
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    return current.isValid() ? m_model.IdAt(current.row()) : 0;
}

void RecordingsPane::selectFocused()
{
    const int row = m_model.RowOf(m_model.Focused());
    if (row >= 0 && m_table->selectionModel()->currentIndex().row() != row)
        m_table->selectionModel()->setCurrentIndex(m_model.index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    updateActions();
}

void RecordingsPane::updateActions()
{
    const bool any = SelectedId() != 0;
    for (QAction* action : {m_stop, m_pause, m_listen, m_openFolder, m_saveLastMinutes, m_saveThisSong})
        if (action)
            action->setEnabled(any);
}
