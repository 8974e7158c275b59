// Photographs the pictures page for a look by eye (run through pictures_screenshot.sh under
// Xvfb): a source folder of twenty pictures, a show of ten with captions, one selected.
#include "app/language.h"
#include "app/productinfo.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "imaging/piximage.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "util/windowsinfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>

namespace {
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4) return 2;
    const QString programDir = QString::fromLocal8Bit(argv[1]);
    const QString sourceFolder = QString::fromLocal8Bit(argv[2]); // Windows path with trailing "\"
    const QString out = QString::fromLocal8Bit(argv[3]);
    platform::DriveTable::instance().loadFromEnvironment();
    platform::setModulePathOverride(platform::toWindowsPath(programDir) + "\\quorbel_pro");
    DetermineProductInfo();
    ReloadWindowsInfo();
    LoadLanguageTable();
    TMainForm form;
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
    QProcess::execute("import", {"-window", "root", out});
    form.ClearUndo();
    return 0;
}
