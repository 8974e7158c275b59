// The main window's pictures page: the source list and the show list, the thumbnails, the undo
// stack, the turns and mirrors of the selected show picture, and the small handlers of the
// settings page. The work itself lies in picturelist, thumbnails and undostack.
#include "mainform.h"
#include "makestep.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QHash>

#include "app/language.h"
#include "controls/htmlistbox.h"
#include "imaging/piximage.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "sdk/errors.h"
#include "sdk/losslessturn.h"
#include "show/itemtext.h"
#include "show/picturelist.h"
#include "show/showfiles.h"
#include "util/strutils.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

#include <exception>
#include <future>
#include <system_error>
#include <optional>

namespace {

const QString ThumbPrefix = QStringLiteral("_THUMB_");
constexpr int ThumbnailHeight = 70; // of the pictures in both lists

} // namespace

// ---------------------------------------------------------------------------------------------
// wiring

void TMainForm::connectPictureHandlers()
{
    connect(SpeedButton1, &QToolButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMainForm::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TMainForm::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TMainForm::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TMainForm::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TMainForm::SpeedButton6Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TMainForm::SpeedButton7Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TMainForm::SpeedButton9Click);
    connect(SpeedButton10, &QToolButton::clicked, this, &TMainForm::SpeedButton10Click);
    connect(UndoBitBtn, &QPushButton::clicked, this, &TMainForm::UndoBitBtnClick);
    connect(OpenBitBtn, &QPushButton::clicked, this, &TMainForm::OpenBitBtnClick);
    connect(PrintBitBtn, &QPushButton::clicked, this, &TMainForm::PrintBitBtnClick);
    connect(PrintAll1, &QAction::triggered, this, &TMainForm::PrintAll1Click);
    connect(PrintSelected1, &QAction::triggered, this, &TMainForm::PrintSelected1Click);
    // Only what the user types: the window's own changes of the edit are no caption edits.
    connect(TextEdit, &QLineEdit::textEdited, this, &TMainForm::TextEditChange);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);

    connect(FileListBox, &controls::THTMListBox::Click, this, &TMainForm::FileListBoxClick);
    connect(FileListBox, &controls::THTMListBox::DblClick, this, &TMainForm::FileListBoxDblClick);
    connect(FileListBox, &controls::THTMListBox::DragOver, this,
            [this](QObject* source, int x, int y, controls::TDragState, bool& accept) { FileListBoxDragOver(source, x, y, accept); });
    connect(FileListBox, &controls::THTMListBox::KeyDown, this, &TMainForm::QuorbelListBoxKeyDown);
    connect(FileListBox, &controls::THTMListBox::KeyUp, this, &TMainForm::QuorbelListBoxKeyUp);

    connect(QuorbelListBox, &controls::THTMListBox::Click, this, &TMainForm::QuorbelListBoxClick);
    connect(QuorbelListBox, &controls::THTMListBox::MouseDown, this, &TMainForm::QuorbelListBoxMouseDown);
    connect(QuorbelListBox, &controls::THTMListBox::DragOver, this,
            [this](QObject* source, int x, int y, controls::TDragState state, bool& accept) {
                if (state == controls::dsDragLeave) {
                    accept = false;
                    return;
                }
                QuorbelListBoxDragOver(source, x, y, accept);
            });
    connect(QuorbelListBox, &controls::THTMListBox::DragDrop, this, &TMainForm::QuorbelListBoxDragDrop);
    connect(QuorbelListBox, &controls::THTMListBox::EndDrag, this, &TMainForm::QuorbelListBoxEndDrag);
    connect(QuorbelListBox, &controls::THTMListBox::KeyDown, this, &TMainForm::QuorbelListBoxKeyDown);
    connect(QuorbelListBox, &controls::THTMListBox::KeyUp, this, &TMainForm::QuorbelListBoxKeyUp);

    PixImage3->SetEnableMethodErrors(false);
}

editor::ThumbnailMaker& TMainForm::thumbnailMaker()
{
    if (!thumbnails_) thumbnails_ = std::make_unique<editor::ThumbnailMaker>(ProgramDir);
    return *thumbnails_;
}

editor::UndoStack& TMainForm::undoStack()
{
    if (!undo_) undo_ = std::make_unique<editor::UndoStack>(ProgramDir);
    return *undo_;
}

void TMainForm::savePictureListIfStored()
{
    // A new show has no folder before its first picture; a show with pictures whose folder is
    // gone (removed from outside) is told, not skipped.
    if (ShowFolder.isEmpty()) return;
    if (QuorbelListBox->Count() == 0 && !platform::directoryExists(ShowFolderPath())) return;
    const bool written = SavePictureList();
    // A full disk or a folder in the file's place: said once, not at every key of a caption.
    if (!written && !listWriteFailed_)
        platform::showError(QStringLiteral("Unable to write ") + ShowFolderPath() + QStringLiteral("Pictures.ini"));
    listWriteFailed_ = !written;
}

// ---------------------------------------------------------------------------------------------
// the show list

// One operation that adds many pictures: one listing of the show folder for all of them, and
// the picture list written once at its end (and about once a second on its way, so that a kill
// loses little).
struct TMainForm::ManyAdds {
    explicit ManyAdds(TMainForm& form) : form_(form), outer_(form.addingMany_) { form_.addingMany_ = true; }
    ~ManyAdds()
    {
        form_.addingMany_ = outer_;
        if (!outer_ && form_.listUnsaved_) {
            form_.listUnsaved_ = false;
            form_.savePictureListIfStored();
        }
    }
    ManyAdds(const ManyAdds&) = delete;
    ManyAdds& operator=(const ManyAdds&) = delete;

private:
    TMainForm& form_;
    bool outer_;
    platform::FolderListingScope listings_;
};

