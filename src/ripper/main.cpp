// "Ripper.exe": rips the audio CD into the show folder named in "Ripper.ini" beside it.
#include "ripper.h"

#include "platform/drives.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool windows = QGuiApplication::platformName() != QLatin1String("offscreen");
    QString programDir = platform::toWindowsPath(QCoreApplication::applicationDirPath());
    if (!programDir.endsWith(u'\\')) programDir += u'\\';

    QWidget window;
    window.setWindowTitle(QStringLiteral("CD Ripper"));
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(QStringLiteral("Reading the audio CD ..."), &window);
    auto* bar = new QProgressBar(&window);
    auto* stop = new QPushButton(QStringLiteral("Stop"), &window);
    layout->addWidget(label);
    layout->addWidget(bar);
    layout->addWidget(stop);
    bool stopped = false;
    QObject::connect(stop, &QPushButton::clicked, [&] { stopped = true; });
    window.resize(360, 120);
    if (windows) window.show();

    QString last;
    ripper::Progress progress;
    progress.status = [&](const QString& s) {
        last = s;
        label->setText(s);
        std::fprintf(stderr, "%s\n", s.toLocal8Bit().constData());
        QCoreApplication::processEvents();
    };
    progress.step = [&](int done, int total) {
        bar->setMaximum(total);
        bar->setValue(done);
        QCoreApplication::processEvents();
        return !stopped;
    };
    const int code = ripper::rip(programDir, progress);
    if (windows) {
        if (code == 0) QMessageBox::information(&window, window.windowTitle(), last);
        else QMessageBox::critical(&window, window.windowTitle(), last);
    }
    return code;
}
