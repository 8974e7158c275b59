// The main window's components and their places. The handlers live in the files by concern.
#include "mainform.h"

#include "aboutbox.h"
#include "newform.h"
#include "openform.h"
#include "tipform.h"

#include "app/language_menu.h"
#include "controls/htmlistbox.h"
#include "controls/menupainter.h"
#include "effects/ui/veldrawimage.h"
#include "imaging/piximage.h"
#include "platform/media.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename T>
T* named(QWidget* parent, const char* name)
{
    auto* w = new T(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

QAction* namedAction(QMenu* menu, const char* name)
{
    auto* a = menu->addAction(QString());
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

void TMainForm::buildStartPanel()
{
    SelectVariablesPanel = named<QWidget>(nullptr, "SelectVariablesPanel");
    SelectVariablesPanel->setAutoFillBackground(true);
    QPalette white = SelectVariablesPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    SelectVariablesPanel->setPalette(white);
    ProgrammBildImage = named<QLabel>(SelectVariablesPanel, "ProgrammBildImage");
    ProgrammBildImage->setAlignment(Qt::AlignCenter);
    BeispielBitBtn = named<QPushButton>(SelectVariablesPanel, "BeispielBitBtn");
    NewBitBtn = named<QPushButton>(SelectVariablesPanel, "NewBitBtn");
    Open1BitBtn = named<QPushButton>(SelectVariablesPanel, "Open1BitBtn");
    Delete1BitBtn = named<QPushButton>(SelectVariablesPanel, "Delete1BitBtn");
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {BeispielBitBtn, NewBitBtn, Open1BitBtn, Delete1BitBtn}) {
        b->setMinimumSize(260, 56);
        QFont f = b->font();
        f.setPointSize(f.pointSize() + 4);
        f.setBold(true);
        b->setFont(f);
        buttons->addWidget(b);
        buttons->addSpacing(12);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(SelectVariablesPanel);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->addWidget(ProgrammBildImage, 1);
    layout->addSpacing(40);
    layout->addLayout(buttons);
}

void TMainForm::buildPicturesPage()
{
    QWidget* page = TabSheet1;
    buildPictureLists(page);
    buildPicturePreview(page);
    layOutPicturesPage(page);
}

// The folder's pictures, the arrows that move them and the show's list.
void TMainForm::buildPictureLists(QWidget* page)
{
    Label1 = named<QLabel>(page, "Label1");
    OpenBitBtn = named<QPushButton>(page, "OpenBitBtn");
    FileListBox = named<controls::THTMListBox>(page, "FileListBox");
    FileListBox->setMultiSelect(true);
    FileListBox->setSorted(true);
    FileListBox->setIncrLookup(true);
    FileListBox->setItemHeight(150);

    SpeedButton1 = named<QToolButton>(page, "SpeedButton1");
    SpeedButton2 = named<QToolButton>(page, "SpeedButton2");
    SpeedButton3 = named<QToolButton>(page, "SpeedButton3");
    SpeedButton4 = named<QToolButton>(page, "SpeedButton4");
    const char* arrows[] = {">", ">>", "<", "<<"};
    QToolButton* moves[] = {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4};
    for (int i = 0; i < 4; ++i) {
        moves[i]->setText(QLatin1String(arrows[i]));
        moves[i]->setMinimumSize(44, 36);
    }

    Label5 = named<QLabel>(page, "Label5");
    TitleEdit = named<QLineEdit>(page, "TitleEdit");
    QuorbelLabel = named<QLabel>(page, "QuorbelLabel");
    QuorbelListBox = named<controls::THTMListBox>(page, "QuorbelListBox");
    QuorbelListBox->setMultiSelect(true);
    QuorbelListBox->setIncrLookup(true);
    QuorbelListBox->setItemHeight(150);
}

// The preview of the picture chosen, the buttons that turn and edit it, its caption.
void TMainForm::buildPicturePreview(QWidget* page)
{
    PixImage2 = named<imaging::TPixImage>(page, "PixImage2");
    PixImage2->setMinimumSize(160, 120);
    PixImage2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    PixImage2->SetPaintSizeMode(imaging::smFit);
    PixImage2->SetCenterImage(true);
    PixImage2->setVisible(false);
    PixImage3 = named<imaging::TPixImage>(page, "PixImage3");
    PixImage3->setFixedSize(105, 89);
    PixImage3->setVisible(false);
    Art = named<TvelDrawImage>(page, "Art");
    Art->setVisible(false);
    TempImage = named<QLabel>(page, "TempImage");
    TempImage->setVisible(false);

    SpeedButton6 = named<QToolButton>(page, "SpeedButton6");
    SpeedButton5 = named<QToolButton>(page, "SpeedButton5");
    SpeedButton7 = named<QToolButton>(page, "SpeedButton7");
    SpeedButton9 = named<QToolButton>(page, "SpeedButton9");
    SpeedButton10 = named<QToolButton>(page, "SpeedButton10");
    const char* turns[] = {"\u21BA", "\u21BB", "180\u00B0", "\u2194", "\u2195"};
    QToolButton* turnButtons[] = {SpeedButton6, SpeedButton5, SpeedButton7, SpeedButton9, SpeedButton10};
    for (int i = 0; i < 5; ++i) {
        turnButtons[i]->setText(QString::fromUtf8(turns[i]));
        turnButtons[i]->setMinimumSize(40, 32);
    }
    FarbeBitBtn = named<QPushButton>(page, "FarbeBitBtn");
    RGBBitBtn = named<QPushButton>(page, "RGBBitBtn");
    BildbearbeitungBitBtn = named<QPushButton>(page, "BildbearbeitungBitBtn");
    UndoBitBtn = named<QPushButton>(page, "UndoBitBtn");
    PrintBitBtn = named<QPushButton>(page, "PrintBitBtn");
    HelpBitBtn = named<QPushButton>(page, "HelpBitBtn");
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PrintAll1 = namedAction(PopupMenu1, "PrintAll1");
    PrintSelected1 = namedAction(PopupMenu1, "PrintSelected1");
    TextLabel = named<QLabel>(page, "TextLabel");
    TextEdit = named<QLineEdit>(page, "TextEdit");
    TextEdit->setMaxLength(58);
    // No picture is selected yet: the edit buttons wait for one.
    for (QWidget* w : std::initializer_list<QWidget*>{SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton9, SpeedButton10,
                                                       FarbeBitBtn, RGBBitBtn, BildbearbeitungBitBtn, UndoBitBtn, PrintBitBtn})
        w->setEnabled(false);
}

void TMainForm::layOutPicturesPage(QWidget* page)
{
    // source | arrows | show list | preview and edits
    auto* source = new QVBoxLayout;
    source->addWidget(Label1);
    source->addWidget(OpenBitBtn);
    source->addWidget(FileListBox, 1);

    auto* arrowsBox = new QVBoxLayout;
    arrowsBox->addStretch();
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4}) arrowsBox->addWidget(b);
    arrowsBox->addStretch();

    auto* show = new QVBoxLayout;
    show->addWidget(Label5);
    show->addWidget(TitleEdit);
    show->addWidget(QuorbelLabel);
    show->addWidget(QuorbelListBox, 1);

    auto* turnsRow = new QHBoxLayout;
    for (QToolButton* b : {SpeedButton6, SpeedButton5, SpeedButton7, SpeedButton9, SpeedButton10}) turnsRow->addWidget(b);
    turnsRow->addStretch();
    auto* editGrid = new QGridLayout;
    editGrid->addWidget(FarbeBitBtn, 0, 0);
    editGrid->addWidget(RGBBitBtn, 0, 1);
    editGrid->addWidget(BildbearbeitungBitBtn, 1, 0);
    editGrid->addWidget(UndoBitBtn, 1, 1);
    editGrid->addWidget(PrintBitBtn, 2, 0);
    editGrid->addWidget(HelpBitBtn, 2, 1);
    auto* preview = new QVBoxLayout;
    preview->addWidget(PixImage2, 1);
    preview->addStretch(0);
    preview->addLayout(turnsRow);
    preview->addLayout(editGrid);
    preview->addWidget(TextLabel);
    preview->addWidget(TextEdit);

    auto* layout = new QHBoxLayout(page);
    layout->addLayout(source, 3);
    layout->addLayout(arrowsBox);
    layout->addLayout(show, 4);
    layout->addSpacing(8);
    layout->addLayout(preview, 4);
}

void TMainForm::buildMusicPage()
{
    QWidget* page = TabSheet2;
    Label14 = named<QLabel>(page, "Label14");
    QFont heading = Label14->font();
    heading.setPointSize(heading.pointSize() + 4);
    heading.setBold(true);
    Label14->setFont(heading);
    GroupBox2 = named<QGroupBox>(page, "GroupBox2");
    AudioListBox = named<QListWidget>(GroupBox2, "AudioListBox");
    AudioListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    AudioListBox->setDragEnabled(true);
    OpenAudioBitBtn = named<QPushButton>(GroupBox2, "OpenAudioBitBtn");
    StartRipperBitBtn = named<QPushButton>(GroupBox2, "StartRipperBitBtn");
    InfoBitBtn = named<QPushButton>(GroupBox2, "InfoBitBtn");
    DeleteAudioBitBtn = named<QPushButton>(GroupBox2, "DeleteAudioBitBtn");
    auto* trackButtons = new QVBoxLayout;
    for (QPushButton* b : {OpenAudioBitBtn, StartRipperBitBtn, InfoBitBtn, DeleteAudioBitBtn}) trackButtons->addWidget(b);
    trackButtons->addStretch();
    auto* tracks = new QHBoxLayout(GroupBox2);
    tracks->addWidget(AudioListBox, 1);
    tracks->addLayout(trackButtons);

    GroupBox6 = named<QGroupBox>(page, "GroupBox6");
    PlayBitBtn = named<QPushButton>(GroupBox6, "PlayBitBtn");
    PauseBitBtn = named<QPushButton>(GroupBox6, "PauseBitBtn");
    StopBitBtn = named<QPushButton>(GroupBox6, "StopBitBtn");
    MediaPlayer1 = named<platform::MediaPlayer>(GroupBox6, "MediaPlayer1");
    MediaPlayer1->setVisible(false);
    auto* listen = new QHBoxLayout(GroupBox6);
    for (QPushButton* b : {PlayBitBtn, PauseBitBtn, StopBitBtn}) listen->addWidget(b);
    listen->addWidget(MediaPlayer1);
    listen->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label14);
    layout->addWidget(GroupBox2, 1);
    layout->addWidget(GroupBox6);
}