void TMainForm::saveListAfterAdd()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (addingMany_ && now - listSavedAt_ < 1000) {
        listUnsaved_ = true;
        return;
    }
    listUnsaved_ = false;
    listSavedAt_ = now;
    savePictureListIfStored();
}

bool TMainForm::AddPictureToShow(const QString& source, int index)
{
    QString gone;
    {
        platform::HourglassCursor hourglass;
        if (ShowFolder.isEmpty()) ShowFolder = fieldsShowFolder_ = NextShowFolderName();
        const QString folder = ShowFolderPath();
        if (!platform::directoryExists(folder)) {
            // A show that was on disk and is gone (deleted from outside) is not made again from
            // a list whose pictures went with it.
            if (showFolderOnDisk_ || QuorbelListBox->Count() > 0) gone = folder;
            else (void)platform::forceDirectories(folder); // else the copy below fails and is reported
        }
    }
    if (!gone.isEmpty()) {
        platform::showError(QStringLiteral("The show folder %1 is gone: nothing is added. Open or create a show.").arg(gone));
        return false;
    }
    {
        platform::HourglassCursor hourglass;
        const QString folder = ShowFolderPath();
        showFolderOnDisk_ = true;
        // Written when it does not hold the show's title and time already.
        const show::ShowInfo stored = show::ReadShowInfo(folder);
        if (!stored.exists || stored.placeholder || stored.title != ShowTitle.trimmed() || stored.time != SecondsPerPicture.trimmed())
            if (!show::WriteShowInfo(folder, ShowTitle, SecondsPerPicture))
                platform::showError(QStringLiteral("Unable to write ") + folder + QStringLiteral("Quorbel.ini"));
        const QString name = show::CopyPictureIntoShow(source, folder);
        if (!name.isEmpty()) {
            // A fresh thumbnail always: one left behind by an earlier picture of this name would be wrong.
            MakeThumbnail(folder + name, 70, true, false);
            const QString item = show::ShowItem(folder, name, name);
            if (index < 0 || index >= QuorbelListBox->Count()) QuorbelListBox->Items().Add(item);
            else QuorbelListBox->Items().Insert(index, item);
            saveListAfterAdd();
            updateQuorbelLabel();
            return true;
        }
    }
    platform::showError(texts_.text(10000));
    return true;
}

QString TMainForm::UniquePictureName(const QString& path) const { return show::UniquePictureName(path); }

bool TMainForm::RemovePicture(int index, QStringList* failures)
{
    if (QuorbelListBox->Count() == 0 || index < 0 || index >= QuorbelListBox->Count()) return true;
    platform::HourglassCursor hourglass;
    TextEdit->clear();
    DisableEditButtons();
    showPictureChosen_ = false;
    const QString name = show::ItemFileName(QuorbelListBox->Items()[index]);
    if (show::IsBareFileName(name)) {
        const QString file = ShowFolderPath() + name;
        if (UndoDepth > 0 && undoStack().Picture().compare(file, Qt::CaseInsensitive) == 0) ClearUndo();
        // The list follows the disk: a picture that stays on disk (a read-only file or folder)
        // stays in the list. One that is gone already leaves the list as well.
        if (!platform::deleteFile(file, ShowFolderPath()) && (platform::fileExists(file) || platform::directoryExists(file))) {
            if (failures) failures->append(file + QStringLiteral(": ") + platform::lastFileError());
            return false;
        }
        // A removed picture leaves the preview with its file.
        if (previewPath_.compare(file, Qt::CaseInsensitive) == 0) clearPreview();
    }
    QuorbelListBox->Items().Delete(index);
    savePictureListIfStored();
    updateQuorbelLabel();
    return true;
}

void TMainForm::reportUndeletedPictures(const QStringList& failures)
{
    if (failures.isEmpty()) return;
    platform::showError(QStringLiteral("Unable to delete these pictures; they stay in the show:\n") + failures.join(u'\n'));
}

void TMainForm::reportTooLargeForThumbnails(const QStringList& pictures)
{
    if (pictures.isEmpty()) return;
    platform::showError(QStringLiteral("Too large for a thumbnail (decoding would take more than %1 MB of memory): ")
                            .arg(editor::ThumbnailMemoryBytes >> 20)
                        + pictures.join(QStringLiteral(", ")));
}

void TMainForm::DeleteFiles(const QString& mask)
{
    QStringList failed;
    {
        platform::HourglassCursor hourglass;
        failed = show::DeleteFilesMatching(mask);
    }
    if (!failed.isEmpty()) platform::showError(HeadedList(QStringLiteral("Unable to delete these files:"), failed));
}

void TMainForm::SpeedButton1Click()
{
    QStringList names;
    for (int i = 0; i < FileListBox->Count(); ++i)
        if (FileListBox->Selected(i)) names.append(show::ItemLine(FileListBox->Items()[i]));
    if (names.isEmpty()) {
        platform::showInformation(texts_.text(10004));
        return;
    }
    PicProgressBar->setVisible(true);
    ManyAdds adding(*this);
    for (const QString& name : names)
        if (!AddPictureToShow(SourceFolder + name, -1)) break;
    PicProgressBar->setVisible(false);
}

