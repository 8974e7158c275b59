// The main window's show operations: new, open, delete, the show list's file and the title
// and time fields.
#include "mainform.h"

#include "newform.h"
#include "openform.h"
#include "tipform.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "controls/htmlistbox.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "show/picturelist.h"
#include "show/showfiles.h"
#include "util/strutils.h"

#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include "controls/htmlistbox.h"
#include "imaging/piximage.h"
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTabWidget>

#include <optional>
#include <vector>

QString TMainForm::ShowFolderPath() const { return ShowRoot + ShowFolder + u'\\'; }

QString TMainForm::NextShowFolderName() const { return show::NextShowFolderName(ShowRoot); }

void TMainForm::setMainCaption() { setWindowTitle(ShowTitle + QStringLiteral(" : ") + ProductInfo.Title); }

void TMainForm::updateQuorbelLabel()
{
    QuorbelLabel->setText(texts_.text(594) + u' ' + QString::number(QuorbelListBox->Count()) + u' ' + texts_.text(595));
}

void TMainForm::showEditor()
{
    PageControl1->setVisible(true);
    Quorbel1->setEnabled(true);
    ScannenDigitalkamera1->setEnabled(true);
    Hilfe1->setEnabled(true);
    repaint();
}

void TMainForm::showTipsUnlessSwitchedOff()
{
    if (!platform::fileExists(ProgramDir + QStringLiteral("NoTip.ini"))) tipForm().ShowTips();
}

namespace {

// The lines of a show's "Pictures.ini" as the show keeps them: one entry a line, empty for a
// line left out.
struct ResolvedLines {
    QList<std::optional<show::PictureEntry>> entries;
    QStringList leftOut;  // every line not listed, with its reason
    bool renamed = false; // a picture got a new name, or a line is to be stored anew
};

// Resolves each line to a picture of the folder. A name that a list item or "Pictures.ini"
// cannot carry, or that the program's own files begin with, gets a safe one as when adding:
// first, so that no thumbnail is made over a picture.
ResolvedLines resolvePictureLines(const QString& folder, const QStringList& lines)
{
    ResolvedLines r;
    QHash<QString, QString> listedAs; // upper-case name -> the exact name listed first
    for (const QString& line : lines) {
        auto leave = [&](const QString& why) {
            r.leftOut.append(QStringLiteral("\"%1\": %2").arg(line.trimmed(), why));
            r.entries.append(std::nullopt);
        };
        if (line.trimmed().isEmpty()) {
            r.entries.append(std::nullopt);
            continue;
        }
        show::PictureEntry e = show::ParsePictureLine(line);
        if (!show::IsBareFileName(e.file)) {
            leave(QStringLiteral("not a file name inside the show folder"));
            continue;
        }
        if (!platform::fileExists(folder + e.file) && !platform::directoryExists(folder + e.file)) {
            // Written by another program in UTF-8: the file is there under that reading.
            const std::optional<show::PictureEntry> utf8 = show::ParsePictureLineAsUtf8(line);
            if (utf8 && show::IsBareFileName(utf8->file) && platform::fileExists(folder + utf8->file)) {
                e = *utf8;
                r.renamed = true; // the line is stored again as this program writes it
            }
        }
        if (platform::directoryExists(folder + e.file)) {
            leave(QStringLiteral("a folder, not a picture"));
            continue;
        }
        if (!platform::fileExists(folder + e.file)) {
            leave(QStringLiteral("no such file in the show folder"));
            continue;
        }
        if (!platform::isRegularFile(folder + e.file)) { // pipes and devices: never opened
            leave(QStringLiteral("not a regular file (") + folder + e.file + u')');
            continue;
        }
        QString safe = show::RenameToShowSafeName(folder, e.file);
        // Two names that differ only in case are one name to the show (its thumbnails, the
        // player): the later picture gets a free name of its own.
        if (!safe.isEmpty()) {
            const auto first = listedAs.constFind(safe.toUpper());
            if (first != listedAs.constEnd() && *first != safe) safe = show::RenameToFreeName(folder, safe);
        }
        if (safe.isEmpty()) {
            leave(QStringLiteral("unable to rename ") + folder + e.file + QStringLiteral(" to a name the show can keep: ")
                  + platform::lastFileError());
            continue;
        }
        r.renamed = r.renamed || safe != e.file;
        e.file = safe;
        listedAs.insert(safe.toUpper(), safe);
        r.entries.append(e);
    }
    return r;
}

} // namespace

