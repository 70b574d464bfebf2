#pragma once

#include "config/configuration.h"
#include "ui/search/searchdeps.h"

#include <QWidget>
#include <memory>

namespace Ui {
class frmLocalSearch;
}

// "Local Preset Searcher": lists the presets of the program's "Presets"
// folder whose station title contains a keyword, and adds the chosen ones
// to the panel's station list.
class frmLocalSearch : public QWidget {
    Q_OBJECT
public:
    explicit frmLocalSearch(const SearchDeps& deps, QWidget* parent = nullptr);
    ~frmLocalSearch() override;

    void cmdFind_Click();
    void cmdAdd_Click();
    void FilesList_DblClick();
    QString PresetsFolder() const;

private:
    void Form_Load();

    std::unique_ptr<Ui::frmLocalSearch> m_ui;
    SearchDeps m_deps;
    // The presets are read into a configuration of the window's own: a
    // search must not change a recording that runs meanwhile, nor what the
    // panel is later filled from.
    clsConfiguration m_presets;
};
