#pragma once

#include "config/configuration.h"
#include "ui/search/searchdeps.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

// "Local Preset Searcher": lists the presets of the program's "Presets"
// folder whose station title contains a keyword, and adds the chosen ones
// to the panel's station list.
class frmLocalSearch : public QWidget {
    Q_OBJECT
public:
    explicit frmLocalSearch(const SearchDeps& deps, QWidget* parent = nullptr);

    void cmdFind_Click();
    void cmdAdd_Click();
    void FilesList_DblClick();
    QString PresetsFolder() const;

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtKeyword = nullptr;
    QToolButton* cmdFind = nullptr;
    QListWidget* FilesList = nullptr;
    QPushButton* cmdAdd = nullptr;
    // Under the list after a search that found nothing: the folder searched.
    QLabel* lblResult = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();

    SearchDeps m_deps;
    // The presets are read into a configuration of the window's own: a
    // search must not change a recording that runs meanwhile, nor what the
    // panel is later filled from.
    clsConfiguration m_presets;
};