void TMainForm::buildSettingsPage()
{
    QWidget* page = TabSheet3;
    Label16 = named<QLabel>(page, "Label16");
    QFont heading = Label16->font();
    heading.setPointSize(heading.pointSize() + 4);
    heading.setBold(true);
    Label16->setFont(heading);
    buildTimeGroup(page);
    buildPlayGroup(page);
    buildTextOffsetGroup(page);
    buildEffectsGroup(page);
    buildDriveGroup(page);
    layOutSettingsPage(page);
}

// The seconds each picture shows.
void TMainForm::buildTimeGroup(QWidget* page)
{
    GroupBox3 = named<QGroupBox>(page, "GroupBox3");
    Label8 = named<QLabel>(GroupBox3, "Label8");
    SecEdit = named<QLineEdit>(GroupBox3, "SecEdit");
    SecEdit->setMaximumWidth(80);
    Label7 = named<QLabel>(GroupBox3, "Label7");
    auto* time = new QHBoxLayout(GroupBox3);
    time->addWidget(Label8);
    time->addWidget(SecEdit);
    time->addWidget(Label7);
    time->addStretch();
}

// How the show plays: endless, full screen, by hand, with captions, names and tips, in which colours.
void TMainForm::buildPlayGroup(QWidget* page)
{
    GroupBox4 = named<QGroupBox>(page, "GroupBox4");
    EndlessPlayCheckBox = named<QCheckBox>(GroupBox4, "EndlessPlayCheckBox");
    FullscreenCheckBox = named<QCheckBox>(GroupBox4, "FullscreenCheckBox");
    ManuellCheckBox = named<QCheckBox>(GroupBox4, "ManuellCheckBox");
    TextCheckBox = named<QCheckBox>(GroupBox4, "TextCheckBox");
    PictureNameCheckBox = named<QCheckBox>(GroupBox4, "PictureNameCheckBox");
    TipsCheckBox = named<QCheckBox>(GroupBox4, "TipsCheckBox");
    TextcolorButton = named<QPushButton>(GroupBox4, "TextcolorButton");
    BKGColorButton = named<QPushButton>(GroupBox4, "BKGColorButton");
    TextColorPanel = named<QFrame>(GroupBox4, "TextColorPanel");
    BKGColorPanel = named<QFrame>(GroupBox4, "BKGColorPanel");
    for (QFrame* p : {TextColorPanel, BKGColorPanel}) {
        p->setFrameShape(QFrame::Box);
        p->setFixedSize(48, 24);
        p->setAutoFillBackground(true);
    }
    auto* play = new QGridLayout(GroupBox4);
    play->addWidget(EndlessPlayCheckBox, 0, 0, 1, 3);
    play->addWidget(FullscreenCheckBox, 1, 0, 1, 3);
    play->addWidget(ManuellCheckBox, 2, 0, 1, 3);
    play->addWidget(TextCheckBox, 3, 0, 1, 3);
    play->addWidget(PictureNameCheckBox, 4, 0, 1, 3);
    play->addWidget(TextcolorButton, 5, 0);
    play->addWidget(TextColorPanel, 5, 1);
    play->addWidget(BKGColorButton, 6, 0);
    play->addWidget(BKGColorPanel, 6, 1);
    play->addWidget(TipsCheckBox, 7, 0, 1, 3);
    play->setColumnStretch(2, 1);
}