void TMainForm::OpenShow(const QString& folderName)
{
    WaitForCdRipper(); // the ripper writes into the current show folder until it ends
    storeShowInfo();   // the show being left keeps its title and seconds
    fieldsShowFolder_.clear();
    const QString folder = ShowRoot + folderName + u'\\';
    const show::ShowInfo info = show::ReadShowInfo(folder);
    if (info.exists) {
        if (!openStoredShow(folderName, info)) return; // the window is closing
    } else {
        ShowTitle.clear();
        setWindowTitle(ProductInfo.Title);
        TitleEdit->clear();
        SecondsPerPicture = QStringLiteral("3");
        SecEdit->setText(SecondsPerPicture);
    }
    updateQuorbelLabel();
}

bool TMainForm::openStoredShow(const QString& folderName, const show::ShowInfo& info)
{
    const QString folder = ShowRoot + folderName + u'\\';
    // A save cut short (the program killed on its way) leaves its unfinished file beside the
    // show's files: it goes now.
    const QStringList leftovers = platform::removeLeftoverTemporaries(folder);
    if (!leftovers.isEmpty())
        platform::showError(QStringLiteral("Unable to remove these unfinished files: ") + leftovers.join(QStringLiteral(", ")));
    ShowTitle = info.title;
    setMainCaption();
    repaint();
    TitleEdit->setText(ShowTitle);
    SecondsPerPicture = show::NormaliseSeconds(info.time);
    SecEdit->setText(SecondsPerPicture);

    if (showRun_) showRun_->cancel();
    QuorbelListBox->Items().Clear();
    TextEdit->clear(); // nothing is selected in the show just opened
    const QStringList lines = show::ReadPictureLines(folder);
    ProgressTotal = static_cast<int>(lines.size()) - 1;
    PicProgressBar->setVisible(true);
    QStringList leftOut;
    QStringList tooLarge;
    {
        platform::HourglassCursor hourglass;
        platform::FolderListingScope listings; // one listing of the show folder for all its pictures
        const ResolvedLines resolved = resolvePictureLines(folder, lines);
        leftOut = resolved.leftOut;
        const QList<std::optional<show::PictureEntry>>& entries = resolved.entries;
        std::vector<int> lineOf; // the line of each listed picture, for the progress
        QStringList pictures;
        for (int i = 0; i < entries.size(); ++i) {
            if (!entries[i]) continue;
            lineOf.push_back(i);
            pictures.append(folder + entries[i]->file);
        }
        // Every picture is listed at once; the missing thumbnails are made on worker threads,
        // the rows in sight first, and each row is drawn anew as its thumbnail comes. The
        // window paints meanwhile but takes no input: the show is half open.
        std::vector<int> rowOf;
        rowOf.reserve(lineOf.size());
        for (const int line : lineOf) {
            const show::PictureEntry& e = *entries[line];
            rowOf.push_back(QuorbelListBox->Items().Add(show::ShowItem(folder, e.file, show::PictureLine(e))));
        }
        const bool whole = makeListThumbnails(*QuorbelListBox, pictures, rowOf, false, false, showRun_, tooLarge,
                                              [&](int k) { ProgressDone = lineOf[std::size_t(k)]; });
        if (!whole) return false; // the window is closing
        StatusBar1->showMessage(QStringLiteral("Fertig"));
        PicProgressBar->setVisible(false);
        PixImage2->setVisible(false);
        ClearUndo();
        ShowFolder = info.placeholder ? NextShowFolderName() : folderName;
        fieldsShowFolder_ = ShowFolder;
        showFolderOnDisk_ = !info.placeholder;
        SaveGeneratorSettings();
        // The renamed pictures are listed under their new names at once.
        if (resolved.renamed) savePictureListIfStored();
        DeleteStaleThumbnails();
    }
    if (!leftOut.isEmpty())
        platform::showError(QStringLiteral("These lines of %1Pictures.ini are left out of the show:\n").arg(folder) + leftOut.join(u'\n'));
    reportTooLargeForThumbnails(tooLarge);
    return true;
}