void TMainForm::SpeedButton2Click()
{
    if (FileListBox->Count() == 0) {
        platform::showInformation(texts_.text(10005));
        return;
    }
    QStringList names;
    for (int i = 0; i < FileListBox->Count(); ++i) names.append(show::ItemLine(FileListBox->Items()[i]));
    PicProgressBar->setVisible(true);
    ManyAdds adding(*this);
    for (const QString& name : names)
        if (!AddPictureToShow(SourceFolder + name, -1)) break;
    PicProgressBar->setVisible(false);
}

void TMainForm::SpeedButton3Click()
{
    if (QuorbelListBox->Count() == 0) {
        if (!ShowFolder.isEmpty() && platform::directoryExists(ShowFolderPath())) DeleteFiles(ShowFolderPath() + QStringLiteral("*.jpg"));
        return;
    }
    if (QuorbelListBox->SelCount() == 0) {
        platform::showInformation(texts_.text(10006));
        return;
    }
    QStringList failures;
    QuorbelListBox->Items().BeginUpdate();
    for (int i = QuorbelListBox->Count() - 1; i >= 0 && QuorbelListBox->SelCount() > 0; --i)
        if (QuorbelListBox->Selected(i)) RemovePicture(i, &failures);
    QuorbelListBox->Items().EndUpdate();
    DeleteStaleThumbnails();
    reportUndeletedPictures(failures);
}

void TMainForm::SpeedButton4Click()
{
    if (!platform::confirm(texts_.text(10007))) return;
    QStringList failures;
    for (int i = 0; i < QuorbelListBox->Count();)
        if (!RemovePicture(i, &failures)) ++i; // it stays; the next one moves up otherwise
    reportUndeletedPictures(failures);
    if (!failures.isEmpty()) return;
    if (!ShowFolder.isEmpty() && platform::directoryExists(ShowFolderPath())) DeleteFiles(ShowFolderPath() + QStringLiteral("*.jpg"));
}

// ---------------------------------------------------------------------------------------------
// the source list

void TMainForm::FillSourceList()
{
    // A folder chosen while the last one still fills replaces it: its workers stop first.
    if (sourceRun_) sourceRun_->cancel();
    FileListBox->Items().Clear();
    DragFromSource = false;
    platform::HourglassCursor hourglass;
    platform::FolderListingScope listings; // the source folder and the cache: one listing each
    const QString folder = EnsureTrailingBackslash(PathWithoutName(OpenPictureDialog1.fileName));
    ProgressTotal = show::CountJpegEntries(folder);
    ProgressDone = 0;
    PicProgressBar->setVisible(true);
    QStringList names;
    QStringList pictures;
    for (const QString& name : show::SourcePictureNames(folder)) {
        // A host name with a backslash cannot be reached through a Windows path.
        if (name.contains(u'\\')) continue;
        names.append(name);
        pictures.append(folder + name);
    }
    // Every picture is listed at once, in the language's order ("autumn.jpg" before "Safe
    // Landing.jpg", "Ärger" among the A's); the thumbnails follow, the rows in sight first.
    editor::ThumbnailMaker& maker = thumbnailMaker();
    QHash<QString, int> pictureOfItem;
    for (int i = 0; i < names.size(); ++i) {
        const QString item = show::SourceItem(maker.Target(pictures[i], true), names[i]);
        pictureOfItem.insert(item, i);
        FileListBox->Items().Add(item);
    }
    FileListBox->setSortLocale(LanguageLocale());
    FileListBox->Sort();
    std::vector<int> rowOf(std::size_t(names.size()), -1);
    for (int row = 0; row < FileListBox->Count(); ++row) {
        const auto found = pictureOfItem.constFind(FileListBox->Items()[row]);
        if (found != pictureOfItem.constEnd()) rowOf[std::size_t(*found)] = row;
    }
    QStringList tooLarge;
    const bool whole = makeListThumbnails(*FileListBox, pictures, rowOf, true, true, sourceRun_, tooLarge,
                                          [this](int) { ++ProgressDone; });
    if (!whole) return; // another folder took the list's place
    StatusBar1->clearMessage();
    PicProgressBar->setVisible(false);
    reportTooLargeForThumbnails(tooLarge);
}

// ---------------------------------------------------------------------------------------------
// selection and preview

QString TMainForm::showPictureAt(int row) const
{
    return ShowRoot + ShowFolder + u'\\' + show::ItemFileName(QuorbelListBox->Items()[row]);
}

void TMainForm::SelectedPicturePath()
{
    const int index = QuorbelListBox->ItemIndex();
    if (index < 0 || index >= QuorbelListBox->Count()) {
        SelectedPicture.clear();
        return;
    }
    SelectedPicture = showPictureAt(index);
}

void TMainForm::SelectShowItem(int index)
{
    const int count = QuorbelListBox->Count();
    if (count == 0) return;
    QuorbelListBox->ClearSelection();
    const int row = (index != -1 && index >= 0 && index < count) ? index : count - 1;
    QuorbelListBox->setItemIndex(row);
    QuorbelListBox->setSelected(row, true);
}

bool TMainForm::loadPreview(const QString& path)
{
    PixImage2->SetPaintSizeMode(imaging::smFit);
    bool loaded = false;
    try {
        loaded = PixImage2->Load(path, 0, 1, -1) == 1 && PixImage2->HasImage();
    } catch (const std::exception&) {
        loaded = false;
    }
    previewPath_ = loaded ? path : QString();
    PixImage2->setVisible(true);
    return loaded;
}

