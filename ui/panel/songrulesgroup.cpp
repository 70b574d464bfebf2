#include "ui/panel/songrulesgroup.h"

#include "config/safewrite.h"
#include "config/usersettings.h"
#include "platform/filenames.h"
#include "platform/paths.h"
#include "recorder/songrules.h"
#include "ui_songrulesgroup.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace {
// Lists are saved this long after the last change, not at every key press.
constexpr int kSaveDelayMs = 700;

// Five lines of the list's own font, with room for the frame.
void loadList(QPlainTextEdit* edit, const char* file)
{
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 5 + 10);
    edit->setPlainText(
        ReadRuleFile(JoinPath(SongRulesFolder(), QString::fromLatin1(file)), nullptr).join(QLatin1Char('\n')));
}
} // namespace

SongRulesGroup::SongRulesGroup(QWidget* parent) : QGroupBox(parent), m_ui(std::make_unique<Ui::SongRulesGroup>())
{
    m_ui->setupUi(this);
    loadList(m_ui->txtIgnoreList, kIgnoreListFile);
    loadList(m_ui->txtWishList, kWishListFile);
    m_ui->chkWishOnly->setChecked(WishOnly());
    m_ui->spnMinSeconds->setValue(MinSongSeconds());
    m_ui->spnMaxSeconds->setValue(MaxSongSeconds());
    m_ui->chkIncompleteApart->setChecked(IncompleteApart());
    m_ui->txtFileNamePattern->setText(FileNamePattern());

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &SongRulesGroup::SaveLists);
    for (QPlainTextEdit* edit : {m_ui->txtIgnoreList, m_ui->txtWishList}) {
        connect(edit, &QPlainTextEdit::textChanged, this, [this] {
            m_listsEdited = true;
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
    checkLists();
    showPreview();
}

SongRulesGroup::~SongRulesGroup()
{
    SaveLists();
}

void SongRulesGroup::SaveLists()
{
    m_saveTimer.stop();
    if (!m_listsEdited)
        return;
    m_listsEdited = false;
    const QString folder = SongRulesFolder();
    QDir().mkpath(folder);
    const bool ok = WriteTextLinesSafely(JoinPath(folder, QString::fromLatin1(kIgnoreListFile)),
                                         m_ui->txtIgnoreList->toPlainText().split(QLatin1Char('\n'))) &&
                    WriteTextLinesSafely(JoinPath(folder, QString::fromLatin1(kWishListFile)),
                                         m_ui->txtWishList->toPlainText().split(QLatin1Char('\n')));
    if (!ok)
        m_ui->lblProblems->setText(tr("The lists could not be saved in %1").arg(folder));
}

void SongRulesGroup::checkLists()
{
    QStringList problems;
    TitlePatterns check;
    check.SetLines(m_ui->txtIgnoreList->toPlainText().split(QLatin1Char('\n')), QString::fromLatin1(kIgnoreListFile),
                   &problems);
    check.SetLines(m_ui->txtWishList->toPlainText().split(QLatin1Char('\n')), QString::fromLatin1(kWishListFile),
                   &problems);
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
