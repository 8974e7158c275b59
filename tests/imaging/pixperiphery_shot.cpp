// The image control with its pan window and magnifying glass on a real display:
//   pixperiphery_shot <picture> <command>
// shows the picture at 100 % in a 640 x 480 window, scrolled a little, the pan window beside it
// and the glass under the mouse left of the middle of the control; then runs the command (through
// /bin/sh, for example a screenshot) and ends when it is done.
#include "imaging/piximage.h"
#include "platform/drives.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QProcess>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: pixperiphery_shot <picture> <command>\n");
        return 2;
    }
    QDialog form;
    form.setWindowTitle("Picture");
    form.setGeometry(0, 0, 640, 480);
    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(8, 8, 8, 8);
    auto* PixImage1 = new imaging::TPixImage(&form);
    PixImage1->setObjectName("PixImage1");
    layout->addWidget(PixImage1);
    PixImage1->SetEnableMethodErrors(false);
    if (PixImage1->Load(platform::toWindowsPath(QString::fromLocal8Bit(argv[1]))) != 1) {
        std::fprintf(stderr, "%s\n", qPrintable(PixImage1->GetLastErrorText()));
        return 1;
    }
    form.show();
    int status = 1;
    QTimer::singleShot(300, &app, [&] {
        PixImage1->ScrollBy(150, 100);
        PixImage1->SetPanWinX(700);
        PixImage1->SetPanWinY(40);
        PixImage1->SetPanWinWidth(260);
        PixImage1->SetPanWinHeight(200);
        PixImage1->SetPanWinTitle("Pan Window");
        PixImage1->ShowPanWin(true);
        PixImage1->StartMagGlass(160, 160, 3, 0xFF0000, 0x808080, true, 3, false, true, true, false);
        QCursor::setPos(PixImage1->mapToGlobal(QPoint(PixImage1->width() * 2 / 5, PixImage1->height() / 3)));
    });
    QTimer::singleShot(1500, &app, [&] {
        status = QProcess::execute("/bin/sh", {"-c", QString::fromLocal8Bit(argv[2])});
        app.quit();
    });
    app.exec();
    return status;
}