void TMainForm::clearPreview()
{
    PixImage2->setVisible(false);
    PixImage2->Clear();
    LastPreviewFile.clear();
    previewPath_.clear();
}

void TMainForm::PreviewPicture(const QString& file, bool inShowFolder, bool force)
{
    if (!force && file == LastPreviewFile) return;
    LastPreviewFile = file;
    QString name = file;
    if (name.contains(u'>')) name = show::ItemLine(name);
    QString path;
    if (inShowFolder) path = ShowFolderPath() + name;
    // A bare source name lies in the source folder.
    else path = (name.contains(u'\\') || name.contains(u':')) ? name : SourceFolder + name;
    loadPreview(path);
    if (RememberedIndex >= 0 && RememberedIndex < QuorbelListBox->Count()) QuorbelListBox->setItemIndex(RememberedIndex);
}

void TMainForm::noteShowSelection()
{
    SelectedPicturePath();
    if (UndoDepth > 0 && undoStack().Picture().compare(SelectedPicture, Qt::CaseInsensitive) != 0) ClearUndo();
}

void TMainForm::QuorbelListBoxMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    if (QuorbelListBox->Count() == 0) return;
    DragFromSource = false;
    DragIndex = QuorbelListBox->ItemAtPos(QPoint(x, y), true);
    const int index = QuorbelListBox->ItemIndex();
    if (index < 0) return;
    const QString line = show::ItemLine(QuorbelListBox->Items()[index]);
    ClickedItemName = GetWordAt(1, line, QStringLiteral("|")).trimmed();
    TextEdit->setText(GetWordAt(2, line, QStringLiteral("|")).trimmed());
    showPictureChosen_ = true;
    noteShowSelection();
    EnableEditButtons();
    RememberedIndex = index;
    Timer1->start();
}

void TMainForm::QuorbelListBoxClick()
{
    DragInProgress = false;
    PixImage2->setVisible(true);
    const int index = QuorbelListBox->ItemIndex();
    if (index < 0 || index >= QuorbelListBox->Count()) return;
    showPictureChosen_ = true;
    // Every click empties the undo stack, a click on the picture already selected too: what
    // Undo would bring back is never older than the last choice of a picture.
    SelectedPicturePath();
    ClearUndo();
    const QString line = show::ItemLine(QuorbelListBox->Items()[index]);
    const qsizetype bar = line.indexOf(u'|');
    ClickedItemName = (bar < 0 ? line : line.left(bar)).trimmed();
    TextEdit->setText(bar < 0 ? QString() : line.mid(bar + 1).trimmed());
    EnableEditButtons();
    RememberedIndex = index;
    Timer1->start();
}

void TMainForm::FileListBoxClick()
{
    // The preview is about to show a source picture: the edits wait for a show picture.
    DisableEditButtons();
    PrintBitBtn->setEnabled(QuorbelListBox->Count() > 0);
    showPictureChosen_ = false;
    DragFromSource = true;
    RememberedIndex = QuorbelListBox->ItemIndex();
    const int index = FileListBox->ItemIndex();
    if (index < 0 || index >= FileListBox->Count()) return;
    ClickedItemName = FileListBox->Items()[index];
    Timer2->start();
}

void TMainForm::FileListBoxDblClick() { SpeedButton1Click(); }

void TMainForm::QuorbelListBoxKeyDown(int& key, Qt::KeyboardModifiers)
{
    if (key == 16 || key == 17) MultiSelectKey = true;
    // Delete removes show pictures (and their files) only from the show list itself: pressed in
    // the source list it would delete pictures the user may not even see.
    if (key == 46 && QuorbelListBox->hasFocus()) SpeedButton3Click();
}

void TMainForm::QuorbelListBoxKeyUp(int& key, Qt::KeyboardModifiers)
{
    if (key == 16 || key == 17) MultiSelectKey = false;
}

void TMainForm::Timer1Timer()
{
    // While Shift or Ctrl is held the preview waits; the timer comes back every 200 ms.
    if (MultiSelectKey) {
        Timer1->start();
        return;
    }
    Timer1->stop();
    PreviewPicture(ClickedItemName, true, false);
}

void TMainForm::Timer2Timer()
{
    Timer2->stop();
    PreviewPicture(ClickedItemName, false, false);
}

void TMainForm::TextEditChange()
{
    const int index = QuorbelListBox->ItemIndex();
    if (index < 0 || index >= QuorbelListBox->Count()) return;
    QString text = TextEdit->text();
    const QString typed = text;
    if (!show::IsStorableCaption(text)) {
        // "Pictures.ini" keeps the caption behind the one "|" of a line: no other may come in.
        text.remove(u'|').remove(u'\r').remove(u'\n');
    }
    // "Pictures.ini" is Windows-1252: a character it has no byte for is stored as "?". The edit
    // shows it so at once, and the user is told which characters it took.
    const show::CaptionFit fit = show::FitCaptionToWindows1252(text);
    text = fit.caption;
    if (text != typed) {
        const int cursor = TextEdit->cursorPosition();
        TextEdit->setText(text);
        TextEdit->setCursorPosition(std::max(0, cursor - int(typed.size() - text.size())));
    }
    QuorbelListBox->Items().setStrings(index, show::ItemWithCaption(QuorbelListBox->Items()[index], text));
    savePictureListIfStored();
    if (!fit.replaced.isEmpty())
        platform::showInformation(QStringLiteral("A caption can hold only the characters of Windows-1252; these are stored as \"?\": ")
                                  + fit.replaced.join(u' '));
}

