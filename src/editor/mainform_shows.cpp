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
#include "platform/files.h"
#include "platform/hourglass.h"
#include "show/picturelist.h"
#include "show/showfiles.h"
#include "util/strutils.h"

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
    QuorbelLabel->setText(LangText(594) + u' ' + QString::number(QuorbelListBox->Count()) + u' ' + LangText(595));
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

void TMainForm::OpenShow(const QString& folderName)
{
    WaitForCdRipper(); // the ripper writes into the current show folder until it ends
    storeShowInfo();   // the show being left keeps its title and seconds
    fieldsShowFolder_.clear();
    const QString folder = ShowRoot + folderName + u'\\';
    const show::ShowInfo info = show::ReadShowInfo(folder);
    if (info.exists) {
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
        QStringList notFiles; // pipes and devices under a picture's name: never opened
        QStringList unrenamed;
        {
            platform::HourglassCursor hourglass;
            // A name that a list item or "Pictures.ini" cannot carry, or that the program's own
            // files begin with, gets a safe one as when adding: first, so that no thumbnail is
            // made over a picture.
            bool renamed = false;
            QList<std::optional<show::PictureEntry>> entries;
            for (const QString& line : lines) {
                show::PictureEntry e = show::ParsePictureLine(line);
                if (!show::IsBareFileName(e.file) || !platform::fileExists(folder + e.file)) {
                    entries.append(std::nullopt);
                    continue;
                }
                if (!platform::isRegularFile(folder + e.file)) {
                    notFiles.append(folder + e.file);
                    entries.append(std::nullopt);
                    continue;
                }
                const QString safe = show::RenameToShowSafeName(folder, e.file);
                if (safe.isEmpty()) {
                    unrenamed.append(folder + e.file + QStringLiteral(" to a name the show can keep: ") + platform::lastFileError());
                    entries.append(std::nullopt);
                    continue;
                }
                renamed = renamed || safe != e.file;
                e.file = safe;
                entries.append(e);
            }
            std::vector<int> lineOf; // the line of each listed picture, for the progress
            QStringList pictures;
            for (int i = 0; i < entries.size(); ++i) {
                if (!entries[i]) continue;
                lineOf.push_back(i);
                pictures.append(folder + entries[i]->file);
            }
            // Missing thumbnails are made on worker threads and taken in the show's order; the
            // list is laid out and painted once, not after every picture. The window paints the
            // progress meanwhile but takes no input: the show is half open.
            editor::ThumbnailRun run(thumbnailMaker(), pictures, 70, false, false);
            showRun_ = &run;
            const auto forget = qScopeGuard([&] { if (showRun_ == &run) showRun_ = nullptr; });
            for (int k = 0; k < int(lineOf.size()); ++k) {
                ProgressDone = lineOf[std::size_t(k)];
                if (!takeThumbnail(run, k, false)) return; // the window is closing
                const show::PictureEntry& e = *entries[lineOf[std::size_t(k)]];
                QuorbelListBox->Items().Add(show::ShowItem(folder, e.file, show::PictureLine(e)));
            }
            StatusBar1->showMessage(QStringLiteral("Fertig"));
            PicProgressBar->setVisible(false);
            PixImage2->setVisible(false);
            ClearUndo();
            ShowFolder = info.placeholder ? NextShowFolderName() : folderName;
            fieldsShowFolder_ = ShowFolder;
            SaveGeneratorSettings();
            // The renamed pictures are listed under their new names at once.
            if (renamed) savePictureListIfStored();
            DeleteStaleThumbnails();
        }
        if (!notFiles.isEmpty())
            platform::showError(QStringLiteral("Not a regular file, left out of the show: ") + notFiles.join(QStringLiteral(", ")));
        for (const QString& file : unrenamed)
            platform::showError(QStringLiteral("Unable to rename ") + file);
    } else {
        ShowTitle.clear();
        setWindowTitle(ProductInfo.Title);
        TitleEdit->clear();
        SecondsPerPicture = QStringLiteral("3");
        SecEdit->setText(SecondsPerPicture);
    }
    updateQuorbelLabel();
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
    if (dialog.ShowWithMode(1) == platform::mrOk && platform::confirm(LangText(10008))) {
        platform::HourglassCursor hourglass;
        OpenShow(QLatin1String(show::PlaceholderFolder));
        PixImage2->setVisible(false);
        ClearUndo();
        QuorbelListBox->Items().Clear();
        updateQuorbelLabel();
        const QString folder = show::ShowFolderToDelete(ShowRoot, dialog.ChosenFolder);
        if (folder.isEmpty() || !DeleteDirectory(folder)) platform::showInformation(LangText(10009));
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