// The caption's offset.
void TMainForm::buildTextOffsetGroup(QWidget* page)
{
    GroupBox7 = named<QGroupBox>(page, "GroupBox7");
    TextOffsetLabel = named<QLabel>(GroupBox7, "TextOffsetLabel");
    SpinEdit2 = named<QSpinBox>(GroupBox7, "SpinEdit2");
    SpinEdit2->setRange(0, 999);
    auto* offset = new QHBoxLayout(GroupBox7);
    offset->addWidget(TextOffsetLabel);
    offset->addWidget(SpinEdit2);
    offset->addStretch();
}

// The transitions: off, one chosen (with its preview) or random.
void TMainForm::buildEffectsGroup(QWidget* page)
{
    GroupBox5 = named<QGroupBox>(page, "GroupBox5");
    OFFRadioButton = named<QRadioButton>(GroupBox5, "OFFRadioButton");
    ONRadioButton = named<QRadioButton>(GroupBox5, "ONRadioButton");
    RNDRadioButton = named<QRadioButton>(GroupBox5, "RNDRadioButton");
    EffectPanel = named<QWidget>(GroupBox5, "EffectPanel");
    Label27 = named<QLabel>(EffectPanel, "Label27");
    SpinEdit1 = named<QSpinBox>(EffectPanel, "SpinEdit1");
    SpinEdit1->setRange(1, 1);
    // Typing a number plays one preview, for the number typed (at Enter or when the field is
    // left), not one for each digit on the way; the arrows still play each step.
    SpinEdit1->setKeyboardTracking(false);
    ShowAgainButton = named<QPushButton>(EffectPanel, "ShowAgainButton");
    PixImage1 = named<imaging::TPixImage>(EffectPanel, "PixImage1");
    PixImage1->setMinimumSize(200, 150);
    PixImage1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    PixImage1->SetPaintSizeMode(imaging::smFit);
    PixImage1->SetCenterImage(true);
    auto* effectGrid = new QGridLayout(EffectPanel);
    effectGrid->setContentsMargins(0, 0, 0, 0);
    effectGrid->addWidget(Label27, 0, 0);
    effectGrid->addWidget(SpinEdit1, 0, 1);
    effectGrid->addWidget(ShowAgainButton, 0, 2);
    effectGrid->addWidget(PixImage1, 1, 0, 1, 4);
    effectGrid->setColumnStretch(3, 1);
    auto* effects = new QVBoxLayout(GroupBox5);
    effects->addWidget(OFFRadioButton);
    effects->addWidget(ONRadioButton);
    effects->addWidget(RNDRadioButton);
    effects->addWidget(EffectPanel);
}