// ---------------------------------------------------------------------------------------------
// drag and drop

void TMainForm::FileListBoxDragOver(QObject*, int, int, bool& accept)
{
    DragFromSource = true;
    accept = false;
}

void TMainForm::QuorbelListBoxDragOver(QObject* source, int x, int y, bool& accept)
{
    accept = source == FileListBox || source == QuorbelListBox;
    if (!accept) return;
    const int height = QuorbelListBox->viewport()->height();
    if (y < 50) QuorbelListBox->setTopIndex(std::max(0, QuorbelListBox->TopIndex() - 1));
    else if (y > height - 50) QuorbelListBox->setTopIndex(QuorbelListBox->TopIndex() + 1);
    if (source == FileListBox) {
        const int row = QuorbelListBox->ItemAtPos(QPoint(x, y), true);
        DragIndex = row < 0 ? QuorbelListBox->Count() : row;
    }
    DragInProgress = true;
    SavedScrollPos = QuorbelListBox->TopIndex();
}

void TMainForm::QuorbelListBoxDragDrop(QObject* source, int x, int y)
{
    if (source == FileListBox) {
        DropNames.clear();
        for (int i = 0; i < FileListBox->Count(); ++i)
            if (FileListBox->Selected(i)) DropNames.append(show::ItemLine(FileListBox->Items()[i]));
        if (DragIndex < 0 || DragIndex > QuorbelListBox->Count()) DragIndex = QuorbelListBox->Count();
        PicProgressBar->setVisible(true);
        // Inserting at the same row from the last name to the first keeps the source order.
        ManyAdds adding(*this);
        for (int i = int(DropNames.size()) - 1; i >= 0; --i) {
            if (!AddPictureToShow(SourceFolder + DropNames[i], DragIndex)) break;
            SelectShowItem(DragIndex);
        }
        PicProgressBar->setVisible(false);
        if (QuorbelListBox->Count() > 0) QuorbelListBoxClick();
        DragFromSource = false;
    } else if (source == QuorbelListBox) {
        const int target = QuorbelListBox->ItemAtPos(QPoint(x, y), true);
        if (target >= 0 && DragIndex >= 0 && DragIndex < QuorbelListBox->Count() && target != DragIndex) {
            QuorbelListBox->Items().Move(DragIndex, target);
            DragIndex = target;
            // The new order is kept at once.
            savePictureListIfStored();
        }
    }
}

void TMainForm::QuorbelListBoxEndDrag(QObject*, int x, int y)
{
    MultiSelectKey = false;
    if (!DragInProgress) return;
    DragInProgress = false;
    if (SavedScrollPos != 1) {
        QuorbelListBox->setTopIndex(0);
        QuorbelListBox->setTopIndex(SavedScrollPos);
        SavedScrollPos = 1;
    }
    SelectShowItem(QuorbelListBox->ItemAtPos(QPoint(x, y), false));
    noteShowSelection();
}

// ---------------------------------------------------------------------------------------------
// thumbnails and undo

bool TMainForm::MakeThumbnail(const QString& picture, int height, bool force, bool cache)
{
    editor::ThumbnailMaker& maker = thumbnailMaker();
    if (!force && maker.IsCurrent(picture, maker.Target(picture, cache), cache)) return true;
    return showingThumbnailProgress([&] { return maker.Make(picture, height, true, cache); });
}

bool TMainForm::showingThumbnailProgress(const std::function<bool()>& make)
{
    const int percent = editor::ProgressPercent(ProgressDone, ProgressTotal);
    StatusBar1->showMessage(texts_.text(14000) + u' ' + QString::number(percent) + u' ' + texts_.text(14001));
    PicProgressBar->setValue(std::clamp(percent, 0, 100));
    StatusBar1->repaint();
    PicProgressBar->repaint();
    bool made;
    {
        platform::HourglassCursor hourglass;
        made = make();
    }
    StatusBar1->showMessage(QStringLiteral("Fertig"));
    return made;
}

bool TMainForm::takeThumbnail(editor::ThumbnailRun& run, int index, bool userInput)
{
    const auto flags = userInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
    auto pump = [&] {
        // The wait wakes at every thumbnail made; the window is served every 15 ms at most.
        if (QDateTime::currentMSecsSinceEpoch() - lastPump_ < 15) return;
        QCoreApplication::processEvents(flags);
        lastPump_ = QDateTime::currentMSecsSinceEpoch();
    };
    if (run.needsMaking(index)) {
        const int percent = editor::ProgressPercent(ProgressDone, ProgressTotal);
        StatusBar1->showMessage(texts_.text(14000) + u' ' + QString::number(percent) + u' ' + texts_.text(14001));
        PicProgressBar->setValue(std::clamp(percent, 0, 100));
    }
    if (!run.take(index, pump)) return false;
    // While thumbnails are made the list fills in sight, a few times a second.
    if (run.toMake() > 0 && QDateTime::currentMSecsSinceEpoch() - lastPump_ >= 50) pump();
    return !run.cancelled();
}

