#pragma once
// The editor's main window: a start panel with four large buttons under a page control with the
// four step tabs (pictures, music, settings, make). It is also the current show context: the
// other windows read and write its public fields and components by their names.
#include "editorsettings.h"
#include "musiclist.h"
#include "staging.h"
#include "thumbnails.h"
#include "undostack.h"
#include "makestep.h"

#include "platform/colors.h"
#include "platform/dialogs.h"
#include "show/outputwindows.h"
#include "show/showcontext.h"
#include "app/windowregistry.h"
#include "util/texttable.h"

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;
class QPoint;

namespace platform {
class MediaPlayer;
}
namespace editor {
class CdRipperRun;
}
namespace controls {
class THTMListBox;
class TXPMenu;
}

class TOpenForm;
class TNewForm;
class TAboutBox;
class TTipForm;
class TPrintSizeWizard;
class TPrintSelectForm;
struct PrintSelectionOffer;
namespace show {
class ShowHost;
struct ShowInfo;
} // namespace show
class TvelDrawImage;
class MainFormEditHost;
class MainFormShowHost;
class TNoDriverForm;
class TFullsizeForm;
class TPixEffectsForm;
class TMakeWizzard;
class TExportForm;
class TAnweisungForm;

namespace controls {
class THTMListBox;
}
namespace imaging {
class TPixImage;
class TPixTwain;
}

class TMainForm : public QMainWindow, public RegisteredWindow<TMainForm> {
    Q_OBJECT
public:
    // outputs: the print report and the audio information window this window opens; the caller
    // keeps them alive as long as the window. texts: the texts it and the dialogs it makes show.
    explicit TMainForm(show::OutputWindows outputs, QWidget* parent = nullptr,
                       const util::TextTable& texts = util::TextTable::instance());
    ~TMainForm() override;

    // The windows of the run this window opens that the start-up makes after it, handed over as
    // each is made. Without one of its dialogs, the colour dialog or the viewer the window makes
    // its own when it needs one; without the gallery or the video wizard their make targets do
    // nothing.
    struct RunWindows {
        QPointer<TOpenForm> openForm;
        QPointer<TNewForm> newForm;
        QPointer<TAboutBox> aboutBox;
        QPointer<TTipForm> tipForm;
        QPointer<TNoDriverForm> noDriverForm;
        QPointer<TMakeWizzard> makeWizard;
        QPointer<TExportForm> exportForm;
        QPointer<TAnweisungForm> instructions;
        QPointer<TPrintSizeWizard> printSizeWizard;
        QPointer<TPrintSelectForm> printSelectForm;
        QPointer<TPixEffectsForm> colourDialog;
        QPointer<TFullsizeForm> viewer;
        QPointer<QDialog> gallery;
        QPointer<QDialog> videoWizard;
    };
    RunWindows runWindows;

    // ---- the current show context ----
    QString ProgramDir;
    QString DriveLetter;
    QString ShowRoot;
    QString ShowFolder;        // bare folder name, no backslash
    QString ShowTitle;
    QString SecondsPerPicture;
    QString SelectedPicture;
    int FrameRate = 25;
    int TransitionFrames = 12;
    QString VideoFolder;
    QString EncoderFolder;
    QString CdFolder;
    QString ScreensaverFolder;
    QString DocumentsFolder;
    QString SourceFolder;
    platform::ColorRef BKGColor = 0;
    platform::ColorRef TextColor = 16777215; // white until the settings are read
    int TextOffset = 0;
    int Effect = 1;
    QStringList EffectList;
    int UndoDepth = 0;
    int PrintWidth = 0;
    bool PrintCaptions = false;
    bool PrintAll = true;
    int ProgressDone = 0;
    int ProgressTotal = 0;
    bool MusicTabVisited = false; // the music page was selected and not yet left

    // ---- components ----
    QWidget* SelectVariablesPanel;
    QLabel* ProgrammBildImage;
    QPushButton* BeispielBitBtn;
    QPushButton* NewBitBtn;
    QPushButton* Open1BitBtn;
    QPushButton* Delete1BitBtn;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;

