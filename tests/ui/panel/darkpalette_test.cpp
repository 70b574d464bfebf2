// Under a dark Fusion palette the panel's texts stay readable: no dark text
// is put on the palette's dark ground.
#include "panelfixture.h"
#include "tests/support/widgets/control.h"
#include "ui/panel/frmhelp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTextBrowser>
#include <QToolButton>
#include <cmath>

namespace {

double Luminance(QRgb rgb)
{
    const auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The share of an image's pixels that stand out from its most common colour
// (the ground) by a contrast of at least 3:1: the readable ink.
double ReadableInk(const QImage& shot)
{
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb ground = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), ground = it.key();
    int ink = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (Contrast(it.key(), ground) >= 3.0)
            ink += it.value();
    return double(ink) / (image.width() * image.height());
}

QPalette DarkFusion()
{
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), text(Qt::white);
    for (const auto role : {QPalette::Window, QPalette::Button})
        p.setColor(role, window);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        p.setColor(role, text);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

class DarkPaletteTest : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        m_style = QApplication::style()->name();
        m_palette = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkFusion());
    }
    void TearDown() override
    {
        PanelFixture::TearDown();
        QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_palette);
    }
    QString m_style;
    QPalette m_palette;
};

} // namespace

TEST_F(DarkPaletteTest, TheSaveFolderWarningAndTheGuideAreReadable)
{
    open();
    panel->show();
    auto* warning = panel->findChild<QLabel*>(QStringLiteral("lblSavePathProblem"));
    ASSERT_NE(warning, nullptr);
    warning->setText(QStringLiteral("The folder /nowhere is missing. Create it again, or choose another folder."));
    warning->show();
    warning->resize(warning->sizeHint());
    EXPECT_GT(ReadableInk(warning->grab().toImage()), 0.02);

    // The guide as shipped, with its own text colours.
    const QString guide = qEnvironmentVariable("TONQUILL_SOURCE_DIR") + QStringLiteral("/help/index.htm");
    ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("Help"))));
    ASSERT_TRUE(QFile::copy(guide, home.file(QStringLiteral("Help/index.htm"))));
    Control<QToolButton>(panel.get(), "cmdHelp")->click();
    frmHelp* help = panel->HelpWindow();
    ASSERT_NE(help, nullptr);
    ASSERT_FALSE(help->txtHelp->toPlainText().isEmpty());
    EXPECT_GT(ReadableInk(help->txtHelp->viewport()->grab().toImage()), 0.02);
}