bool TMainForm::makeListThumbnails(controls::THTMListBox& list, const QStringList& pictures, const std::vector<int>& rowOf,
                                   bool cache, bool userInput, editor::ThumbnailRun*& current, QStringList& tooLarge,
                                   const std::function<void(int)>& progress)
{
    const int count = int(pictures.size());
    std::vector<int> pictureOfRow(std::size_t(list.Count()), -1);
    for (int i = 0; i < count && i < int(rowOf.size()); ++i)
        if (rowOf[std::size_t(i)] >= 0 && rowOf[std::size_t(i)] < list.Count()) pictureOfRow[std::size_t(rowOf[std::size_t(i)])] = i;
    // The rows in sight once their thumbnails are in, from the top row on; then outward.
    const int inSight = list.viewport()->height() / (ThumbnailHeight + 4) + 1;
    int top = std::max(0, list.TopIndex());
    const auto visibleFirst = [&] {
        std::vector<int> order;
        order.reserve(std::size_t(count));
        for (const int row : editor::VisibleFirstOrder(list.Count(), top, top + inSight - 1))
            if (pictureOfRow[std::size_t(row)] >= 0) order.push_back(pictureOfRow[std::size_t(row)]);
        return order;
    };
    editor::ThumbnailRun run(thumbnailMaker(), pictures, ThumbnailHeight, false, cache, visibleFirst());
    current = &run;
    const auto forget = qScopeGuard([&] { if (current == &run) current = nullptr; });
    // A row in sight is loaded, measured and drawn anew as its thumbnail comes; the others are
    // measured all at once at the end (a row scrolled into sight meanwhile loads its own).
    const auto reload = [&list](const QString& thumbnail) {
        if (const controls::PicturePtr shown = list.pictureCache().FindPicture(QStringLiteral("file://") + thumbnail))
            shown->LoadFromFile(thumbnail);
    };
    QStringList later;
    for (int k = 0; k < count; ++k) {
        const int i = run.pictureAt(k);
        progress(k);
        if (!takeThumbnail(run, i, userInput)) return false;
        // Scrolled meanwhile: what waits is made from the rows now in sight outward.
        if (std::max(0, list.TopIndex()) != top) {
            top = std::max(0, list.TopIndex());
            run.rerank(visibleFirst(), k + 1);
        }
        const int row = i < int(rowOf.size()) ? rowOf[std::size_t(i)] : -1;
        if (!run.needsMaking(i) || !run.made(i) || row < 0 || row >= list.Count()) continue;
        const QString item = list.Items()[row];
        const QString thumbnail = show::ItemThumbnailPath(item);
        if (thumbnail != run.target(i)) continue;
        if (!list.ItemRect(row).intersects(list.viewport()->rect())) {
            later.append(thumbnail);
            continue;
        }
        reload(thumbnail);
        list.Items().setStrings(row, item);
    }
    if (!later.isEmpty()) {
        for (const QString& thumbnail : later) reload(thumbnail);
        list.RemeasureItems();
    }
    // Named in the list's own order.
    for (int i = 0; i < count; ++i)
        if (run.tooLarge(i)) tooLarge.append(pictures[i]);
    return true;
}

void TMainForm::cancelThumbnails()
{
    if (sourceRun_) sourceRun_->cancel();
    if (showRun_) showRun_->cancel();
}

void TMainForm::RefreshThumbnail()
{
    if (!refreshThumbnailItem()) return;
    PreviewPicture(SelectedPicture, false, true);
}

bool TMainForm::refreshThumbnailItem(const std::function<bool(const QString& target)>& make)
{
    const int index = QuorbelListBox->ItemIndex();
    if (index < 0 || index >= QuorbelListBox->Count() || SelectedPicture.isEmpty()) return false;
    const QString caption = show::ItemCaption(QuorbelListBox->Items()[index]);
    const QString folder = show::FolderOf(SelectedPicture);
    const QString name = show::NameOf(SelectedPicture);
    int k = 1;
    while (platform::fileExists(folder + ThumbPrefix + QString::number(k) + name)) ++k;
    const QString numbered = folder + ThumbPrefix + QString::number(k) + name;
    const QString thumbnail = folder + ThumbPrefix + name;
    const bool made = make ? showingThumbnailProgress([&] { return make(thumbnail); }) : MakeThumbnail(SelectedPicture, 70, true, false);
    if (made && !platform::copyFile(thumbnail, numbered))
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(numbered, platform::lastFileError()));
    QuorbelListBox->Items().setStrings(index, show::PictureItem(numbered, show::PictureLine({name, caption})));
    savePictureListIfStored();
    return true;
}

void TMainForm::previewHoldsSelectedPicture()
{
    // The preview holds the bitmap just written to (or read from) the selected picture: it is
    // shown as it is instead of decoding the file again.
    LastPreviewFile = SelectedPicture;
    previewPath_ = SelectedPicture;
    PixImage2->setVisible(true);
    if (RememberedIndex >= 0 && RememberedIndex < QuorbelListBox->Count()) QuorbelListBox->setItemIndex(RememberedIndex);
}

void TMainForm::updateUndoButton() { UndoBitBtn->setEnabled(UndoDepth > 0); }

bool TMainForm::PushUndo()
{
    const bool pushed = undoStack().Push(SelectedPicture);
    UndoDepth = undoStack().Depth();
    updateUndoButton();
    return pushed;
}

void TMainForm::DiscardUndo()
{
    undoStack().DropLast();
    UndoDepth = undoStack().Depth();
    updateUndoButton();
}

void TMainForm::ClearUndo()
{
    undoStack().Clear();
    UndoDepth = 0;
    UndoBitBtn->setEnabled(false);
}

