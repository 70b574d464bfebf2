#include "ui/panel/songrulesgroup.h"

#include "config/safewrite.h"
#include "config/usersettings.h"
#include "platform/filenames.h"
#include "platform/paths.h"
#include "recorder/songrules.h"
#include "ui/panel/rulelists.h"
#include "ui_songrulesgroup.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBlock>

namespace {
// Lists are saved this long after the last change, not at every key press.
constexpr int kSaveDelayMs = 700;

// The editor's lines as they are, non-breaking spaces and all; none when it is empty.
QStringList editLines(const QPlainTextEdit* edit)
{
    QStringList lines;
    if (edit->document()->isEmpty())
        return lines;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next())
        lines.append(b.text());
    return lines;
}
} // namespace

SongRulesGroup::SongRulesGroup(QWidget* parent) : QGroupBox(parent), m_ui(std::make_unique<Ui::SongRulesGroup>())
{
    m_ui->setupUi(this);
    m_lists[0].edit = m_ui->txtIgnoreList;
    m_lists[0].file = kIgnoreListFile;
    m_lists[1].edit = m_ui->txtWishList;
    m_lists[1].file = kWishListFile;
    for (List& list : m_lists)
        loadList(list);
    m_ui->chkWishOnly->setChecked(WishOnly());
    m_ui->spnMinSeconds->setValue(MinSongSeconds());
    m_ui->spnMaxSeconds->setValue(MaxSongSeconds());
    m_ui->chkIncompleteApart->setChecked(IncompleteApart());
    m_ui->txtFileNamePattern->setText(FileNamePattern());

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &SongRulesGroup::SaveLists);
    for (List& list : m_lists) {
        connect(list.edit, &QPlainTextEdit::textChanged, this, [this, &list] {
            if (m_loading)
                return;
            list.edited = list.notEditable.isEmpty();
            m_saveTimer.start();
            checkLists();
        });
    }
    connect(m_ui->chkWishOnly, &QCheckBox::clicked, this, [](bool on) { SetWishOnly(on); });
    connect(m_ui->chkIncompleteApart, &QCheckBox::clicked, this, [](bool on) { SetIncompleteApart(on); });
    connect(m_ui->spnMinSeconds, &QSpinBox::valueChanged, this, [](int s) { SetMinSongSeconds(s); });
    connect(m_ui->spnMaxSeconds, &QSpinBox::valueChanged, this, [](int s) { SetMaxSongSeconds(s); });
    connect(m_ui->txtFileNamePattern, &QLineEdit::textChanged, this, [this](const QString& text) {
        SetFileNamePattern(text);
        showPreview();
    });
    // Another window changes a list: what waits here is saved first, and
    // the file is shown again after.
    RuleListFiles& files = RuleListFiles::Instance();
    connect(&files, &RuleListFiles::aboutToChange, this, [this] { SaveLists(); });
    connect(&files, &RuleListFiles::changed, this, [this](const QString& file) {
        for (List& list : m_lists) {
            if (file == QLatin1String(list.file) && !list.edited) {
                m_loading = true;
                list.edit->setReadOnly(false);
                loadList(list);
                m_loading = false;
            }
        }
        checkLists();
    });
    checkLists();
    showPreview();
}

SongRulesGroup::~SongRulesGroup()
{
    SaveLists();
}

void SongRulesGroup::loadList(List& list)
{
    // Five lines of the list's own font, with room for the frame.
    list.edit->setFixedHeight(list.edit->fontMetrics().lineSpacing() * 5 + 10);
    const RuleFileText text = ReadRuleFileWhole(JoinPath(SongRulesFolder(), QString::fromLatin1(list.file)));
    list.edit->setPlainText(text.lines.join(QLatin1Char('\n')));
    list.notEditable = text.notWhole;
    // A character the editor does not keep (a paragraph separator) would change the line it is in.
    if (list.notEditable.isEmpty() &&
        editLines(list.edit).join(QLatin1Char('\n')) != text.lines.join(QLatin1Char('\n')))
        list.notEditable = tr("%1 holds characters this editor cannot keep").arg(QString::fromLatin1(list.file));
    if (list.notEditable.isEmpty())
        return;
    list.notEditable = tr("%1: it is not changed here; edit it in a text editor.").arg(list.notEditable);
    list.edit->setReadOnly(true);
    list.edit->setToolTip(list.notEditable);
    list.edit->setAccessibleDescription(list.notEditable);
}

void SongRulesGroup::SaveLists()
{
    m_saveTimer.stop();
    const QString folder = SongRulesFolder();
    bool ok = true;
    for (List& list : m_lists) {
        if (!list.edited || !list.notEditable.isEmpty())
            continue;
        list.edited = false;
        QDir().mkpath(folder);
        ok = WriteTextLinesSafely(JoinPath(folder, QString::fromLatin1(list.file)), editLines(list.edit)) && ok;
    }
    if (!ok)
        m_ui->lblProblems->setText(tr("The lists could not be saved in %1").arg(folder));
}

void SongRulesGroup::checkLists()
{
    QStringList problems;
    for (const List& list : m_lists) {
        if (!list.notEditable.isEmpty())
            problems.append(list.notEditable);
    }
    TitlePatterns check;
    for (const List& list : m_lists)
        check.SetLines(editLines(list.edit), QString::fromLatin1(list.file), &problems);
    m_ui->lblProblems->setText(problems.join(QLatin1Char('\n')));
    m_ui->lblProblems->setVisible(!problems.isEmpty());
}

void SongRulesGroup::showPreview()
{
    SongNameFields sample;
    sample.station = tr("Station");
    sample.title = tr("Artist - Title");
    sample.start = QDateTime::currentDateTime();
    sample.sequence = 1;
    QString problem;
    const QString name = SongFileName(m_ui->txtFileNamePattern->text().trimmed(), sample, QStringLiteral(".mp3"),
                                      FileNameLimit(QString()), &problem);
    m_ui->lblPreview->setText(tr("Next file: %1").arg(name) +
                              (problem.isEmpty() ? QString() : QStringLiteral("\n") + problem));
    m_ui->lblPreview->setAccessibleName(m_ui->lblPreview->text());
}
