// A small window for the GUI driver's own test: a list whose current item
// and double-click show in a label, and a File menu with a submenu and Exit.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QVBoxLayout>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Driver Fixture"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* list = new QListWidget;
    list->setAccessibleName(QStringLiteral("Items"));
    list->addItems({QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")});
    // A label's text is only readable through AT-SPI while it has no
    // accessible name of its own, so this one has none.
    auto* result = new QLabel(QStringLiteral("nothing"));
    result->setStyleSheet(QStringLiteral("background: rgb(200, 30, 60);"));
    layout->addWidget(list);
    layout->addWidget(result);
    window.setCentralWidget(central);

    QObject::connect(list, &QListWidget::currentTextChanged, result,
                     [result](const QString& text) { result->setText(QStringLiteral("current ") + text); });
    QObject::connect(list, &QListWidget::itemDoubleClicked, result, [result](QListWidgetItem* item) {
        result->setText(QStringLiteral("double ") + item->text());
    });

    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* recent = file->addMenu(QStringLiteral("Recent"));
    recent->addAction(QStringLiteral("One"), result, [result] { result->setText(QStringLiteral("recent one")); });
    file->addAction(QStringLiteral("E&xit"), &window, &QWidget::close);

    window.resize(400, 300);
    window.show();
    return app.exec();
}