    // pictures page
    QLabel* Label1;
    QPushButton* OpenBitBtn;
    controls::THTMListBox* FileListBox;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QLabel* Label5;
    QLineEdit* TitleEdit;
    QLabel* QuorbelLabel;
    controls::THTMListBox* QuorbelListBox;
    imaging::TPixImage* PixImage2;
    imaging::TPixImage* PixImage3;
    QToolButton* SpeedButton5;
    QToolButton* SpeedButton6;
    QToolButton* SpeedButton7;
    QToolButton* SpeedButton9;
    QToolButton* SpeedButton10;
    QPushButton* FarbeBitBtn;
    QPushButton* RGBBitBtn;
    QPushButton* BildbearbeitungBitBtn;
    QPushButton* UndoBitBtn;
    QPushButton* PrintBitBtn;
    QPushButton* HelpBitBtn;
    QMenu* PopupMenu1;
    QAction* PrintAll1;
    QAction* PrintSelected1;
    QLabel* TextLabel;
    QLineEdit* TextEdit;
    TvelDrawImage* Art;
    QLabel* TempImage;
    imaging::TPixTwain* PixTwain1;

    // music page
    QLabel* Label14;
    QGroupBox* GroupBox2;
    QListWidget* AudioListBox;
    QPushButton* OpenAudioBitBtn;
    QPushButton* StartRipperBitBtn;
    QPushButton* InfoBitBtn;
    QPushButton* DeleteAudioBitBtn;
    QGroupBox* GroupBox6;
    QPushButton* PlayBitBtn;
    QPushButton* PauseBitBtn;
    QPushButton* StopBitBtn;
    platform::MediaPlayer* MediaPlayer1;
    platform::FileDialogRequest AudioOpenDialog;
    int AudioDragIndex = -1;   // row under the mouse when a button went down in the list
    int AudioDropIndex = -1;   // row under the last drop point

    // settings page
    QLabel* Label16;
    QGroupBox* GroupBox3;
    QLabel* Label8;
    QLineEdit* SecEdit;
    QLabel* Label7;
    QGroupBox* GroupBox4;
    QCheckBox* EndlessPlayCheckBox;
    QCheckBox* FullscreenCheckBox;
    QCheckBox* ManuellCheckBox;
    QCheckBox* TextCheckBox;
    QCheckBox* PictureNameCheckBox;
    QCheckBox* TipsCheckBox;
    QPushButton* TextcolorButton;
    QFrame* TextColorPanel;
    QPushButton* BKGColorButton;
    QFrame* BKGColorPanel;
    QGroupBox* GroupBox7;
    QLabel* TextOffsetLabel;
    QSpinBox* SpinEdit2;
    QGroupBox* GroupBox5;
    QRadioButton* OFFRadioButton;
    QRadioButton* ONRadioButton;
    QRadioButton* RNDRadioButton;
    QWidget* EffectPanel;
    QLabel* Label27;
    QSpinBox* SpinEdit1;
    QPushButton* ShowAgainButton;
    imaging::TPixImage* PixImage1;
    QGroupBox* GroupBox1;
    QComboBox* DriveComboBox1;
    QPushButton* PathButton;

    // make page
    QLabel* ProgrammBild2Image;

    QProgressBar* PicProgressBar;
    QStatusBar* StatusBar1;
    QTimer* Timer1;
    QTimer* Timer2;
    platform::FileDialogRequest OpenPictureDialog1;

    // menus
    QMenu* Quorbel1;
    QAction* OpenQuorbel1;
    QAction* NewQuorbel1;
    QAction* DeleteQuorbel1;
    QAction* Programmbeenden1;
    QMenu* ScannenDigitalkamera1;
    QAction* Treiberauswhlen1;
    QAction* Einlesenstarten1;
    QMenu* Hilfe1;
    QAction* Hilfedatei1;
    QAction* Update1;
    QAction* Info1;
    QMenu* Language1;
    QList<QAction*> LanguageItems; // Deutsch1, English1, France1, Italian1, Spain1
    controls::TXPMenu* XPMenu1; // draws the menu bar and the popup menus flat

