#include "ui/search/frmlocalsearch.h"

#include "config/configuration.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "ui/controls/plaintooltip.h"
#include "ui/search/frmbrowser.h"
#include "ui_frmlocalsearch.h"

#include <QDir>
#include <QStyle>
#include <algorithm>

frmLocalSearch::frmLocalSearch(const SearchDeps& deps, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::frmLocalSearch>()), m_deps(deps)
{
    InstallSearchWindowAccessibility();
    m_presets.setMessageService(m_deps.messages);
    m_ui->setupUi(this);
    m_ui->cmdFind->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));

    connect(m_ui->cmdFind, &QToolButton::clicked, this, &frmLocalSearch::cmdFind_Click);
    connect(m_ui->txtKeyword, &QLineEdit::returnPressed, this, &frmLocalSearch::cmdFind_Click);
    connect(m_ui->cmdAdd, &QPushButton::clicked, this, &frmLocalSearch::cmdAdd_Click);
    connect(m_ui->FilesList, &QListWidget::itemDoubleClicked, this, [this] { FilesList_DblClick(); });

    // Some twenty lines high, wide enough for a long title.
    const QFontMetrics metrics = fontMetrics();
    resize(64 * metrics.averageCharWidth(), 20 * metrics.height());
    Form_Load();
}

frmLocalSearch::~frmLocalSearch() = default;

void frmLocalSearch::Form_Load()
{
    m_ui->FilesList->clear();
    m_ui->lblResult->hide();
}

QString frmLocalSearch::PresetsFolder() const
{
    return m_deps.presetsFolder.isEmpty() ? ProgramFolders::PresetsFolder(false) : m_deps.presetsFolder;
}

void frmLocalSearch::cmdFind_Click()
{
    m_ui->FilesList->clear();
    const QString folder = PresetsFolder();
    QDir dir(folder);
    // Folders named like presets are enumerated too and then passed over.
    const QStringList entries = dir.entryList(
        {QStringLiteral("*.tvp")}, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    const QString keyword = m_ui->txtKeyword->text().toUpper();
    clsConfiguration& config = m_presets;
    int presets = 0;
    for (const QString& entry : entries) {
        const QString path = JoinPath(folder, entry);
        if (!FileExists(path))
            continue;
        ++presets;
        // A preset that cannot be read shows its own messages; the search
        // goes on with what the configuration then holds.
        config.LoadConfigurationFile(path);
        const QString title = config.sRecordingTitle;
        if (!title.isEmpty() && title.toUpper().contains(keyword)) {
            // The preset's title is listed, its file is the tool tip.
            auto* item = new QListWidgetItem(title, m_ui->FilesList);
            item->setToolTip(PlainToolTip(QDir::toNativeSeparators(path)));
            item->setData(Qt::UserRole, path);
        }
    }
    const QString where = QDir::toNativeSeparators(folder);
    if (presets == 0)
        m_ui->lblResult->setText(tr("There are no presets in %1.").arg(where));
    else
        m_ui->lblResult->setText(
            tr("No preset in %1 has a station title containing \"%2\".").arg(where, m_ui->txtKeyword->text()));
    m_ui->lblResult->setVisible(m_ui->FilesList->count() == 0);
}

void frmLocalSearch::cmdAdd_Click()
{
    QList<int> rows;
    for (QListWidgetItem* item : m_ui->FilesList->selectedItems())
        rows.append(m_ui->FilesList->row(item));
    std::sort(rows.begin(), rows.end());
    clsConfiguration& config = m_presets;
    for (int row : rows) {
        config.LoadConfigurationFile(m_ui->FilesList->item(row)->data(Qt::UserRole).toString());
        if (m_deps.appendStation)
            m_deps.appendStation(config.sRecordingTitle, config.sShoutCastFile);
    }
}

void frmLocalSearch::FilesList_DblClick()
{
    cmdAdd_Click();
}
