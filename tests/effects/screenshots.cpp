// Screenshots of the picture-editing dialogs for a look by eye (not part of the test run): run it
// through screenshots.sh under Xvfb. It opens the sample show of a copied program directory,
// opens the effects dialog on a picture with an effect previewed, then the brightness panel, the
// colour dialog and the full-size viewer with a marked rectangle, and photographs the screen with
// ImageMagick's import each time.
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "imaging/piximage.h"
#include "effects/ui/fullsizeform.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/pixeffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "support/screenshots.h"

#include <QApplication>
#include <QScrollBar>
#include <QSlider>

using testsupport::settle;
using testsupport::shoot;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    const QString programDir = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    testsupport::runFromProgramDir(programDir);
    print::ReportWindows printWindows;
    AudioInformation audioWindows;
    TMainForm form({printWindows, audioWindows});
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
    colours.hide();

    // The viewer is modal in the program; here it is shown plainly, a rectangle marked on it.
    TFullsizeForm viewer;
    viewer.show();
    settle(500);
    imaging::TPixImage* p = viewer.PixImage1;
    const int w = p->DstWidth(), h = p->DstHeight();
    p->SetRgnRect(p->DstLeft() + w / 5, p->DstTop() + h / 4, w / 2, h / 2, 1);
    settle(1500);
    shoot(out + "/fullsize_viewer.png");
    return 0;
}