    // ---- creation and closing ----
    void FormCreate();
    void FormClose();
    // The shell link to the player on the desktop: a freedesktop launcher at linkFile that starts
    // target in target's folder, named and described by description. False when it was not written.
    static bool CreateShellLink(const QString& target, const QString& linkFile, const QString& description);

    bool IsWindowsVersion6OrLater() const;

    // ---- help ----
    void Hilfedatei1Click();
    void HelpBitBtnClick();
    void Info1Click();
    void Update1Click();
    void Deutsch1Click(QAction* item);
    void Programmbeenden1Click();

    // ---- shows ----
    QString NextShowFolderName() const;
    void OpenShow(const QString& folderName);
    // Writes "Pictures.ini" from the show list; false when the file could not be written.
    bool SavePictureList();
    void NewQuorbel1Click();
    void OpenQuorbel1Click();
    void DeleteQuorbel1Click();
    void BeispielBitBtnClick();
    void TitleEditChange();
    void SecEditChange();
    void SecEditExit();
    // The current show's folder with trailing backslash.
    QString ShowFolderPath() const;
    // The show as the output windows read it, filled from the members and fields above.
    show::ShowContext CurrentShow() const;
    // What the output windows are made with to call this window back: the show as a value, the
    // picture list's save, the instructions dialog. It lives as long as this window.
    show::ShowHost& showHost();
    // The texts this window and the dialogs it makes show.
    const util::TextTable& texts() const { return texts_; }
    // Shows the instructions dialog made at start-up (or one of this window's own) modally,
    // prepared with i; its result.
    int ShowInstructionsDialog(const editor::Instructions& i);

    // ---- settings ----
    void LoadGeneratorSettings();
    void SaveGeneratorSettings();
    // False when the show was not written (no title, no pictures, a file that cannot be written)
    // or, with startPlayer, when the player could not be started.
    bool SaveShow(bool startPlayer);
    void DriveComboBox1Change();
    void FullscreenCheckBoxClick();
    void OFFRadioButtonClick();
    // ---- transition preview ----
    // Plays transition n of EffectList on PixImage1.
    void ShowEffectPreview(int n);
    void SpinEdit1Change();
    void ShowAgainButtonClick();
    void TipsCheckBoxClick();
    void PathButtonClick();
    void BKGColorButtonClick();
    void TextcolorButtonClick();
    // The settings as the controls and fields hold them now.
    editor::EditorSettings CurrentSettings() const;

    // ---- make step ----
    void PageControl1Change();
    // Selects the first step page as the program's own change: the page-change handler, which
    // answers the user's changes, does not run.
    void SelectFirstPage();
    // The print menu on an empty show: page 1 and text 10010.
    void selectPrintEmptyShowPage();
    // False when nothing was made (the export dialog was cancelled) or something failed (shown).
    bool ExportToCdFolder();
    bool InstallScreensaver();
    // ---- picture lists, thumbnails, undo and picture edits ----
    bool DragFromSource = false;
    int DragIndex = -1;
    int RememberedIndex = -1;
    int SavedScrollPos = 1;
    QString ClickedItemName;
    QString LastPreviewFile;
    bool MultiSelectKey = false;
    QStringList DropNames;
    bool DragInProgress = false;

