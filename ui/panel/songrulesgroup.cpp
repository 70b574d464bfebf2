#include "ui/panel/songrulesgroup.h"

#include "config/safewrite.h"
#include "config/usersettings.h"
#include "platform/filenames.h"
#include "platform/paths.h"
#include "recorder/songrules.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace {
// Lists are saved this long after the last change, not at every key press.
constexpr int kSaveDelayMs = 700;
constexpr int kMaxSeconds = 86400;

QPlainTextEdit* listEdit(const char* name, const QString& accessible, QWidget* parent)
{
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessible);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setMaximumBlockCount(200000);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 5 + 10);
    const QString file = JoinPath(
        SongRulesFolder(), QString::fromLatin1(name == QByteArray("txtIgnoreList") ? kIgnoreListFile : kWishListFile));
    edit->setPlainText(ReadRuleFile(file, nullptr).join(QLatin1Char('\n')));
    return edit;
}

QSpinBox* secondsBox(const char* name, const QString& accessible, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(accessible);
    box->setRange(0, kMaxSeconds);
    box->setSpecialValueText(SongRulesGroup::tr("Off"));
    box->setSuffix(QStringLiteral(" s"));
    box->setValue(value);
    return box;
}

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}
} // namespace

SongRulesGroup::SongRulesGroup(QWidget* parent) : QGroupBox(tr("Song rules"), parent)
{
    setObjectName(QStringLiteral("fraSongRules"));
    auto* grid = new QGridLayout(this);
    txtIgnoreList = listEdit("txtIgnoreList", tr("Ignore list"), this);
    txtWishList = listEdit("txtWishList", tr("Wish list"), this);
    txtIgnoreList->setToolTip(tr("Titles never recorded, one a line: * and ? wildcards, /regex/, # comments"));
    txtWishList->setToolTip(tr("Wished titles, one a line: * and ? wildcards, /regex/, # comments"));
    chkWishOnly = new QCheckBox(tr("Keep only songs on the wish list"), this);
    chkWishOnly->setObjectName(QStringLiteral("chkWishOnly"));
    chkWishOnly->setAccessibleName(chkWishOnly->text());
    chkWishOnly->setChecked(WishOnly());
    spnMinSeconds = secondsBox("spnMinSeconds", tr("Shortest song kept"), MinSongSeconds(), this);
    spnMaxSeconds = secondsBox("spnMaxSeconds", tr("Longest song before a new part"), MaxSongSeconds(), this);
    chkIncompleteApart = new QCheckBox(tr("Put songs not recorded whole in the \"incomplete\" folder"), this);
    chkIncompleteApart->setObjectName(QStringLiteral("chkIncompleteApart"));
    chkIncompleteApart->setAccessibleName(chkIncompleteApart->text());
    chkIncompleteApart->setChecked(IncompleteApart());
    txtFileNamePattern = new QLineEdit(FileNamePattern(), this);
    txtFileNamePattern->setObjectName(QStringLiteral("txtFileNamePattern"));
    txtFileNamePattern->setAccessibleName(tr("File-name pattern"));
    txtFileNamePattern->setPlaceholderText(QStringLiteral("%A - %T"));
    txtFileNamePattern->setToolTip(
        tr("%S station, %A artist, %T title, %D date and time, %q number, / sub-folder; empty: the title"));
    lblPreview = new QLabel(this);
    lblPreview->setObjectName(QStringLiteral("lblPreview"));
    lblPreview->setWordWrap(true);
    lblProblems = new QLabel(this);
    lblProblems->setObjectName(QStringLiteral("lblProblems"));
    lblProblems->setWordWrap(true);
    lblProblems->setStyleSheet(QStringLiteral("color: #b00000"));

    grid->addWidget(buddyLabel(tr("Ignore list:"), txtIgnoreList, this), 0, 0);
    grid->addWidget(buddyLabel(tr("Wish list:"), txtWishList, this), 0, 1);
    grid->addWidget(txtIgnoreList, 1, 0);
    grid->addWidget(txtWishList, 1, 1);
    grid->addWidget(lblProblems, 2, 0, 1, 2);
    grid->addWidget(chkWishOnly, 3, 0, 1, 2);
    auto* lengths = new QHBoxLayout;
    lengths->addWidget(buddyLabel(tr("Shortest song:"), spnMinSeconds, this));
    lengths->addWidget(spnMinSeconds);
    lengths->addWidget(buddyLabel(tr("Longest song:"), spnMaxSeconds, this));
    lengths->addWidget(spnMaxSeconds);
    lengths->addStretch();
    grid->addLayout(lengths, 4, 0, 1, 2);
    grid->addWidget(chkIncompleteApart, 5, 0, 1, 2);
    auto* pattern = new QHBoxLayout;
    pattern->addWidget(buddyLabel(tr("File names:"), txtFileNamePattern, this));
    pattern->addWidget(txtFileNamePattern, 1);
    grid->addLayout(pattern, 6, 0, 1, 2);
    grid->addWidget(lblPreview, 7, 0, 1, 2);

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &SongRulesGroup::SaveLists);
    for (QPlainTextEdit* edit : {txtIgnoreList, txtWishList}) {
        connect(edit, &QPlainTextEdit::textChanged, this, [this] {
            m_listsEdited = true;
            m_saveTimer.start();
            checkLists();
        });
    }
    connect(chkWishOnly, &QCheckBox::clicked, this, [](bool on) { SetWishOnly(on); });
    connect(chkIncompleteApart, &QCheckBox::clicked, this, [](bool on) { SetIncompleteApart(on); });
    connect(spnMinSeconds, &QSpinBox::valueChanged, this, [](int s) { SetMinSongSeconds(s); });
    connect(spnMaxSeconds, &QSpinBox::valueChanged, this, [](int s) { SetMaxSongSeconds(s); });
    connect(txtFileNamePattern, &QLineEdit::textChanged, this, [this](const QString& text) {
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
                                         txtIgnoreList->toPlainText().split(QLatin1Char('\n'))) &&
                    WriteTextLinesSafely(JoinPath(folder, QString::fromLatin1(kWishListFile)),
                                         txtWishList->toPlainText().split(QLatin1Char('\n')));
    if (!ok)
        lblProblems->setText(tr("The lists could not be saved in %1").arg(folder));
}

void SongRulesGroup::checkLists()
{
    QStringList problems;
    TitlePatterns check;
    check.SetLines(txtIgnoreList->toPlainText().split(QLatin1Char('\n')), QString::fromLatin1(kIgnoreListFile),
                   &problems);
    check.SetLines(txtWishList->toPlainText().split(QLatin1Char('\n')), QString::fromLatin1(kWishListFile), &problems);
    lblProblems->setText(problems.join(QLatin1Char('\n')));
    lblProblems->setVisible(!problems.isEmpty());
}

void SongRulesGroup::showPreview()
{
    SongNameFields sample;
    sample.station = tr("Station");
    sample.title = tr("Artist - Title");
    sample.start = QDateTime::currentDateTime();
    sample.sequence = 1;
    QString problem;
    const QString name = SongFileName(txtFileNamePattern->text().trimmed(), sample, QStringLiteral(".mp3"),
                                      FileNameLimit(QString()), &problem);
    lblPreview->setText(tr("Next file: %1").arg(name) +
                        (problem.isEmpty() ? QString() : QStringLiteral("\n") + problem));
    lblPreview->setAccessibleName(lblPreview->text());
}
