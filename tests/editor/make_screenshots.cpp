// Takes screenshots of the make step for a look by eye (not part of the test run): run it
// through make_screenshots.sh under Xvfb. It opens the sample show of a copied program
// directory, selects the make page, photographs the make wizard, makes the show for this PC
// (the player is replaced by "true" through the program table) and photographs the
// instructions; then the same for a CD-ROM folder with the export dialog.
#include "app/productinfo.h"
#include "editor/anweisungform.h"
#include "editor/exportform.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "editor/makewizard.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "util/windowsinfo.h"

#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace {
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
    for (const char* player : {"Quorbel-Player.exe", "Quorbelix-Player.exe"}) platform::ProgramTable::instance().set(player, "true");
    print::ReportWindows printWindows;
    AudioInformation audioWindows;
    TMainForm form({printWindows, audioWindows});
    TMakeWizzard wizard;
    TExportForm exportForm;
    TAnweisungForm instructions;
    form.show();
    form.BeispielBitBtnClick();

    // Each step runs from the event loop of the dialog that is up at that time.
    const std::pair<int, std::function<void()>> steps[] = {
        {800, [&] { form.PageControl1->setCurrentIndex(3); }},
        {1800, [&] {
             shoot(out + "/make_wizard.png");
             wizard.PCRadioButton->setChecked(true);
             wizard.WeiterBitBtn->click();
         }},
        {3000, [&] {
             shoot(out + "/make_pc_instructions.png");
             instructions.NextTipBitBtn->click();
         }},
        {3600, [&] { form.PageControl1->setCurrentIndex(3); }},
        {4400, [&] {
             wizard.CDROMRadioButton->setChecked(true);
             wizard.WeiterBitBtn->click();
         }},
        {5200, [&] { exportForm.CheckListBox->item(0)->setCheckState(Qt::Checked); }},
        {5800, [&] {
             shoot(out + "/make_export.png");
             exportForm.OpenBitBtn->click();
         }},
        {7000, [&] {
             shoot(out + "/make_cd_instructions.png");
             instructions.NextTipBitBtn->click();
         }},
        {7600, [&] { app.quit(); }},
    };
    for (const auto& [at, step] : steps) QTimer::singleShot(at, step);
    return app.exec();
}
