// Screenshots of the settings page's transition preview on its way, for a look by eye (not part
// of the test run): transition_shots <program folder> <output folder> [transition number]
// under a real X server; transition_shots.sh sets the world up.
#include "app/productinfo.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "imaging/piximage.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "util/windowsinfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

namespace {
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}
void shoot(const QString& file) { QProcess::execute("import", {"-window", "root", file}); }

void previewPicture(const QString& file, QColor a, QColor b, const QString& text)
{
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 640, 480);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    p.fillRect(image.rect(), g);
    QFont f = p.font();
    f.setPixelSize(120);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(image.rect(), Qt::AlignCenter, text);
    p.end();
    image.save(file, "JPG");
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    const QString programDir = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const int number = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 1;
    previewPicture(programDir + "/Preview1.jpg", QColor(200, 40, 40), QColor(250, 200, 60), "1");
    previewPicture(programDir + "/Preview2.jpg", QColor(30, 60, 200), QColor(40, 200, 120), "2");
    platform::DriveTable::instance().loadFromEnvironment();
    platform::setModulePathOverride(platform::toWindowsPath(programDir) + "\\quorbel_pro");
    DetermineProductInfo();
    ReloadWindowsInfo();
    print::ReportWindows printWindows;
    AudioInformation audioWindows;
    TMainForm form({printWindows, audioWindows});
    form.show();
    form.BeispielBitBtnClick();
    form.PageControl1->setCurrentIndex(2);
    form.ONRadioButton->click();
    settle(800);
    // The first change shows Preview1 at once (nothing before it); the second plays into Preview2.
    form.SpinEdit1->setValue(number);
    form.ShowAgainButtonClick();
    settle(400);
    imaging::TPixImage* pix = form.PixImage1;
    pix->OnStatus = [&](imaging::TPixImage*, int percent) {
        if (percent == 25 || percent == 50 || percent == 75)
            shoot(out + QString("/transition_%1_%2.png").arg(number).arg(percent, 3, 10, QChar('0')));
    };
    pix->SetEnableProgressEvent(true);
    form.ShowAgainButtonClick();
    settle(2500);
    shoot(out + QString("/transition_%1_end.png").arg(number));
    return 0;
}
