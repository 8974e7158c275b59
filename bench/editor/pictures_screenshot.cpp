// Photographs the pictures page for a look by eye (run through pictures_screenshot.sh under
// Xvfb): a source folder of twenty pictures, a show of ten with captions, one selected.
#include "app/language.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "imaging/piximage.h"
#include "support/screenshots.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>

using testsupport::settle;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4) return 2;
    const QString programDir = QString::fromLocal8Bit(argv[1]);
    const QString sourceFolder = QString::fromLocal8Bit(argv[2]); // Windows path with trailing "\"
    const QString out = QString::fromLocal8Bit(argv[3]);
    testsupport::runFromProgramDir(programDir);
    LoadLanguageTable();
    print::ReportWindows printWindows; // the report and audio windows, as the start-up makes them
    AudioInformation audioWindows;
    TMainForm form(show::OutputWindows{printWindows, audioWindows});
    form.show();
    settle(300);
    form.PageControl1->setVisible(true);
    form.ShowTitle = "Sommer am Meer";
    form.TitleEdit->setText(form.ShowTitle);
    form.ShowFolder = form.NextShowFolderName();
    form.OpenPictureDialog1.fileName = sourceFolder + "bild01.jpg";
    form.SourceFolder = sourceFolder;
    form.FillSourceList();
    const char* captions[] = {"Ankunft am Strand", "Die Bucht am Morgen", "", "Leuchtturm", "Hafen bei Nacht",
                              "Fischerboote", "", "Sonnenuntergang", "Abschied", "Heimfahrt"};
    for (int i = 0; i < 10; ++i) {
        form.AddPictureToShow(sourceFolder + QString("bild%1.jpg").arg(i * 2 + 1, 2, 10, QChar('0')), -1);
        form.SelectShowItem(i);
        form.QuorbelListBoxClick();
        form.TextEdit->setText(captions[i]);
        form.TextEditChange();
    }
    form.SelectShowItem(3);
    form.QuorbelListBoxClick();
    form.Timer1Timer();
    form.FileListBox->setSelected(4, true);
    form.PageControl1->setCurrentIndex(0);
    settle(1200);
    testsupport::shoot(out);
    form.ClearUndo();
    return 0;
}