// The drive the editor keeps its shows on.
void TMainForm::buildDriveGroup(QWidget* page)
{
    GroupBox1 = named<QGroupBox>(page, "GroupBox1");
    DriveComboBox1 = named<QComboBox>(GroupBox1, "DriveComboBox1");
    PathButton = named<QPushButton>(GroupBox1, "PathButton");
    PathButton->setVisible(false);
    auto* drive = new QHBoxLayout(GroupBox1);
    drive->addWidget(DriveComboBox1);
    drive->addWidget(PathButton);
    drive->addStretch();
}

void TMainForm::layOutSettingsPage(QWidget* page)
{
    auto* left = new QVBoxLayout;
    left->addWidget(GroupBox3);
    left->addWidget(GroupBox4);
    left->addWidget(GroupBox7);
    left->addWidget(GroupBox1);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox5);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addSpacing(12);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label16);
    layout->addLayout(columns, 1);
}

void TMainForm::buildMakePage()
{
    ProgrammBild2Image = named<QLabel>(TabSheet4, "ProgrammBild2Image");
    ProgrammBild2Image->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(TabSheet4);
    layout->addWidget(ProgrammBild2Image, 1);
}

void TMainForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    Quorbel1 = bar->addMenu(QString());
    Quorbel1->setObjectName(QStringLiteral("Quorbel1"));
    OpenQuorbel1 = namedAction(Quorbel1, "OpenQuorbel1");
    NewQuorbel1 = namedAction(Quorbel1, "NewQuorbel1");
    DeleteQuorbel1 = namedAction(Quorbel1, "DeleteQuorbel1");
    Quorbel1->addSeparator();
    Programmbeenden1 = namedAction(Quorbel1, "Programmbeenden1");
    ScannenDigitalkamera1 = bar->addMenu(QString());
    ScannenDigitalkamera1->setObjectName(QStringLiteral("ScannenDigitalkamera1"));
    Treiberauswhlen1 = namedAction(ScannenDigitalkamera1, "Treiberauswhlen1");
    Einlesenstarten1 = namedAction(ScannenDigitalkamera1, "Einlesenstarten1");
    Hilfe1 = bar->addMenu(QString());
    Hilfe1->setObjectName(QStringLiteral("Hilfe1"));
    Hilfedatei1 = namedAction(Hilfe1, "Hilfedatei1");
    Update1 = namedAction(Hilfe1, "Update1");
    Hilfe1->addSeparator();
    Info1 = namedAction(Hilfe1, "Info1");
    Language1 = bar->addMenu(QStringLiteral("Language"));
    Language1->setObjectName(QStringLiteral("Language1"));
    for (int i = 0; i < LanguageMenuItemCount; ++i) {
        const LanguageMenuItem& item = LanguageMenuItems()[i];
        QAction* a = namedAction(Language1, item.name);
        a->setText(item.caption);
        a->setData(item.tag);
        a->setCheckable(true);
        LanguageItems.append(a);
    }

    // The menus are drawn flat, with an icon column and a tinted selection.
    XPMenu1 = new controls::TXPMenu(this);
    XPMenu1->setObjectName(QStringLiteral("XPMenu1"));
    XPMenu1->setDimLevel(0);
    XPMenu1->setGrayLevel(10);
    QFont menuFont(QStringLiteral("Tahoma"));
    menuFont.setPixelSize(11);
    XPMenu1->setFont(menuFont, controls::clMenuText);
    XPMenu1->setSelectFontColor(controls::clMenuText);
    XPMenu1->setUseDimColor(true);
    XPMenu1->setGradient(true);
    XPMenu1->setFlatMenu(true);
    XPMenu1->setXPContainers({});
    XPMenu1->setXPControls({controls::xcMainMenu, controls::xcPopupMenu});
    XPMenu1->setActive(true);
    XPMenu1->Loaded();
}

