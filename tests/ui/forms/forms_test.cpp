// The windows built from forms, at a large font: every control lies inside
// the one that holds it, and no caption, button or field is smaller than
// its text needs.
#include "cdcreator/frmdiscwrightburn.h"
#include "fakerecorder.h"
#include "panelfixture.h"
#include "tests/support/widgets/appfont.h"
#include "ui/controls/elidedlabel.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/panel/frmaddstation.h"
#include "ui/panel/frmhelp.h"
#include "ui/panel/frmtaskproperties.h"
#include "ui/search/frmbrowser.h"
#include "ui/search/frmlocalsearch.h"
#include "ui/tray/frmareyousure.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSizeGrip>
#include <functional>
#include <memory>

namespace {

QString NameOf(const QWidget* widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// The size a control's text needs; none for other widgets and for labels
// that elide by design.
QSize Needed(const QWidget* widget)
{
    if (qobject_cast<const ElidedLabel*>(widget))
        return {};
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
    if (qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget) ||
        qobject_cast<const QLineEdit*>(widget))
        return widget->minimumSizeHint();
    return {};
}

// One line for each control of a shown window that is cut.
QStringList CutControls(const QWidget* window)
{
    QStringList faults;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        // (The status bar's grip is Qt's own, placed when a window manager
        // asks for it.)
        if (widget->isWindow() || !widget->isVisibleTo(window) || qobject_cast<const QSizeGrip*>(widget))
            continue;
        if (!widget->parentWidget()->rect().contains(widget->geometry()))
            faults << NameOf(widget) + QStringLiteral(" reaches outside ") + NameOf(widget->parentWidget());
        const QSize need = Needed(widget);
        if (widget->width() < need.width() || widget->height() < need.height())
            faults << QStringLiteral("%1 is %2x%3 for a text of %4x%5")
                          .arg(NameOf(widget))
                          .arg(widget->width())
                          .arg(widget->height())
                          .arg(need.width())
                          .arg(need.height());
    }
    return faults;
}

} // namespace

class FormsTest : public PanelFixture {
protected:
    MemoryTaskScheduler scheduler;
    FakeRecorder discRecorder;
    FakeDialogs discDialogs;
    SearchDeps searchDeps;
};

TEST_F(FormsTest, NoControlIsCutAtALargeFont)
{
    ScheduledTask task;
    task.name = QStringLiteral("Nächtliche Aufnahme 夜");
    task.program = QStringLiteral("/usr/bin/tonquill");
    task.parameters = QStringLiteral("Ночной эфир.tvp");
    const std::pair<const char*, std::function<QWidget*()>> windows[] = {
        {"add station", [] { return new frmAddStation; }},
        {"task properties", [&] { return new frmTaskProperties(scheduler, task); }},
        {"quit question", [&] { return new frmAreYouSure(*recorder, shell, clock); }},
        {"preset search", [&] { return new frmLocalSearch(searchDeps); }},
        {"directory search", [&] { return new frmBrowser(searchDeps); }},
        {"Radio Browser search",
         [&] {
             auto* browser = new frmBrowser(searchDeps);
             browser->SetSearchType(frmBrowser::RadioBrowser);
             return browser;
         }},
        {"Discwright", [&] { return new frmDiscwrightBurn(discRecorder, discDialogs); }},
        {"recording display", [&] { return new frmRecordingDisplay(*recorder, config, shell); }},
        {"guide", [] { return new frmHelp; }},
    };
    // TONQUILL_SHOTS=<folder> keeps a picture of each window for a person to look at.
    const QString shots = qEnvironmentVariable("TONQUILL_SHOTS");
    for (const int points : {10, 16}) {
        const ScopedApplicationFont font(points);
        for (const auto& [what, make] : windows) {
            SCOPED_TRACE(std::string(what) + " at " + std::to_string(points) + " pt");
            const std::unique_ptr<QWidget> window(make());
            window->setAttribute(Qt::WA_DeleteOnClose, false);
            window->show();
            EXPECT_EQ(CutControls(window.get()), QStringList());
            if (!shots.isEmpty())
                window->grab().save(QDir(shots).filePath(QStringLiteral("%1-%2pt.png").arg(what).arg(points)));
        }
    }
}
