// Takes screenshots of the main window for a look by eye (not part of the test run): run it
// through screenshots.sh under Xvfb. It opens the sample show of a copied program directory,
// shows each of the four pages in turn and photographs the screen with ImageMagick's import.
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "support/screenshots.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTabWidget>

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
    // The menus, opened from the bar with an item under the pointer.
    const std::pair<QMenu*, const char*> menus[] = {{form.Quorbel1, "quorbel"}, {form.Language1, "language"}};
    for (const auto& [menu, name] : menus) {
        form.menuBar()->setActiveAction(menu->menuAction());
        settle(400);
        menu->setActiveAction(menu->actions().value(1));
        settle(400);
        shoot(out + QString("/menu_%1.png").arg(name));
        menu->hide();
        settle(200);
    }
    return 0;
}
