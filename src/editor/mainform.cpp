// The main window's creation, closing, captions and help.
#include "mainform.h"

#include "aboutbox.h"
#include "newform.h"
#include "openform.h"
#include "pictures.h"
#include "programrunner.h"
#include "tipform.h"

#include "controls/htmlistbox.h"
#include "imaging/piximage.h"
#include "show/effectlist.h"
#include "show/showfiles.h"

#include "app/language.h"
#include "controls/htmlistbox.h"
#include "app/language_menu.h"
#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "util/strutils.h"
#include "util/windowsinfo.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

namespace {

// Hints come at once and stay ten seconds.
class HintTimingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* data) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay) return 0;
        if (hint == SH_ToolTip_FallAsleepDelay) return 10000;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

void setHintPauses()
{
    if (dynamic_cast<HintTimingStyle*>(QApplication::style())) return;
    QApplication::setStyle(new HintTimingStyle(QStyleFactory::create(QApplication::style()->name())));
}

} // namespace

bool TMainForm::IsWindowsVersion6OrLater() const { return ::IsWindowsVersion6OrLater(); }

TMainForm::~TMainForm()
{
    cancelThumbnails();
    // The dialogs this window made for itself go first; they may look at the window.
    ownTipForm_.reset();
    ownAboutBox_.reset();
    ownNewForm_.reset();
    ownOpenForm_.reset();
}

TOpenForm& TMainForm::openForm()
{
    TOpenForm* f = runWindows.openForm;
    if (!f) {
        if (!ownOpenForm_) ownOpenForm_ = std::make_unique<TOpenForm>(nullptr, texts_);
        f = ownOpenForm_.get();
    }
    f->ShowRoot = ShowRoot;
    connect(f, &TOpenForm::FirstPageWanted, this, &TMainForm::SelectFirstPage, Qt::UniqueConnection);
    return *f;
}

TNewForm& TMainForm::newForm()
{
    if (TNewForm* f = runWindows.newForm) return *f;
    if (!ownNewForm_) ownNewForm_ = std::make_unique<TNewForm>(nullptr, texts_);
    return *ownNewForm_;
}

TAboutBox& TMainForm::aboutBox()
{
    if (TAboutBox* f = runWindows.aboutBox) return *f;
    if (!ownAboutBox_) ownAboutBox_ = std::make_unique<TAboutBox>(nullptr, texts_);
    return *ownAboutBox_;
}

TTipForm& TMainForm::tipForm()
{
    if (TTipForm* f = runWindows.tipForm) return *f;
    if (!ownTipForm_) ownTipForm_ = std::make_unique<TTipForm>(nullptr, texts_);
    return *ownTipForm_;
}

