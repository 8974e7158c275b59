#include "htmlform.h"

#include "ftpform.h"
#include "gallerywriter.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "app/wizardpicture.h"
#include "imaging/piximage.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "platform/shell.h"
#include "show/showhost.h"
#include "util/strutils.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

void paintPanel(QFrame* panel, platform::ColorRef color)
{
    panel->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray;")
                             .arg(platform::colorToQColor(color).name()));
}

QLineEdit* digitsEdit(QWidget* parent, int digits)
{
    auto* e = new QLineEdit(parent);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,%1}").arg(digits)), e));
    e->setMaxLength(digits);
    return e;
}

} // namespace

THTMLForm::THTMLForm(show::ShowHost& host, QWidget* parent, const util::TextTable& texts) : QDialog(parent), host_(host), texts_(texts)
{
    setObjectName(QStringLiteral("HTMLForm"));
    setWindowTitle(QStringLiteral("HTML"));
    setFixedSize(520, 470);

    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 520, 70);
    Image1->setScaledContents(true);
    Label16 = new QLabel(this);
    Label16->setGeometry(16, 78, 490, 24);
    QFont heading = Label16->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 3);
    Label16->setFont(heading);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(16, 108, 488, 190);
    Label1 = new QLabel(GroupBox1);
    Label1->setGeometry(12, 26, 330, 22);
    SmallPicMaskEdit = digitsEdit(GroupBox1, 4);
    SmallPicMaskEdit->setGeometry(350, 26, 60, 22);
    Label2 = new QLabel(GroupBox1);
    Label2->setGeometry(12, 56, 330, 22);
    LargePicMaskEdit = digitsEdit(GroupBox1, 4);
    LargePicMaskEdit->setGeometry(350, 56, 60, 22);
    Label3 = new QLabel(GroupBox1);
    Label3->setGeometry(12, 86, 330, 22);
    PicProRowMaskEdit = digitsEdit(GroupBox1, 2);
    PicProRowMaskEdit->setGeometry(350, 86, 40, 22);
    TextCheckBox = new QCheckBox(GroupBox1);
    TextCheckBox->setGeometry(12, 114, 460, 22);
    FileNameCheckBox = new QCheckBox(GroupBox1);
    FileNameCheckBox->setGeometry(12, 138, 460, 22);
    RahmenCheckBox = new QCheckBox(GroupBox1);
    RahmenCheckBox->setGeometry(12, 162, 460, 22);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setGeometry(16, 304, 488, 64);
    BKGColorButton = new QPushButton(GroupBox2);
    BKGColorButton->setGeometry(12, 26, 170, 26);
    BKGColorPanel = new QFrame(GroupBox2);
    BKGColorPanel->setGeometry(188, 28, 40, 22);
    TextcolorButton = new QPushButton(GroupBox2);
    TextcolorButton->setGeometry(250, 26, 170, 26);
    TextColorPanel = new QFrame(GroupBox2);
    TextColorPanel->setGeometry(426, 28, 40, 22);

    KonvertLabel = new QLabel(this);
    KonvertLabel->setGeometry(16, 374, 488, 20);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(16, 396, 488, 16);
    ProgressBar1->setRange(0, 100);
    KonvertLabel->hide();
    ProgressBar1->hide();

    BitBtn1 = new QPushButton(this);
    BitBtn1->setGeometry(16, 424, 160, 30);
    BitBtn2 = new QPushButton(this);
    BitBtn2->setGeometry(180, 424, 160, 30);
    BitBtn3 = new QPushButton(this);
    BitBtn3->setGeometry(344, 424, 160, 30);

    // The converter: never shown.
    PixImage1 = new imaging::TPixImage(this);
    PixImage1->setObjectName(QStringLiteral("PixImage1"));
    PixImage1->setGeometry(0, 0, 10, 10);
    PixImage1->hide();

    const std::pair<QObject*, const char*> names[] = {
        {Image1, "Image1"}, {Label16, "Label16"}, {GroupBox1, "GroupBox1"}, {Label1, "Label1"},
        {SmallPicMaskEdit, "SmallPicMaskEdit"}, {Label2, "Label2"}, {LargePicMaskEdit, "LargePicMaskEdit"},
        {Label3, "Label3"}, {PicProRowMaskEdit, "PicProRowMaskEdit"}, {TextCheckBox, "TextCheckBox"},
        {FileNameCheckBox, "FileNameCheckBox"}, {RahmenCheckBox, "RahmenCheckBox"}, {GroupBox2, "GroupBox2"},
        {BKGColorButton, "BKGColorButton"}, {BKGColorPanel, "BKGColorPanel"}, {TextcolorButton, "TextcolorButton"},
        {TextColorPanel, "TextColorPanel"}, {KonvertLabel, "KonvertLabel"}, {ProgressBar1, "ProgressBar1"},
        {BitBtn1, "BitBtn1"}, {BitBtn2, "BitBtn2"}, {BitBtn3, "BitBtn3"}};
    for (const auto& [o, n] : names) o->setObjectName(QString::fromLatin1(n));

    connect(BitBtn1, &QPushButton::clicked, this, &THTMLForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &THTMLForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &THTMLForm::BitBtn3Click);
    connect(TextcolorButton, &QPushButton::clicked, this, &THTMLForm::TextcolorButtonClick);
    connect(BKGColorButton, &QPushButton::clicked, this, &THTMLForm::BKGColorButtonClick);
    connect(TextCheckBox, &QCheckBox::clicked, this, &THTMLForm::TextCheckBoxClick);
    connect(FileNameCheckBox, &QCheckBox::clicked, this, &THTMLForm::FileNameCheckBoxClick);
    connect(RahmenCheckBox, &QCheckBox::clicked, this, &THTMLForm::RahmenCheckBoxClick);
    connect(PicProRowMaskEdit, &QLineEdit::textChanged, this, &THTMLForm::PicProRowMaskEditChange);
    connect(SmallPicMaskEdit, &QLineEdit::textChanged, this, &THTMLForm::SmallPicMaskEditChange);
    connect(LargePicMaskEdit, &QLineEdit::textChanged, this, &THTMLForm::LargePicMaskEditChange);
    FormCreate();
}

