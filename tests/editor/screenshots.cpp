// Takes screenshots of the main window for a look by eye (not part of the test run): run it
// through screenshots.sh under Xvfb. It opens the sample show of a copied program directory,
// shows each of the four pages in turn and photographs the screen with ImageMagick's import.
#include "app/productinfo.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "util/windowsinfo.h"
#include "platform/drives.h"
#include "platform/folders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QSignalBlocker>
#include <QTabWidget>

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
    settle(800);
    shoot(out + "/main_start.png");
    form.BeispielBitBtnClick();
    form.QuorbelListBox->setItemIndex(1);
    form.QuorbelListBox->setSelected(1, true);
    const char* pages[] = {"pictures", "music", "settings", "make"};
    for (int i = 0; i < 4; ++i) {
        {
            // The page alone: the user's page change would run the make wizard.
            const QSignalBlocker block(form.PageControl1);
            form.PageControl1->setCurrentIndex(i);
        }
        settle(600);
        shoot(out + QString("/main_%1_%2.png").arg(i + 1).arg(pages[i]));
    }
    return 0;
}