void TMainForm::connectHandlers()
{
    connect(BeispielBitBtn, &QPushButton::clicked, this, &TMainForm::BeispielBitBtnClick);
    connect(NewBitBtn, &QPushButton::clicked, this, &TMainForm::NewQuorbel1Click);
    connect(Open1BitBtn, &QPushButton::clicked, this, &TMainForm::OpenQuorbel1Click);
    connect(Delete1BitBtn, &QPushButton::clicked, this, &TMainForm::DeleteQuorbel1Click);
    connect(NewQuorbel1, &QAction::triggered, this, &TMainForm::NewQuorbel1Click);
    connect(OpenQuorbel1, &QAction::triggered, this, &TMainForm::OpenQuorbel1Click);
    connect(DeleteQuorbel1, &QAction::triggered, this, &TMainForm::DeleteQuorbel1Click);
    connect(Programmbeenden1, &QAction::triggered, this, &TMainForm::Programmbeenden1Click);
    connect(Hilfedatei1, &QAction::triggered, this, &TMainForm::Hilfedatei1Click);
    connect(HelpBitBtn, &QPushButton::clicked, this, &TMainForm::HelpBitBtnClick);
    connect(Info1, &QAction::triggered, this, &TMainForm::Info1Click);
    connect(Update1, &QAction::triggered, this, &TMainForm::Update1Click);
    for (QAction* item : LanguageItems) connect(item, &QAction::triggered, this, [this, item] { Deutsch1Click(item); });

    connect(TitleEdit, &QLineEdit::textChanged, this, &TMainForm::TitleEditChange);
    connect(SecEdit, &QLineEdit::textChanged, this, &TMainForm::SecEditChange);
    connect(SecEdit, &QLineEdit::editingFinished, this, &TMainForm::SecEditExit);
    connect(TitleEdit, &QLineEdit::editingFinished, this, &TMainForm::storeShowInfo);

    connect(FullscreenCheckBox, &QCheckBox::clicked, this, &TMainForm::FullscreenCheckBoxClick);
    for (QRadioButton* b : {OFFRadioButton, ONRadioButton, RNDRadioButton})
        connect(b, &QRadioButton::clicked, this, &TMainForm::OFFRadioButtonClick);
    connect(TipsCheckBox, &QCheckBox::clicked, this, &TMainForm::TipsCheckBoxClick);
    connect(DriveComboBox1, &QComboBox::activated, this, &TMainForm::DriveComboBox1Change);
    connect(PathButton, &QPushButton::clicked, this, &TMainForm::PathButtonClick);
    connect(BKGColorButton, &QPushButton::clicked, this, &TMainForm::BKGColorButtonClick);
    connect(TextcolorButton, &QPushButton::clicked, this, &TMainForm::TextcolorButtonClick);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TMainForm::SpinEdit1Change);
    connect(ShowAgainButton, &QPushButton::clicked, this, &TMainForm::ShowAgainButtonClick);
    connect(SpinEdit2, &QSpinBox::valueChanged, this, &TMainForm::SpinEdit2Change);
    connectMakeHandlers();
    connectPictureHandlers();
    connectPrintHandlers();
    connectMusicPage();
}

void TMainForm::setCaptions()
{
    struct Caption {
        QObject* component;
        int number;
    };
    const Caption captions[] = {
        {BeispielBitBtn, 518}, {NewBitBtn, 519}, {Open1BitBtn, 520}, {Delete1BitBtn, 521},
        {Quorbel1, 522}, {ScannenDigitalkamera1, 523}, {Hilfe1, 524}, {OpenQuorbel1, 525}, {NewQuorbel1, 526},
        {DeleteQuorbel1, 527}, {Programmbeenden1, 528}, {Treiberauswhlen1, 529}, {Einlesenstarten1, 530},
        {Hilfedatei1, 531}, {Update1, 533}, {Info1, 534},
        {OpenBitBtn, 591}, {Label1, 590}, {QuorbelLabel, 592}, {Label5, 593}, {TextLabel, 596},
        {FarbeBitBtn, 597}, {RGBBitBtn, 598}, {BildbearbeitungBitBtn, 599}, {UndoBitBtn, 600}, {PrintBitBtn, 601},
        {HelpBitBtn, 602}, {PrintAll1, 612}, {PrintSelected1, 613},
        {Label14, 1001}, {GroupBox2, 1002}, {OpenAudioBitBtn, 1003}, {StartRipperBitBtn, 1004}, {InfoBitBtn, 1005},
        {DeleteAudioBitBtn, 1006}, {GroupBox6, 1007}, {PlayBitBtn, 1008}, {PauseBitBtn, 1009}, {StopBitBtn, 1010},
        {Label16, 1100}, {GroupBox3, 1101}, {Label8, 1102}, {Label7, 1103}, {GroupBox4, 1104},
        {EndlessPlayCheckBox, 1105}, {FullscreenCheckBox, 1106}, {ManuellCheckBox, 1107}, {TextCheckBox, 1108},
        {PictureNameCheckBox, 1109}, {TipsCheckBox, 1110}, {TextcolorButton, 1111}, {BKGColorButton, 1112},
        {GroupBox7, 1113}, {TextOffsetLabel, 1114}, {GroupBox5, 1115}, {OFFRadioButton, 1116}, {ONRadioButton, 1117},
        {RNDRadioButton, 1118}, {Label27, 1119}, {ShowAgainButton, 1120}, {GroupBox1, 1121}, {PathButton, 1122},
    };
    for (const Caption& c : captions) {
        const QString text = texts_.text(c.number);
        if (auto* a = qobject_cast<QAction*>(c.component)) a->setText(text);
        else if (auto* m = qobject_cast<QMenu*>(c.component)) m->setTitle(text);
        else if (auto* l = qobject_cast<QLabel*>(c.component)) l->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(c.component)) g->setTitle(text);
        else if (auto* b = qobject_cast<QAbstractButton*>(c.component)) b->setText(text);
    }
    for (int i = 0; i < 4; ++i) PageControl1->setTabText(i, texts_.text(585 + i));
    OpenBitBtn->setToolTip(texts_.text(589));
    const std::pair<QWidget*, int> hints[] = {
        {SpeedButton6, 603}, {SpeedButton5, 604}, {SpeedButton7, 605}, {SpeedButton9, 606}, {SpeedButton10, 607},
        {SpeedButton1, 608}, {SpeedButton2, 609}, {SpeedButton3, 610}, {SpeedButton4, 611}, {AudioListBox, 1011},
    };
    for (const auto& [w, n] : hints) w->setToolTip(texts_.text(n));
}