    // False when the show's folder is gone from disk (deleted while the show was open): nothing
    // is recreated and no further picture should be tried.
    bool AddPictureToShow(const QString& source, int index);
    // False when the picture's file could not be deleted: the item then stays, and the reason
    // is added to failures ("path: reason").
    bool RemovePicture(int index, QStringList* failures = nullptr);
    QString UniquePictureName(const QString& path) const;
    void FillSourceList();
    void SelectedPicturePath();
    void SelectShowItem(int index);
    void PreviewPicture(const QString& file, bool inShowFolder, bool force);
    void DeleteFiles(const QString& mask);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void FileListBoxClick();
    void FileListBoxDragOver(QObject* source, int x, int y, bool& accept);
    void QuorbelListBoxMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void QuorbelListBoxDragOver(QObject* source, int x, int y, bool& accept);
    void QuorbelListBoxDragDrop(QObject* source, int x, int y);
    void QuorbelListBoxKeyDown(int& key, Qt::KeyboardModifiers shift);
    void QuorbelListBoxKeyUp(int& key, Qt::KeyboardModifiers shift);

    bool MakeThumbnail(const QString& picture, int height, bool force, bool cache);
    void RefreshThumbnail();
    bool PushUndo();
    // Drops the undo copy just pushed: the write it was taken for failed.
    void DiscardUndo();
    void UndoBitBtnClick();
    void ClearUndo();

    void TransformPicture(const QString& operation);
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton9Click();
    void SpeedButton10Click();
    void QuorbelListBoxClick();
    void TextEditChange();
    void Timer1Timer();
    void Timer2Timer();
    void FileListBoxDblClick();
    void QuorbelListBoxEndDrag(QObject* target, int x, int y);
    void EnableEditButtons();
    void DisableEditButtons();
    void PrintBitBtnClick();   // the print menu at the mouse; an empty show says so instead
    void PrintAll1Click();
    void PrintSelected1Click();
    // The print sequence: printer check, size, selection (unless all are printed), preview.
    void PrintPictures();
    // The name of the printer a print goes to; "" when there is none.
    QString CurrentPrinterName() const;
    void DeleteStaleThumbnails();
    void DeleteConvertedCopies(const QString& folder);
    void OpenBitBtnClick();
    void SpinEdit2Change();

    // ---- paint effects, colour dialog and full-size editor ----
    // The selected picture, 199 pixels wide, into Art for the effects dialog's preview.
    bool PrepareArtPreview();
    // The selected picture at full size into Art; false (reported) when it cannot be read.
    bool LoadPictureIntoArt();
    // Art's range bitmap as JPEG quality 80 over the selected picture, then a fresh thumbnail;
    // false (reported) when the picture could not be written.
    bool SaveArtToPicture();
    void FarbeBitBtnClick();
    void ShowPaintEffects();
    void RGBBitBtnClick();
    void BildbearbeitungBitBtnClick();
    void PixImage2Click();
    // Makes `picture` the selected show picture again, as a click on its item does, when another
    // is selected; false (reported) when it is no longer a picture of the show.
    bool ReselectPicture(const QString& picture);

    void FormResize();

    // ---- scanner menu ----
    void Treiberauswhlen1Click();
    void Einlesenstarten1Click();

    // ---- music page ----
    void LoadAudioList();
    void RenumberAudioFiles();
    void OpenAudioBitBtnClick();
    void DeleteAudioBitBtnClick();
    void AudioListBoxClick();
    void AudioListBoxDblClick();
    void InfoBitBtnClick();
    void PlayBitBtnClick();
    void PauseBitBtnClick();
    void StopBitBtnClick();
    void StartRipperBitBtnClick();
    // Positions are in the list's viewport.
    void AudioListBoxMouseDown(const QPoint& position);
    bool AudioListBoxDragOver(const QObject* source) const;
    void AudioListBoxDragDrop(const QPoint& position);

    // ---- programs run and waited for ----
    void RunAndWait(const QString& folder, const QString& file, const QString& parameters);
    void StartCdRipper();
    // Returns once no CD ripper runs; switching shows and renumbering wait here.
    void WaitForCdRipper();

