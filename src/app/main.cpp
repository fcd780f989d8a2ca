// vorn: finds the IARU QSL bureau for a call sign or prefix.

#include "app/MainForm.h"
#include "app/QtMessageBoxes.h"
#include "speech/EspeakEngine.h"

#include <QApplication>
#include <QThread>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorn"));
    QApplication::setDesktopFileName(QStringLiteral("vorn"));

    QtMessageBoxes messageBoxes;
    EspeakEngine speechEngine;
    MainForm mainForm(MainFormSeams{
        messageBoxes,
        speechEngine,
        [](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); },
        {}});
    messageBoxes.setParentWindow(&mainForm);

    mainForm.show();
    const int status = QApplication::exec();
    // A start-up that could not load the data ends the program; scripts can tell.
    return mainForm.startupFailed() ? 1 : status;
}