void TMainForm::FormCreate()
{
    // 1. captions and hints
    setCaptions();
    // 2. video figures, first page, menus of a show disabled until one is open
    FrameRate = 25;
    TransitionFrames = 12;
    PageControl1->setCurrentIndex(0);
    setHintPauses();
    Quorbel1->setEnabled(false);
    ScannenDigitalkamera1->setEnabled(false);
    // 3. program directory and program pictures
    ProgramDir = EnsureTrailingBackslash(PathWithoutName(GetModulePath()));
    const QPixmap picture = editor::LoadWindowPicture(ProgramDir + QStringLiteral("recom\\") + ProductInfo.MainPicture);
    ProgrammBildImage->setPixmap(picture);
    ProgrammBild2Image->setPixmap(picture);
    // 4. transition list
    EffectList = show::ReadEffectList(ProgramDir + QStringLiteral("Effects.ini"));
    SpinEdit1->setMaximum(std::max(1, show::EffectCount(EffectList)));
    // 5. editor settings
    LoadGeneratorSettings();
    // 6. folders of the run and the show root
    prepareShowRoot();
    editor::StageCdDriverMarker(WindowsInfo().SystemRoot);
    // 7. language menu
    const int tag = LanguageMenuTag(LanguageCode);
    for (QAction* item : LanguageItems) item->setChecked(item->data().toInt() == tag);
    // 8. caption and colour panels
    setWindowTitle(ProductInfo.Title);
    setColorPanel(BKGColorPanel, BKGColor);
    setColorPanel(TextColorPanel, TextColor);
    // 9. documents folder
    DocumentsFolder = EnsureTrailingBackslash(WindowsInfo().Personal);
    // 10. the show list's rows are as high as its thumbnails
    QuorbelListBox->setItemHeight(70);
    // 11. the whole screen
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        setGeometry(0, 0, s.width(), s.height() - 27);
    }
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::prepareShowRoot()
{
    const QString desktop = WindowsInfo().Desktop;
    const QString personal = WindowsInfo().Personal;
    auto derive = [&] {
        const editor::RunFolders f = editor::DeriveRunFolders(DriveLetter, LanguageCode, personal);
        ShowRoot = f.showRoot;
        VideoFolder = f.videoFolder;
        CdFolder = f.cdFolder;
        EncoderFolder = f.encoderFolder;
        ScreensaverFolder = f.screensaverFolder;
        return f;
    };
    PicProgressBar->setVisible(false);
    editor::ShowRootStaging staging(ProgramDir, LanguageCode, derive());
    QString failed = staging.PrepareFolders();
    if (!failed.isEmpty() && DriveLetter != QString(editor::DefaultDrive)) {
        // The chosen drive cannot hold the shows (absent, read-only): run on the default drive;
        // the stored choice stays until the user applies another drive.
        platform::showError(QStringLiteral("Unable to create the folder ") + failed);
        DriveLetter = QString(editor::DefaultDrive);
        selectDriveInBox(DriveLetter);
        staging = editor::ShowRootStaging(ProgramDir, LanguageCode, derive());
        failed = staging.PrepareFolders();
    }
    if (!failed.isEmpty()) {
        platform::showError(QStringLiteral("Unable to create the folder ") + failed);
        return;
    }
    // What a save cut short by a kill left behind in the folders this program writes into.
    QStringList leftovers;
    for (const QString& folder : {ProgramDir, ProgramDir + QStringLiteral("thumbs\\"), ShowRoot})
        leftovers += platform::removeLeftoverTemporaries(folder);
    if (!leftovers.isEmpty())
        platform::showError(QStringLiteral("Unable to remove these unfinished files: ") + leftovers.join(QStringLiteral(", ")));
    staging.RefreshEveryRun();
    // Whether the launcher was made is in Unwritten() as well, with every other file not staged.
    (void)staging.WriteDesktopShortcut(desktop, DriveLetter, &TMainForm::CreateShellLink);
    if (!staging.Unwritten().isEmpty())
        platform::showError(HeadedList(QStringLiteral("Unable to write these files:"), staging.Unwritten()));
}

