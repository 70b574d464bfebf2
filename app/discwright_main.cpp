#include "cdcreator/burndialogs.h"
#include "cdcreator/burndrives.h"
#include "cdcreator/discrecordobj.h"
#include "cdcreator/frmdiscwrightburn.h"

#include <QApplication>

// Builds the disc recorder (the image device plus the CD writers libburn
// finds), the window's dialogs and the window, and runs until it closes.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Discwright"));
    DiscRecordObj recorder(std::make_unique<LibburnDrives>());
    WidgetBurnDialogs dialogs(nullptr);
    frmDiscwrightBurn window(recorder, dialogs);
    window.show();
    return app.exec();
}