    // The dialogs of the run (those made at start-up, or the window's own when there are none).
    TOpenForm& openForm();
    TNewForm& newForm();
    TAboutBox& aboutBox();
    TTipForm& tipForm();
    TPrintSizeWizard& printSizeWizard();
    TPrintSelectForm& printSelectForm();
    // What the print selection offers now: the show's items, this window's caption, the program
    // directory.
    PrintSelectionOffer printSelectionOffer() const;
    show::PrintWindows& printWindows() const;
    show::AudioWindows& audioWindows() const;
    QWidget& checkAudioForm();
    TNoDriverForm& noDriverForm();
    TFullsizeForm& fullsizeForm();
    // The viewer fullsizeForm() gives, or null while this window has made none.
    TFullsizeForm* openedViewer() const;
    // The make wizard this window shows (the start-up's or its own), or null before the first.
    TMakeWizzard* makeWizard() const;

signals:
    // A print of the show's pictures was asked for (PrintAll says which); the print sequence answers it.
    void PrintPicturesRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Which of the two preview pictures the next change shows.
    bool PreviewFlip = false;
    void buildStartPanel();
    void buildPicturesPage();
    void buildPictureLists(QWidget* page);
    void buildPicturePreview(QWidget* page);
    void layOutPicturesPage(QWidget* page);
    void buildMusicPage();
    void buildSettingsPage();
    void buildTimeGroup(QWidget* page);
    void buildPlayGroup(QWidget* page);
    void buildTextOffsetGroup(QWidget* page);
    void buildEffectsGroup(QWidget* page);
    void buildDriveGroup(QWidget* page);
    void layOutSettingsPage(QWidget* page);
    void buildMakePage();
    void buildMenus();
    void connectHandlers();
    void connectMakeHandlers();
    void runMakeStep();
    void connectMusicPage();
    int lastSelectedAudioRow() const;
    void showAudioTracks();
    void setCaptions();
    void prepareShowRoot();
    void showEditor();
    void updateQuorbelLabel();
    void setMainCaption();
    void showTipsUnlessSwitchedOff();
    void setColorPanel(QFrame* panel, platform::ColorRef color);
    void selectDriveInBox(const QString& letter);

    void connectPictureHandlers();
    void connectPrintHandlers();
    void connectArtHandlers();
    void connectShowHost();
    void buildScanner();
    editor::ThumbnailMaker& thumbnailMaker();
    // Takes the thumbnail of picture index from a run: the status bar and the progress bar show
    // how far it is, and the window keeps painting (and, with userInput, answering) while the
    // workers make it. False when the run was cancelled.
    bool takeThumbnail(editor::ThumbnailRun& run, int index, bool userInput);
    // Makes the missing thumbnails of pictures, listed already in list (picture i in row
    // rowOf[i]), on worker threads: the rows in sight first, then outward, each row drawn anew
    // as its thumbnail comes. current names the run meanwhile (to cancel it); progress(k) runs
    // before the k-th is taken. tooLarge gets the pictures refused for memory. False when the
    // run was cancelled.
    bool makeListThumbnails(controls::THTMListBox& list, const QStringList& pictures, const std::vector<int>& rowOf,
                            bool cache, bool userInput, editor::ThumbnailRun*& current, QStringList& tooLarge,
                            const std::function<void(int)>& progress);
    // Stops the thumbnails being made for the source list and for a show being opened.
    void cancelThumbnails();
    editor::UndoStack& undoStack();
    bool loadPreview(const QString& path);
    // Hides the preview and lets go of its picture.
    void clearPreview();
    // Turns the selected picture decoded and writes it anew (quality factor 4); false with the
    // image control's error text in failure.
    bool turnDecoded(const QString& operation, QString& failure);
    // The thumbnail half of RefreshThumbnail: a new numbered thumbnail for the selected show
    // picture and its item; false when no show picture is selected. make (when given) writes the
    // thumbnail at its place instead of the thumbnail maker.
    bool refreshThumbnailItem(const std::function<bool(const QString& target)>& make = {});
    // Runs make with the thumbnail progress in the status bar and the hourglass; its result.
    bool showingThumbnailProgress(const std::function<bool()>& make);
    // The preview half, when the preview already holds the selected picture's bitmap.
    void previewHoldsSelectedPicture();
    void noteShowSelection();
    void updateUndoButton();
    bool selectedShowPictureReady();
    // The full path of the show picture in list row `row`.
    QString showPictureAt(int row) const;
    // Writes "Pictures.ini" while the show folder exists (a new show has none before its first picture).
    void savePictureListIfStored();
    // One error box naming the pictures "<" or "<<" could not delete.
    void reportUndeletedPictures(const QStringList& failures);
    // Names the pictures that got no thumbnail because decoding one would take more memory than
    // all thumbnails together may hold.
    void reportTooLargeForThumbnails(const QStringList& pictures);
    // Writes the show's title and seconds into its "Quorbel.ini" when they differ from what is
    // stored there; a show without a folder yet (no picture added) has nothing to write.
    void storeShowInfo();
    // OpenShow for a show whose folder holds its show file: its title, seconds and pictures, the
    // thumbnails made; false when the window closed meanwhile.
    bool openStoredShow(const QString& folderName, const show::ShowInfo& info);

