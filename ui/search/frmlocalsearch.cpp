#include "ui/search/frmlocalsearch.h"

#include "config/configuration.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "ui/search/frmbrowser.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace {
constexpr int twips(int t)
{
    return t / 15;
}
} // namespace

frmLocalSearch::frmLocalSearch(const SearchDeps& deps, QWidget* parent) : QWidget(parent), m_deps(deps)
{
    InstallSearchWindowAccessibility();
    m_presets.setMessageService(m_deps.messages);
    setObjectName(QStringLiteral("frmLocalSearch"));
    setWindowTitle(tr("Local Preset Searcher"));
    Frame1 = new QGroupBox(tr("Search Local Presets"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(tr("Enter Keyword :"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtKeyword = new QLineEdit(QStringLiteral("World"), Frame1);
    txtKeyword->setObjectName(QStringLiteral("txtKeyword"));
    txtKeyword->setAccessibleName(tr("Keyword"));
    Label1->setBuddy(txtKeyword);
    cmdFind = new QToolButton(Frame1);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    cmdFind->setToolTip(tr("Find"));
    cmdFind->setAccessibleName(tr("Find"));
    cmdAdd = new QPushButton(tr("Add Station"), Frame1);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setAccessibleName(tr("Add Station"));
    auto* row = new QHBoxLayout(Frame1);
    row->addWidget(Label1);
    row->addWidget(txtKeyword, 1);
    row->addWidget(cmdFind);
    row->addWidget(cmdAdd);

    FilesList = new QListWidget(this);
    FilesList->setObjectName(QStringLiteral("FilesList"));
    FilesList->setAccessibleName(tr("Presets found"));
    FilesList->setToolTip(tr("Double-click to Add an item to Station List"));
    FilesList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setWordWrap(true);
    lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblResult->hide();

    connect(cmdFind, &QToolButton::clicked, this, &frmLocalSearch::cmdFind_Click);
    connect(txtKeyword, &QLineEdit::returnPressed, this, &frmLocalSearch::cmdFind_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmLocalSearch::cmdAdd_Click);
    connect(FilesList, &QListWidget::itemDoubleClicked, this, [this] { FilesList_DblClick(); });

    resize(520, 360);
    setMinimumSize(320, 200);
    Form_Load();
}

void frmLocalSearch::Form_Load()
{
    FilesList->clear();
    lblResult->hide();
    Form_Resize();
}

QString frmLocalSearch::PresetsFolder() const
{
    return m_deps.presetsFolder.isEmpty() ? ProgramFolders::PresetsFolder(false) : m_deps.presetsFolder;
}

void frmLocalSearch::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmLocalSearch::Form_Resize()
{
    const int left = twips(100);
    Frame1->move(left, twips(100));
    Frame1->resize(qMax(0, width() - twips(300)), Frame1->sizeHint().height());
    const int top = Frame1->y() + Frame1->height() + twips(60);
    const int width = qMax(0, this->width() - twips(200));
    const int result = lblResult->isHidden() ? 0 : lblResult->heightForWidth(width) + twips(60);
    const int height =
        qMax(0, this->height() - (Frame1->y() + Frame1->height() + txtKeyword->height()) - twips(300) - result);
    FilesList->setGeometry(left, top, width, height);
    if (result > 0)
        lblResult->setGeometry(left, top + height + twips(60), width, result - twips(60));
}

void frmLocalSearch::cmdFind_Click()
{
    FilesList->clear();
    const QString folder = PresetsFolder();
    QDir dir(folder);
    // Folders named like presets are enumerated too and then passed over.
    const QStringList entries = dir.entryList(
        {QStringLiteral("*.tvp")}, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    const QString keyword = txtKeyword->text().toUpper();
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
            auto* item = new QListWidgetItem(title, FilesList);
            item->setToolTip(QDir::toNativeSeparators(path));
            item->setData(Qt::UserRole, path);
        }
    }
    const QString where = QDir::toNativeSeparators(folder);
    if (presets == 0)
        lblResult->setText(tr("There are no presets in %1.").arg(where));
    else
        lblResult->setText(tr("No preset in %1 has a station title containing \"%2\".").arg(where, txtKeyword->text()));
    lblResult->setVisible(FilesList->count() == 0);
    Form_Resize();
}

void frmLocalSearch::cmdAdd_Click()
{
    QList<int> rows;
    for (QListWidgetItem* item : FilesList->selectedItems())
        rows.append(FilesList->row(item));
    std::sort(rows.begin(), rows.end());
    clsConfiguration& config = m_presets;
    for (int row : rows) {
        config.LoadConfigurationFile(FilesList->item(row)->data(Qt::UserRole).toString());
        if (m_deps.appendStation)
            m_deps.appendStation(config.sRecordingTitle, config.sShoutCastFile);
    }
}

void frmLocalSearch::FilesList_DblClick()
{
    cmdAdd_Click();
}