void TMainForm::UndoBitBtnClick()
{
    // A source picture in the preview: the undo waits, like the edits, for a show picture.
    if (!showPictureChosen_) return;
    if (UndoDepth <= 0 || undoStack().Depth() <= 0) {
        ClearUndo();
        return;
    }
    {
        platform::HourglassCursor hourglass;
        RememberedIndex = QuorbelListBox->ItemIndex();
        SelectedPicturePath();
        if (SelectedPicture.isEmpty() || undoStack().Picture().compare(SelectedPicture, Qt::CaseInsensitive) != 0) {
            // The stack belongs to a picture that is no longer selected: it is never written elsewhere.
            ClearUndo();
            return;
        }
        undoStack().Undo(SelectedPicture);
        loadPreview(SelectedPicture);
        if (refreshThumbnailItem()) previewHoldsSelectedPicture();
        UndoDepth = undoStack().Depth();
        SelectShowItem(RememberedIndex);
    }
    updateUndoButton();
}

// ---------------------------------------------------------------------------------------------
// picture edits

bool TMainForm::selectedShowPictureReady()
{
    if (!showPictureChosen_) return false;
    const int index = QuorbelListBox->ItemIndex();
    if (index < 0 || index >= QuorbelListBox->Count() || !QuorbelListBox->Selected(index)) return false;
    RememberedIndex = index;
    noteShowSelection();
    if (SelectedPicture.isEmpty()) return false;
    if (!platform::isRegularFile(SelectedPicture)) {
        // Gone from outside (the show folder removed, the file renamed): said, with the file.
        const bool there = platform::fileExists(SelectedPicture) || platform::directoryExists(SelectedPicture);
        platform::showError(QStringLiteral("Unable to open ") + SelectedPicture
                            + (there ? QStringLiteral(": it is not a picture file") : QStringLiteral(": the file is missing")));
        return false;
    }
    // The edit acts on the picture file itself, whatever the preview showed last.
    LastPreviewFile = SelectedPicture;
    return true;
}

namespace {

std::optional<sdk::PxTurn> turnOf(const QString& operation)
{
    if (operation == QLatin1String("90")) return sdk::PxTurn::Right90;
    if (operation == QLatin1String("-90")) return sdk::PxTurn::Left90;
    if (operation == QLatin1String("180")) return sdk::PxTurn::Half;
    if (operation == QLatin1String("FlipH")) return sdk::PxTurn::MirrorTopBottom;
    if (operation == QLatin1String("FlipV")) return sdk::PxTurn::MirrorLeftRight;
    return std::nullopt;
}

} // namespace

bool TMainForm::turnDecoded(const QString& operation, QString& failure)
{
    int result = 0;
    try {
        if (!loadPreview(SelectedPicture)) {
            failure = PixImage2->GetLastErrorText();
            return false;
        }
        const platform::ColorRef white = platform::clWhite;
        if (operation == QLatin1String("90")) result = PixImage2->Rotate(9000, 1, white);
        else if (operation == QLatin1String("-90")) result = PixImage2->Rotate(27000, 1, white);
        else if (operation == QLatin1String("180")) result = PixImage2->Rotate(18000, 1, white);
        else if (operation == QLatin1String("FlipH")) result = PixImage2->Flip();
        else if (operation == QLatin1String("FlipV")) result = PixImage2->Reverse();
        if (result == 1) result = PixImage2->Save(SelectedPicture, 23, 24, 4, 0);
    } catch (const std::exception&) {
        result = 0;
    }
    if (result != 1) failure = PixImage2->GetLastErrorText();
    return result == 1;
}

void TMainForm::TransformPicture(const QString& operation)
{
    if (!selectedShowPictureReady()) return;
    const std::optional<sdk::PxTurn> turn = turnOf(operation);
    if (!turn) return;
    std::optional<platform::HourglassCursor> hourglass(std::in_place);
    bool done = false;
    bool pushed = false;
    QString failure;
    std::future<QByteArray> thumbnail;
    if (!PushUndo()) {
        failure = platform::lastFileError();
    } else {
        pushed = true;
        // A JPEG whose blocks allow it is turned without decoding: it loses nothing. Any other
        // picture is decoded, turned and written anew.
        QByteArray written;
        const int lossless = sdk::PX_LosslessTurnFile(SelectedPicture, *turn, &written);
        if (lossless == sdk::PX_SUCCESS) {
            // The thumbnail is made from the bytes just written, on another thread while the
            // preview decodes them; it is put in place only once the turn stands.
            try {
                thumbnail = std::async(std::launch::async, [written] {
                    QByteArray jpeg;
                    editor::RenderThumbnailJpeg(written, 70, &jpeg);
                    return jpeg;
                });
            } catch (const std::system_error&) {
                // No thread to spare: the thumbnail is made from the file afterwards.
            }
            done = loadPreview(SelectedPicture);
            if (!done) failure = PixImage2->GetLastErrorText();
        } else if (lossless == sdk::PXERR_UNSUPPORTED) {
            done = turnDecoded(operation, failure);
        } else if (lossless == sdk::PXERR_WRITE) {
            // The host's reason (a full disk) is what the user can act on.
            failure = QStringLiteral("%1 %2 (%3): the picture stays as it was.")
                          .arg(sdk::ErrorCodeMessage(lossless), SelectedPicture, platform::lastFileError());
        } else {
            failure = sdk::ErrorCodeMessage(lossless);
        }
        if (!done) {
            // The file is as it was (a turned file is put back): so are the undo stack and the preview.
            if (lossless == sdk::PX_SUCCESS) {
                undoStack().Undo(SelectedPicture);
                UndoDepth = undoStack().Depth();
                updateUndoButton();
            } else {
                DiscardUndo();
            }
        }
    }
    // The engine says only that it could not open the file; a folder that takes no new file
    // (the picture is written beside itself first) is the cause to tell.
    if (!done && pushed && !platform::isWritableFolder(show::FolderOf(SelectedPicture)))
        failure = QStringLiteral("The show folder %1 cannot be written (%2): the picture stays as it was.")
                      .arg(show::FolderOf(SelectedPicture), platform::lastFileError());
    if (!done) {
        loadPreview(SelectedPicture);
        hourglass.reset();
        platform::showErrorCaptioned(QStringLiteral("An error occured in your application, \n") + failure,
                                     QStringLiteral("Error"));
        return;
    }
    // The preview holds what was written; so does the thumbnail made meanwhile.
    std::function<bool(const QString&)> madeMeanwhile;
    if (thumbnail.valid())
        madeMeanwhile = [&thumbnail](const QString& target) {
            const QByteArray jpeg = thumbnail.get();
            return !jpeg.isEmpty() && editor::WriteThumbnail(target, jpeg);
        };
    if (refreshThumbnailItem(madeMeanwhile)) previewHoldsSelectedPicture();
    SelectShowItem(RememberedIndex);
}

