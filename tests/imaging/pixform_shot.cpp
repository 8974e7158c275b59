// A form holding one image control in fit mode, for looking at the control on a real display:
//   pixform_shot <picture> [seconds] [command] [periphery]
// shows the picture in a 640 x 480 window for the given seconds (default 3); with a command
// (run through /bin/sh, for example a screenshot), runs it once the form is on screen and ends
// when it is done. With "periphery" the picture is shown at 100 %, scrolled a little, with the pan
// window beside the form and the magnifying glass under the mouse, left of the control's middle.
// With "canvas" a hatched rectangle and a caption are drawn into the picture through the
// persistent canvas, and a line across the window through the window canvas at every paint.
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: pixform_shot <picture> [seconds] [command] [periphery]\n");
        return 2;
    }
    QDialog form;
    form.setWindowTitle("Preview");
    form.setGeometry(0, 0, 640, 480);
    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(8, 8, 8, 8);
    auto* PixImage1 = new imaging::TPixImage(&form);
    PixImage1->setObjectName("PixImage1");
    PixImage1->SetFrameThickness(2);
    PixImage1->SetCenterImage(true);
    layout->addWidget(PixImage1);
    PixImage1->SetEnableMethodErrors(false);
    if (PixImage1->Load(platform::toWindowsPath(QString::fromLocal8Bit(argv[1]))) != 1) {
        std::fprintf(stderr, "%s\n", qPrintable(PixImage1->GetLastErrorText()));
        return 1;
    }
    const bool periphery = argc > 4 && QString::fromLocal8Bit(argv[4]) == "periphery";
    const bool canvas = argc > 4 && QString::fromLocal8Bit(argv[4]) == "canvas";
    if (!periphery) {
        PixImage1->SetPaintSizeMode(imaging::smFit);
        PixImage1->ForceRepaint();
    } else {
        PixImage1->SetFrameThickness(0);
        PixImage1->SetCenterImage(false);
    }
    form.show();
    if (canvas) {
        QTimer::singleShot(300, &app, [&] {
            const int w = PixImage1->width(), h = PixImage1->height();
            PixImage1->SetDrawPersistence(true);
            PixImage1->SetDrawPenColor(platform::rgbColor(255, 0, 0));
            PixImage1->SetDrawPenWidth(3);
            PixImage1->SetDrawFillColor(platform::rgbColor(0, 0, 255));
            PixImage1->SetDrawFillStyle(imaging::bsDiagCross);
            imaging::TPixCanvas* c = PixImage1->GetDrawCanvas();
            c->Rectangle(w / 4, h / 4, w * 3 / 4, h * 3 / 4);
            PixImage1->ReleaseDrawCanvas(c);
            QFont font = PixImage1->TextFont();
            font.setPixelSize(28);
            font.setBold(true);
            PixImage1->SetTextFont(font);
            PixImage1->SetTextFontColor(platform::rgbColor(255, 255, 0));
            c = PixImage1->GetDrawCanvas(true);
            c->TextOut(w / 4 + 10, h / 4 + 10, "Drawn on the picture");
            PixImage1->ReleaseDrawCanvas(c);
            PixImage1->SetDrawPersistence(false);
            PixImage1->OnPaint = [](imaging::TPixImage* sender) {
                sender->SetDrawPenColor(platform::rgbColor(0, 255, 0));
                imaging::TPixCanvas* line = sender->GetDrawCanvas();
                line->MoveTo(0, sender->height() - 20);
                line->LineTo(sender->width(), 20);
                sender->ReleaseDrawCanvas(line);
            };
            PixImage1->Refresh();
        });
    }
    if (periphery) {
        QTimer::singleShot(300, &app, [&] {
            PixImage1->ScrollBy(150, 100);
            PixImage1->SetPanWinX(700);
            PixImage1->SetPanWinY(40);
            PixImage1->SetPanWinWidth(260);
            PixImage1->SetPanWinHeight(200);
            PixImage1->ShowPanWin(true);
            PixImage1->StartMagGlass(160, 160, 3, 0xFF0000, 0x808080, true, 3, false, true, true, false);
            QCursor::setPos(PixImage1->mapToGlobal(QPoint(PixImage1->width() * 2 / 5, PixImage1->height() / 3)));
        });
    }
    if (argc > 3) {
        const QString command = QString::fromLocal8Bit(argv[3]);
        int status = 1;
        QTimer::singleShot(periphery || canvas ? 1500 : 500, &app, [&] {
            status = QProcess::execute("/bin/sh", {"-c", command});
            app.quit();
        });
        app.exec();
        return status;
    }
    QTimer::singleShot((argc > 2 ? atoi(argv[2]) : 3) * 1000, &app, &QApplication::quit);
    return app.exec();
}
