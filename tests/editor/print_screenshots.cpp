// Screenshots of the print dialogs for a look by eye (not part of the test run): run it through
// print_screenshots.sh under Xvfb. It opens the sample show of a copied program directory and
// photographs the print size dialog and the print selection with some pictures ticked.
#include "controls/htmlchecklist.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "editor/printselectform.h"
#include "editor/printsizewizard.h"
#include "output/print/qrlistform.h"
#include "support/screenshots.h"

#include <QRadioButton>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include "controls/htmlistbox.h"

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
    form.BeispielBitBtnClick();
    TPrintSizeWizard wizard;
    wizard.RadioButton_Frei->click();
    wizard.move(100, 100);
    wizard.show();
    settle(600);
    shoot(out + "/print_size.png");
    wizard.hide();
    TPrintSelectForm select;
    select.Offer = form.printSelectionOffer();
    select.FormActivate();
    select.move(100, 40);
    select.show();
    settle(300);
    select.FormActivate();
    for (int i : {0, 2}) select.HTMLCheckList1->setChecked(i, true);
    if (select.HTMLCheckList1->Count() > 3) select.HTMLCheckList1->setItemIndex(3);
    select.HTMLCheckList1->setFocus();
    settle(600);
    shoot(out + "/print_select.png");
    select.hide();

    // The report's preview of the whole show at 10 x 15 with captions, closed after its picture.
    print::TQRListForm report;
    report.PrintSize = 571;
    report.ShowContext = [&form] {
        show::ShowContext s = form.CurrentShow();
        s.PrintAll = true;
        s.PrintCaptions = true;
        return s;
    };
    QTimer::singleShot(2500, [&] {
        shoot(out + "/print_preview.png");
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    report.Preview();
    report.FinishPrint();
    return 0;
}