void TMainForm::SpeedButton5Click() { TransformPicture(QStringLiteral("90")); }
void TMainForm::SpeedButton6Click() { TransformPicture(QStringLiteral("-90")); }
void TMainForm::SpeedButton7Click() { TransformPicture(QStringLiteral("180")); }
void TMainForm::SpeedButton9Click() { TransformPicture(QStringLiteral("FlipV")); }
void TMainForm::SpeedButton10Click() { TransformPicture(QStringLiteral("FlipH")); }

void TMainForm::EnableEditButtons()
{
    for (QWidget* w : std::initializer_list<QWidget*>{FarbeBitBtn, RGBBitBtn, BildbearbeitungBitBtn, PrintBitBtn, SpeedButton5,
                                                       SpeedButton6, SpeedButton7, SpeedButton9, SpeedButton10})
        w->setEnabled(true);
    QPalette p = TextLabel->palette();
    p.setColor(QPalette::WindowText, platform::colorToQColor(0x800000));
    TextLabel->setPalette(p);
    updateUndoButton();
}

void TMainForm::DisableEditButtons()
{
    for (QWidget* w : std::initializer_list<QWidget*>{FarbeBitBtn, RGBBitBtn, BildbearbeitungBitBtn, PrintBitBtn, SpeedButton5,
                                                       SpeedButton6, SpeedButton7, SpeedButton9, SpeedButton10, UndoBitBtn})
        w->setEnabled(false);
    QPalette p = TextLabel->palette();
    p.setColor(QPalette::WindowText, platform::colorToQColor(0x808080));
    TextLabel->setPalette(p);
}

// ---------------------------------------------------------------------------------------------
// print pop-up

// The print menu on an empty show: page 1 (the music page, as the print menu has it; no page
// change handler runs) and text 10010.
void TMainForm::selectPrintEmptyShowPage()
{
    {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(editor::MusicPage);
    }
    platform::showInformation(texts_.text(10010));
}

void TMainForm::PrintBitBtnClick()
{
    if (QuorbelListBox->Count() == 0) {
        selectPrintEmptyShowPage();
        return;
    }
    PopupMenu1->popup(QCursor::pos());
}

void TMainForm::PrintAll1Click()
{
    if (QuorbelListBox->Count() == 0) {
        selectPrintEmptyShowPage();
        return;
    }
    PrintAll = true;
    emit PrintPicturesRequested();
}

void TMainForm::PrintSelected1Click()
{
    if (QuorbelListBox->Count() == 0) {
        selectPrintEmptyShowPage();
        return;
    }
    PrintAll = false;
    emit PrintPicturesRequested();
}

// ---------------------------------------------------------------------------------------------
// clean-up

void TMainForm::DeleteStaleThumbnails()
{
    if (ShowFolder.isEmpty()) return;
    show::DeleteStaleThumbnails(ShowFolderPath(), QuorbelListBox->Items().toStringList());
}

void TMainForm::DeleteConvertedCopies(const QString& folder) { show::DeleteConvertedCopies(folder, convertedCopies_); }

// ---------------------------------------------------------------------------------------------
// source folder and text offset

void TMainForm::OpenBitBtnClick()
{
    QString folder;
    for (;;) {
        OpenPictureDialog1.initialDir = SourceFolder;
        const platform::FileDialogResult chosen = platform::dialogs().chooseFiles(OpenPictureDialog1);
        if (!chosen.accepted || chosen.files.isEmpty()) return;
        OpenPictureDialog1.fileName = chosen.files.first();
        folder = EnsureTrailingBackslash(PathWithoutName(OpenPictureDialog1.fileName));
        if (!show::IsForbiddenSourceFolder(folder, ShowRoot, ProgramDir)) break;
        platform::showInformation(texts_.text(10003));
    }
    if (!SourceFolder.isEmpty() && SourceFolder != folder) DeleteConvertedCopies(SourceFolder);
    SourceFolder = folder;
    FillSourceList();
}

void TMainForm::SpinEdit2Change() { TextOffset = SpinEdit2->value(); }
