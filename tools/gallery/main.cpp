// Shows the custom controls in one window.
//
//   tonquill-gallery [--screenshot FILE.png] [--size WIDTHxHEIGHT]
//
// With --screenshot the window is drawn into FILE.png and the program ends;
// --size resizes the window first, so the proportional resizer can be seen
// at work.

#include "ui/controls/aspinnerbox.h"
#include "ui/controls/myslider.h"
#include "ui/controls/resize.h"
#include "ui/messageboxservice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <cstdio>

namespace {

QLabel* addLabel(QWidget* parent, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonquill"));

    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption shotOption(QStringLiteral("screenshot"), QStringLiteral("Draw the window into a PNG and quit."),
                                  QStringLiteral("file"));
    QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Window size before the picture."),
                                  QStringLiteral("WIDTHxHEIGHT"));
    parser.addOption(shotOption);
    parser.addOption(sizeOption);
    parser.process(app);

    MessageBoxService messages(QStringLiteral("Tonquill"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Tonquill controls"));

    // The spinners, as the panel's minutes and days fields.
    addLabel(&window, QStringLiteral("Record for (minutes):"), QRect(16, 16, 150, 20));
    auto* spnMinutes = new ASpinnerBox(&window);
    spnMinutes->ReadProperties({}); // 0..999
    spnMinutes->setValue(60);
    spnMinutes->setMessageService(&messages);
    spnMinutes->setGeometry(172, 16, 64, 20);

    addLabel(&window, QStringLiteral("Keep archives (days):"), QRect(16, 46, 150, 20));
    auto* spnDays = new ASpinnerBox(&window);
    spnDays->setMin(1);
    spnDays->setMax(365);
    spnDays->setValue(7);
    spnDays->setMessageService(&messages);
    spnDays->setGeometry(172, 46, 64, 20);

    auto* rule = new QFrame(&window);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(16, 78, 280, 4);

    // A horizontal slider and a vertical one with a negative range, as the
    // recording display's volume.
    addLabel(&window, QStringLiteral("Horizontal 0..100:"), QRect(16, 92, 150, 20));
    auto* sldHorizontal = new MySlider(&window);
    sldHorizontal->setGeometry(16, 114, 220, 20);
    auto* lblHorizontal = addLabel(&window, QString::number(sldHorizontal->value()), QRect(244, 114, 48, 20));
    QObject::connect(sldHorizontal, &MySlider::Change,
                     [lblHorizontal](qint32 v) { lblHorizontal->setText(QString::number(v)); });

    addLabel(&window, QStringLiteral("Vertical -101..-1:"), QRect(16, 146, 150, 20));
    auto* sldVertical = new MySlider(&window);
    sldVertical->setOrientation(MySlider::Vertical);
    sldVertical->setMinValue(-101);
    sldVertical->setMaxValue(-1);
    sldVertical->setValue(-30);
    sldVertical->setGeometry(316, 16, 20, 150);
    auto* lblVertical = addLabel(&window, QString::number(sldVertical->value()), QRect(172, 146, 64, 20));
    QObject::connect(sldVertical, &MySlider::Change,
                     [lblVertical](qint32 v) { lblVertical->setText(QString::number(v)); });

    addLabel(&window, QStringLiteral("Resize the window: every control scales with it."), QRect(16, 180, 330, 20));

    new Resize(&window);
    window.resize(360, 212);
    window.show();

    if (!parser.isSet(shotOption))
        return QApplication::exec();

    const QString shotFile = parser.value(shotOption);
    const QString size = parser.value(sizeOption);
    QTimer::singleShot(0, &window, [&] {
        const QStringList parts = size.split(QLatin1Char('x'));
        if (parts.size() == 2)
            window.resize(parts[0].toInt(), parts[1].toInt());
        // Let the resize arrive before drawing.
        QTimer::singleShot(100, &window, [&] {
            const bool saved = window.grab().save(shotFile, "PNG");
            if (!saved)
                std::fprintf(stderr, "could not write %s\n", qPrintable(shotFile));
            QApplication::exit(saved ? 0 : 1);
        });
    });
    return QApplication::exec();
}