    std::unique_ptr<editor::ThumbnailMaker> thumbnails_;
    // The runs filling the source list and the show list, while they last.
    editor::ThumbnailRun* sourceRun_ = nullptr;
    editor::ThumbnailRun* showRun_ = nullptr;
    qint64 lastPump_ = 0; // when the window last handled its events during a run (ms)
    std::unique_ptr<editor::UndoStack> undo_;
    // The preview holds the selected show picture (not a source picture): the edits may act.
    bool showPictureChosen_ = false;
    // The last write of "Pictures.ini" failed (reported once until a write succeeds again).
    bool listWriteFailed_ = false;
    // The file whose picture the preview holds (empty when it holds none).
    QString previewPath_;
    // While many pictures are added in one go, "Pictures.ini" is written about once a second
    // and once at the end, not after every picture.
    struct ManyAdds;
    bool addingMany_ = false;
    bool listUnsaved_ = false;
    qint64 listSavedAt_ = 0;
    void saveListAfterAdd();
    // The copies converted from other picture formats that this run wrote into source folders
    // (full paths): the only files the clean-up of a source folder deletes. Nothing converts yet.
    QStringList convertedCopies_;
    bool infoWriteFailed_ = false;
    // The show folder whose title and seconds the fields hold; empty while a show is being
    // switched or when the fields belong to no show folder.
    QString fieldsShowFolder_;
    bool showFolderOnDisk_ = false; // the current show's folder was there (opened, or made by an add)
    QString storedDrive_; // the Drive setting written back at closing
    std::unique_ptr<TOpenForm> ownOpenForm_;
    std::unique_ptr<TNewForm> ownNewForm_;
    std::unique_ptr<TAboutBox> ownAboutBox_;
    std::unique_ptr<TTipForm> ownTipForm_;
    std::shared_ptr<MainFormEditHost> editHost_; // what the picture editors call back (mainform_art.cpp)
    std::shared_ptr<MainFormShowHost> showHost_; // what the output windows call back (mainform_showhost.cpp)
    bool closed_ = false;

    std::unique_ptr<editor::MusicList> music_;
    editor::CdRipperRun* ripper_ = nullptr;            // child of the window
    QWidget* ownCheckAudioForm_ = nullptr;             // child of the window, made when needed
    TFullsizeForm* ownViewer_ = nullptr;               // child of the window, made when needed
    TPrintSizeWizard* ownPrintSizeWizard_ = nullptr;   // child of the window, made when needed
    TPrintSelectForm* ownPrintSelectForm_ = nullptr;   // child of the window, made when needed
    TMakeWizzard* ownMakeWizard_ = nullptr;            // child of the window, made when needed
    TExportForm* ownExportForm_ = nullptr;             // child of the window, made when needed
    TAnweisungForm* ownInstructions_ = nullptr;        // child of the window, made when needed
    QPointer<TMakeWizzard> makeWizard_;                // the one shown last
    show::OutputWindows outputs_;
    const util::TextTable& texts_;
    TNoDriverForm* ownNoDriverForm_ = nullptr;
};
