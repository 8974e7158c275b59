// The main window's make step: the page change of the step tabs, the make wizard's targets, the
// CD-ROM folder and the screensaver.
#include "mainform.h"

#include "anweisungform.h"
#include "cdexport.h"
#include "exportform.h"
#include "makestep.h"
#include "makewizard.h"

#include "app/language.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/hourglass.h"
#include "platform/media.h"
#include "platform/process.h"
#include "show/showfiles.h"

#include "controls/htmlistbox.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>

namespace {

// The dialog made at start-up, or else own: the main window's own, made on first use and gone
// with the window.
template <typename Form>
Form& dialogOf(TMainForm* owner, Form* startUp, Form*& own, const util::TextTable& texts)
{
    if (startUp) return *startUp;
    if (!own) own = new Form(owner, texts);
    return *own;
}

// The gallery window says through this property whether it wrote pages while it was shown.
constexpr const char* PagesWrittenProperty = "PagesWritten";

} // namespace

TMakeWizzard* TMainForm::makeWizard() const { return makeWizard_; }

int TMainForm::ShowInstructionsDialog(const editor::Instructions& i)
{
    TAnweisungForm& form = dialogOf<TAnweisungForm>(this, runWindows.instructions, ownInstructions_, texts_);
    connect(&form, &TAnweisungForm::FirstPageWanted, this, &TMainForm::SelectFirstPage, Qt::UniqueConnection);
    form.Prepare(i.heading, i.text, i.burningGuide, i.playerIcon);
    return platform::dialogs().showModal(form);
}

void TMainForm::connectMakeHandlers()
{
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainForm::PageControl1Change);
}

void TMainForm::SelectFirstPage()
{
    const QSignalBlocker block(PageControl1);
    PageControl1->setCurrentIndex(editor::PicturesPage);
}

void TMainForm::PageControl1Change()
{
    // 1. the drive button belongs to the settings page's pending change only
    PathButton->setVisible(false);
    // 2. an empty show goes no further than the first page
    const editor::PageChangeStart start =
        editor::StartPageChange(PageControl1->currentIndex(), QuorbelListBox->Count() == 0, FileListBox->Count() > 0);
    if (start.clearStatus) StatusBar1->clearMessage();
    if (start.emptyShowText != 0) {
        SelectFirstPage();
        platform::showInformation(texts_.text(start.emptyShowText));
        return;
    }
    // 3. the make page
    if (start.prepareMake) runMakeStep();
    // 4. and 5. the music page, on the page selected now
    const editor::MusicPageActions music = editor::FinishPageChange(PageControl1->currentIndex(), MusicTabVisited);
    if (music.loadAudioList) LoadAudioList();
    if (music.renumberAudioFiles) RenumberAudioFiles();
}

void TMainForm::runMakeStep()
{
    using editor::MakeTarget;
    RenumberAudioFiles();
    MediaPlayer1->Close();
    LoadAudioList();
    DeleteStaleThumbnails();

    TMakeWizzard& wizard = dialogOf<TMakeWizzard>(this, runWindows.makeWizard, ownMakeWizard_, texts_);
    makeWizard_ = &wizard;
    wizard.VideoWizard = runWindows.videoWizard;
    if (platform::dialogs().showModal(wizard) != platform::mrOk) {
        SelectFirstPage();
        return;
    }
    SaveGeneratorSettings();
    if (!SaveShow(false)) {
        SelectFirstPage();
        return;
    }
    // Each target ends with its instructions, whose OK goes back to the first page; a target
    // that stopped short of them goes back at once.
    const MakeTarget target = wizard.ChosenTarget();
    bool instructed = true;
    switch (target) {
    case MakeTarget::PC:
        instructed = SaveShow(true);
        if (instructed) ShowInstructionsDialog(editor::InstructionsFor(target));
        break;
    case MakeTarget::CdRom:
        instructed = SaveShow(false) && ExportToCdFolder();
        if (instructed) ShowInstructionsDialog(editor::InstructionsFor(target, CdFolder));
        break;
    case MakeTarget::HtmlPage: {
        SavePictureList();
        QDialog* gallery = runWindows.gallery;
        instructed = false;
        if (gallery) {
            gallery->setProperty(PagesWrittenProperty, false);
            platform::dialogs().showModal(*gallery);
            instructed = gallery->property(PagesWrittenProperty).toBool();
        }
        if (instructed) ShowInstructionsDialog(editor::InstructionsFor(target));
        break;
    }
    case MakeTarget::Screensaver:
        instructed = SaveShow(false) && InstallScreensaver();
        break;
    case MakeTarget::DvdPlayer: // the video was made while the wizard was open; its run shows the instructions
    case MakeTarget::None:
        break;
    }
    if (!instructed) SelectFirstPage();
}

bool TMainForm::ExportToCdFolder()
{
    TExportForm& dialog = dialogOf<TExportForm>(this, runWindows.exportForm, ownExportForm_, texts_);
    dialog.ShowRoot = ShowRoot;
    if (dialog.ShowForExport(2602) != platform::mrOk) return false;
    editor::ExportReport report;
    {
        platform::HourglassCursor hourglass;
        report = editor::ExportToCdFolder(ShowRoot, CdFolder, dialog.CheckedFolders(), LanguageCode);
    }
    if (report.ok()) return true;
    platform::showError(editor::ExportFailureText(report));
    return false;
}

bool TMainForm::InstallScreensaver()
{
    TExportForm& dialog = dialogOf<TExportForm>(this, runWindows.exportForm, ownExportForm_, texts_);
    dialog.ShowRoot = ShowRoot;
    if (dialog.ShowForExport(2603) != platform::mrOk) return false;
    editor::ScreensaverInstall install;
    install.showRoot = ShowRoot;
    install.stagingFolder = ScreensaverFolder;
    install.languageCode = LanguageCode;
    install.systemFolder = platform::systemFolder();
    install.system32Folder = platform::system32Folder();
    install.showFolders = dialog.CheckedFolders();
    editor::ExportReport report;
    {
        platform::HourglassCursor hourglass;
        report = editor::InstallScreensaver(install);
    }
    if (!report.folderNotMade.isEmpty()) {
        platform::showError(editor::ExportFailureText(report));
        return false;
    }
    // The display settings on their screensaver page, where the host has a program for them;
    // without one the instructions say how to get it.
    const QString settingsProgram = QStringLiteral("CONTROL.EXE"), settingsPage = QStringLiteral("desk.cpl,,1");
    editor::Instructions instructions = editor::InstructionsFor(editor::MakeTarget::Screensaver);
    if (!platform::hostProgramFor(settingsProgram, settingsPage)) instructions.text = texts_.text(4627);
    if (report.ok()) ShowInstructionsDialog(instructions);
    else platform::showError(editor::ExportFailureText(report));
    platform::startProgram(settingsProgram, settingsPage, QString());
    return report.ok();
}