THTMLForm::~THTMLForm()
{
    delete FTPForm; // before the converter and the rest of this window go
}

QString THTMLForm::SettingsPath() const
{
    return ProductInfo.ProgramDir + QStringLiteral("Gallery.ini");
}

void THTMLForm::FormCreate()
{
    Image1->setPixmap(LoadWizardPicture());
    Label16->setText(texts_.text(3500));
    GroupBox1->setTitle(texts_.text(3501));
    Label1->setText(texts_.text(3502));
    Label2->setText(texts_.text(3503));
    Label3->setText(texts_.text(3504));
    TextCheckBox->setText(texts_.text(3505));
    FileNameCheckBox->setText(texts_.text(3506));
    RahmenCheckBox->setText(texts_.text(3507));
    GroupBox2->setTitle(texts_.text(3508));
    BKGColorButton->setText(texts_.text(3509));
    TextcolorButton->setText(texts_.text(3510));
    KonvertLabel->setText(texts_.text(3511));
    BitBtn1->setText(texts_.text(3512));
    BitBtn2->setText(texts_.text(3513));
    BitBtn3->setText(texts_.text(3514));
}

void THTMLForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void THTMLForm::FormActivate()
{
    PagesWritten = false;
    LoadGallerySettings();
    G = web::GalleryWriter::GalleryFolder(ProductInfo.ProgramDir);
    showSettings();
}

void THTMLForm::showSettings()
{
    const QSignalBlocker b1(SmallPicMaskEdit), b2(LargePicMaskEdit), b3(PicProRowMaskEdit);
    SmallPicMaskEdit->setText(Settings.SmallPicX);
    LargePicMaskEdit->setText(Settings.LargePicX);
    PicProRowMaskEdit->setText(Settings.PicProRow);
    TextCheckBox->setChecked(Settings.TextVisible);
    FileNameCheckBox->setChecked(Settings.FilenameVisible);
    RahmenCheckBox->setChecked(Settings.ShapeVisible);
    paintPanel(BKGColorPanel, Settings.BKGColor);
    paintPanel(TextColorPanel, Settings.TextColor);
}

void THTMLForm::LoadGallerySettings() { Settings = web::LoadGallerySettings(SettingsPath()); }