TMainForm::TMainForm(show::OutputWindows outputs, QWidget* parent, const util::TextTable& texts)
    : QMainWindow(parent), outputs_(outputs), texts_(texts)
{
    setObjectName(QStringLiteral("MainForm"));
    buildStartPanel();

    PageControl1 = named<QTabWidget>(nullptr, "PageControl1");
    PageControl1->setAutoFillBackground(true);
    TabSheet1 = named<QWidget>(nullptr, "TabSheet1");
    TabSheet2 = named<QWidget>(nullptr, "TabSheet2");
    TabSheet3 = named<QWidget>(nullptr, "TabSheet3");
    TabSheet4 = named<QWidget>(nullptr, "TabSheet4");
    for (QWidget* sheet : {TabSheet1, TabSheet2, TabSheet3, TabSheet4}) PageControl1->addTab(sheet, QString());
    buildPicturesPage();
    buildMusicPage();
    buildSettingsPage();
    buildMakePage();
    PageControl1->setVisible(false);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* stack = new QGridLayout(central);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(SelectVariablesPanel, 0, 0);
    stack->addWidget(PageControl1, 0, 0); // above the start panel
    setCentralWidget(central);

    StatusBar1 = named<QStatusBar>(this, "StatusBar1");
    setStatusBar(StatusBar1);
    PicProgressBar = named<QProgressBar>(StatusBar1, "PicProgressBar");
    PicProgressBar->setRange(0, 100);
    PicProgressBar->setMaximumWidth(300);
    PicProgressBar->setVisible(false);
    StatusBar1->addPermanentWidget(PicProgressBar);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    for (QTimer* t : {Timer1, Timer2}) {
        t->setInterval(200);
        t->setSingleShot(true);
    }
    OpenPictureDialog1.filter = QStringLiteral("Bilder, Pictures|*.jpg");

    buildMenus();
    connectHandlers();
    connectArtHandlers();
    connectShowHost();
    buildScanner();
    FormCreate();
}
