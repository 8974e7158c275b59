// Screenshots of the picture-editing dialogs for a look by eye (not part of the test run): run it
// through screenshots.sh under Xvfb. It opens the sample show of a copied program directory,
// opens the effects dialog on a picture with an effect previewed, then the brightness panel and
// the colour dialog, and photographs the screen with ImageMagick's import each time.
#include "app/productinfo.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/pixeffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "util/windowsinfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
#include <QSlider>

namespace {
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}
void shoot(const QString& file) { QProcess::execute("import", {"-window", "root", file}); }
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    const QString programDir = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    platform::DriveTable::instance().loadFromEnvironment();
    platform::setModulePathOverride(platform::toWindowsPath(programDir) + "\\quorbel_pro");
    DetermineProductInfo();
    ReloadWindowsInfo();
    TMainForm form;
    form.show();
    settle(500);
    form.BeispielBitBtnClick();
    form.SelectShowItem(1);
    form.QuorbelListBoxClick();
    settle(500);

    TPainterEffectsF& dialog = *form.Art->EffectsDialog();
    form.ShowPaintEffects();
    dialog.SelectEffect("Wave/Normal");
    dialog.EListClick();
    dialog.EBar->setValue(40);
    settle(800);
    shoot(out + "/effects_tree.png");

    dialog.hide();
    form.FarbeBitBtnClick();
    settle(300);
    dialog.HelligkeitTrackBar->setValue(60);
    dialog.FarbeTrackBar->setValue(450);
    settle(800);
    shoot(out + "/effects_brightness.png");
    dialog.hide();

    // The colour dialog is modal in the program; here it is shown plainly for the photograph.
    TPixEffectsForm colours;
    colours.Mode = "RGB";
    colours.show();
    settle(300);
    colours.RedTrackBar->setSliderDown(true);
    colours.RedTrackBar->setValue(40);
    colours.RedTrackBar->setSliderDown(false);
    settle(800);
    shoot(out + "/colour_balance.png");
    return 0;
}