bool TMainForm::SavePictureList()
{
    QStringList lines;
    for (int i = 0; i < QuorbelListBox->Count(); ++i) lines.append(show::ItemLine(QuorbelListBox->Items().Strings(i)));
    return show::WritePictureLines(ShowFolderPath(), lines);
}

void TMainForm::NewQuorbel1Click()
{
    TNewForm& dialog = newForm();
    if (platform::dialogs().showModal(dialog) != platform::mrOk) return;
    WaitForCdRipper();
    storeShowInfo();
    fieldsShowFolder_.clear();
    showEditor();
    DeleteStaleThumbnails();
    ShowTitle = dialog.Edit1->text();
    TitleEdit->setText(ShowTitle);
    {
        platform::HourglassCursor hourglass;
        ShowFolder = NextShowFolderName();
        fieldsShowFolder_ = ShowFolder;
        showFolderOnDisk_ = false; // made with its first picture
        PixImage2->setVisible(false);
        ClearUndo();
        SaveGeneratorSettings();
        QuorbelListBox->Items().Clear();
        TextEdit->clear();
        updateQuorbelLabel();
        setMainCaption();
        SecondsPerPicture = show::NormaliseSeconds(SecondsPerPicture);
        SecEdit->setText(SecondsPerPicture);
        SelectFirstPage();
    }
    showTipsUnlessSwitchedOff();
}

void TMainForm::OpenQuorbel1Click()
{
    TOpenForm& dialog = openForm();
    if (dialog.ShowWithMode(0) != platform::mrOk) return;
    const QString folder = dialog.SelectedFolder();
    if (folder.isEmpty()) return;
    showEditor();
    OpenShow(folder);
    showTipsUnlessSwitchedOff();
}

void TMainForm::DeleteQuorbel1Click()
{
    TOpenForm& dialog = openForm();
    if (dialog.ShowWithMode(1) == platform::mrOk && platform::confirm(texts_.text(10008))) {
        platform::HourglassCursor hourglass;
        OpenShow(QLatin1String(show::PlaceholderFolder));
        PixImage2->setVisible(false);
        ClearUndo();
        QuorbelListBox->Items().Clear();
        updateQuorbelLabel();
        const QString folder = show::ShowFolderToDelete(ShowRoot, dialog.ChosenFolder);
        if (folder.isEmpty() || !DeleteDirectory(folder)) platform::showInformation(texts_.text(10009));
    }
    SelectFirstPage();
}

void TMainForm::BeispielBitBtnClick()
{
    showEditor();
    OpenShow(QStringLiteral("Quorbel_0001"));
    showTipsUnlessSwitchedOff();
}

void TMainForm::TitleEditChange() { ShowTitle = TitleEdit->text(); }

void TMainForm::storeShowInfo()
{
    if (ShowFolder.isEmpty() || fieldsShowFolder_.compare(ShowFolder, Qt::CaseInsensitive) != 0) return;
    const QString folder = ShowFolderPath();
    if (!platform::directoryExists(folder)) return;
    const QString seconds = show::NormaliseSeconds(SecondsPerPicture);
    const show::ShowInfo stored = show::ReadShowInfo(folder);
    if (stored.exists && !stored.placeholder && stored.title == ShowTitle.trimmed()
        && show::NormaliseSeconds(stored.time) == seconds)
        return;
    const bool written = show::WriteShowInfo(folder, ShowTitle, seconds);
    // A full disk or a read-only show: said once, not at every change of the fields.
    if (!written && !infoWriteFailed_)
        platform::showError(QStringLiteral("Unable to write ") + folder + QStringLiteral("Quorbel.ini"));
    infoWriteFailed_ = !written;
}

void TMainForm::SecEditChange() { SecondsPerPicture = SecEdit->text().trimmed(); }

void TMainForm::SecEditExit()
{
    SecondsPerPicture = show::NormaliseSeconds(SecEdit->text());
    if (SecEdit->text() != SecondsPerPicture) SecEdit->setText(SecondsPerPicture);
    storeShowInfo();
}