void THTMLForm::SaveGallerySettings()
{
    if (!web::SaveGallerySettings(SettingsPath(), Settings))
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(SettingsPath(), platform::lastFileError()));
}

void THTMLForm::TextcolorButtonClick()
{
    if (const auto c = platform::dialogs().chooseColor(Settings.TextColor)) {
        Settings.TextColor = *c;
        paintPanel(TextColorPanel, *c);
    }
}

void THTMLForm::BKGColorButtonClick()
{
    if (const auto c = platform::dialogs().chooseColor(Settings.BKGColor)) {
        Settings.BKGColor = *c;
        paintPanel(BKGColorPanel, *c);
    }
}

void THTMLForm::TextCheckBoxClick() { Settings.TextVisible = TextCheckBox->isChecked(); }
void THTMLForm::FileNameCheckBoxClick() { Settings.FilenameVisible = FileNameCheckBox->isChecked(); }
void THTMLForm::RahmenCheckBoxClick() { Settings.ShapeVisible = RahmenCheckBox->isChecked(); }

void THTMLForm::PicProRowMaskEditChange()
{
    if (!PicProRowMaskEdit->text().trimmed().isEmpty()) Settings.PicProRow = PicProRowMaskEdit->text().trimmed();
}

void THTMLForm::SmallPicMaskEditChange()
{
    if (!SmallPicMaskEdit->text().trimmed().isEmpty()) Settings.SmallPicX = SmallPicMaskEdit->text().trimmed();
}

void THTMLForm::LargePicMaskEditChange()
{
    if (!LargePicMaskEdit->text().trimmed().isEmpty()) Settings.LargePicX = LargePicMaskEdit->text().trimmed();
}

void THTMLForm::BitBtn1Click()
{
    // The conversion lets the window's messages through; a second press must not start a
    // second gallery over the files of the first.
    if (writing_) return;
    PagesWritten = false;
    const show::ShowContext main = host_.CurrentShow();
    SaveGallerySettings();

    web::GalleryJob job;
    job.programDir = ProductInfo.ProgramDir;
    job.showFolderPath = EnsureTrailingBackslash(main.ShowRoot + main.ShowFolder);
    job.items = main.PictureItems;
    job.settings = Settings;
    const bool german = LanguageCode == QStringLiteral("GERMAN");
    job.context.german = german;
    job.context.productTitle = ProductInfo.Title;
    job.context.maker = ProductInfo.MakerName;
    job.context.webAddress = ProductInfo.WebAddress;
    job.context.showTitle = main.Title;

    web::GalleryWriter writer(*PixImage1);
    writer.onConverting = [this](bool on) {
        KonvertLabel->setVisible(on);
        ProgressBar1->setVisible(on);
    };
    writer.onProgress = [this](int percent) {
        ProgressBar1->setValue(percent);
        ProgressBar1->repaint();
    };
    QString error;
    bool ok = false;
    {
        platform::HourglassCursor hourglass;
        writing_ = true;
        ok = writer.Write(job, error);
        writing_ = false;
    }
    if (!ok) {
        platform::showError(error);
        return;
    }
    PagesWritten = true;
    platform::showInformation(german ? QStringLiteral("Erstellen der Galerie wurde erfolgreich abgeschlossen!")
                                     : QStringLiteral("Gallery generated successful!"));
    if (!platform::shellOpen(G + QStringLiteral("gallery.html")))
        OpenInBrowser(QStringLiteral("\"file:///") + ProductInfo.ProgramDir + QStringLiteral("gallery\\gallery.html"));
}

bool THTMLForm::OpenInBrowser(const QString& argument)
{
    // The desktop's opener is the default browser's stand-in; the argument loses its quotes.
    QString target = argument;
    target.remove(u'"');
    if (target.startsWith(QStringLiteral("file:///"), Qt::CaseInsensitive)) target = target.mid(8);
    return platform::shellOpen(target);
}

void THTMLForm::BitBtn2Click()
{
    platform::HourglassCursor hourglass;
    // A window still uploading is brought up again rather than replaced under its transfer.
    if (!FTPForm || !FTPForm->Busy()) {
        delete FTPForm;
        FTPForm = new TFTPForm(ProductInfo.ProgramDir, this);
    }
    FTPForm->show();
    FTPForm->raise();
}

void THTMLForm::BitBtn3Click() { close(); }