bool TMainForm::CreateShellLink(const QString& target, const QString& linkFile, const QString& description)
{
    return platform::writeDesktopLauncher(linkFile, description, target, PathWithoutName(target), description);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMainForm::FormResize() { repaint(); }

void TMainForm::FormClose()
{
    if (closed_) return;
    closed_ = true;
    cancelThumbnails();
    // 1. undo files and the transition list
    ClearUndo();
    EffectList.clear();
    // 2. editor settings, and the show's title and seconds if they were edited since
    SaveGeneratorSettings();
    storeShowInfo();
    // 3. out of sight
    hide();
    // 4. the format-conversion copies of the last source folder
    if (!OpenPictureDialog1.fileName.isEmpty()) DeleteConvertedCopies(PathWithoutName(OpenPictureDialog1.fileName));
    // 5. the work files of the program directory
    for (const auto& e : platform::findFiles(ProgramDir, QStringLiteral("*.*"))) {
        if (e.attributes & platform::faDirectory) continue;
        const QString upper = e.name.toUpper();
        // A work file that cannot be deleted is overwritten by the next run: nothing to report.
        if (upper == QLatin1String("TEMP.JPG") || upper == QLatin1String("PREV.JPG") || upper == QLatin1String("PRINT.TXT"))
            (void)platform::deleteFile(ProgramDir + e.name, ProgramDir);
    }
    // 6. the program ends with its main window
    QCoreApplication::quit();
}

void TMainForm::Hilfedatei1Click()
{
    const QString help = ProgramDir + ProductInfo.HelpFolder + ProductInfo.HelpFile;
    // The opener's answer counts too: one that finds no browser fails after it has started.
    if (platform::shellOpenAndCheck(help)) return;
    const QString host = platform::toHostPath(help);
    const QString where = platform::isRegularFile(help) ? QStringLiteral("The help could not be opened. It is the file ") + host
                                                        : QStringLiteral("The help could not be opened: the file is missing: ") + host;
    platform::showInformation(
        QStringLiteral("Unable to start internet browser! Make sure you have it properly set-up on your system!\n") + where);
}

void TMainForm::HelpBitBtnClick() { Hilfedatei1Click(); }

void TMainForm::Info1Click() { platform::dialogs().showModal(aboutBox()); }

void TMainForm::Update1Click() { aboutBox().UpdateButtonClick(); }

void TMainForm::Deutsch1Click(QAction* item) { LanguageMenuClick(item->data().toInt()); }

void TMainForm::Programmbeenden1Click() { close(); }
