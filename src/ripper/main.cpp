// "Ripper.exe": rips the audio CD into the show folder named in "Ripper.ini" beside it.
#include "ripper.h"
#include "ripperwindow.h"

#include "platform/drives.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool windows = QGuiApplication::platformName() != QLatin1String("offscreen");
    QString programDir = platform::toWindowsPath(QCoreApplication::applicationDirPath());
    if (!programDir.endsWith(u'\\')) programDir += u'\\';

    ripper::RipperWindow window;
    if (windows) window.show();

    QString last;
    ripper::Progress progress;
    progress.status = [&](const QString& s) {
        last = s;
        window.setStatus(s);
        std::fprintf(stderr, "%s\n", s.toLocal8Bit().constData());
        QCoreApplication::processEvents();
    };
    progress.step = [&](int done, int total) {
        window.setStep(done, total);
        QCoreApplication::processEvents();
        return !window.stopped();
    };
    const int code = ripper::rip(programDir, progress);
    if (windows) {
        if (code == 0) QMessageBox::information(&window, window.windowTitle(), last);
        else QMessageBox::critical(&window, window.windowTitle(), last);
    }
    return code;
}
