#include "dvdwizardform.h"

#include "output/video/dvdform.h"
#include "output/video/videoinstructions.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/textcodec.h"
#include "show/showhost.h"
#include "util/strutils.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TDVDWizardForm::TDVDWizardForm(show::ShowHost& host, QWidget* parent, const util::TextTable& texts) : QDialog(parent), host_(host), texts_(texts)
{
    setObjectName(QStringLiteral("DVDWizardForm"));
    auto named = [this](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    Image1 = named(new QLabel(this), "Image1");
    QuestionLabel = named(new QLabel(this), "QuestionLabel");
    VCDRadioButton = named(new QRadioButton(this), "VCDRadioButton");
    SVCDRadioButton = named(new QRadioButton(this), "SVCDRadioButton");
    NanoVCDRadioButton = named(new QRadioButton(this), "NanoVCDRadioButton");
    NanoSVCDRadioButton = named(new QRadioButton(this), "NanoSVCDRadioButton");
    FormatGroupBox = named(new QGroupBox(this), "FormatGroupBox");
    PalRadioButton = named(new QRadioButton(QStringLiteral("PAL (Europe)"), FormatGroupBox), "PalRadioButton");
    NTSCRadioButton = named(new QRadioButton(QStringLiteral("NTSC (USA, Japan)"), FormatGroupBox), "NTSCRadioButton");
    SizeLabel = named(new QLabel(this), "SizeLabel");
    QuorbelSizeEdit = named(new QLineEdit(this), "QuorbelSizeEdit");
    FreeDiskLabel = named(new QLabel(this), "FreeDiskLabel");
    FreeDiskEdit = named(new QLineEdit(this), "FreeDiskEdit");
    ZurueckBitBtn = named(new QPushButton(this), "ZurueckBitBtn");
    HilfeBitBtn = named(new QPushButton(this), "HilfeBitBtn");
    AbortBitBtn = named(new QPushButton(this), "AbortBitBtn");
    WeiterBitBtn = named(new QPushButton(this), "WeiterBitBtn");
    QuorbelSizeEdit->setReadOnly(true);
    FreeDiskEdit->setReadOnly(true);
    ModeButtonGroup = new QButtonGroup(this);
    for (QRadioButton* b : {VCDRadioButton, SVCDRadioButton, NanoVCDRadioButton, NanoSVCDRadioButton}) ModeButtonGroup->addButton(b);
    NormButtonGroup = new QButtonGroup(this);
    NormButtonGroup->addButton(PalRadioButton);
    NormButtonGroup->addButton(NTSCRadioButton);
    VCDRadioButton->setChecked(true);
    PalRadioButton->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Image1);
    layout->addWidget(QuestionLabel);
    for (QRadioButton* b : {VCDRadioButton, SVCDRadioButton, NanoVCDRadioButton, NanoSVCDRadioButton}) layout->addWidget(b);
    auto* norm = new QHBoxLayout(FormatGroupBox);
    norm->addWidget(PalRadioButton);
    norm->addWidget(NTSCRadioButton);
    layout->addWidget(FormatGroupBox);
    auto* sizes = new QHBoxLayout;
    sizes->addWidget(SizeLabel);
    sizes->addWidget(QuorbelSizeEdit);
    sizes->addWidget(FreeDiskLabel);
    sizes->addWidget(FreeDiskEdit);
    layout->addLayout(sizes);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HilfeBitBtn);
    buttons->addStretch(1);
    buttons->addWidget(ZurueckBitBtn);
    buttons->addWidget(WeiterBitBtn);
    buttons->addWidget(AbortBitBtn);
    layout->addLayout(buttons);

    for (QRadioButton* b : {VCDRadioButton, SVCDRadioButton, NanoVCDRadioButton, NanoSVCDRadioButton})
        connect(b, &QRadioButton::clicked, this, [this] { EstimateShowSize(); });
    connect(WeiterBitBtn, &QPushButton::clicked, this, [this] { WeiterBitBtnClick(); });
    connect(ZurueckBitBtn, &QPushButton::clicked, this, [this] { ZurueckBitBtnClick(); });
    connect(AbortBitBtn, &QPushButton::clicked, this, [this] { AbortBitBtnClick(); });
    connect(HilfeBitBtn, &QPushButton::clicked, this, [this] { HilfeBitBtnClick(); });
    FormCreate();
}

QDialog* TDVDWizardForm::makeWizard() const
{
    if (MakeWizard) return MakeWizard;
    return host_.MakeWizard();
}

void TDVDWizardForm::FormCreate()
{
    const std::optional<QByteArray> banner = platform::readFile(ProductInfo.ProgramDir + QStringLiteral("recom\\") + ProductInfo.WizardPicture);
    if (banner) {
        QPixmap pixmap;
        if (pixmap.loadFromData(*banner)) Image1->setPixmap(pixmap);
    }
    QuestionLabel->setText(texts_.text(5200));
    VCDRadioButton->setText(texts_.text(5201));
    SVCDRadioButton->setText(texts_.text(5202));
    NanoVCDRadioButton->setText(texts_.text(5203));
    NanoSVCDRadioButton->setText(texts_.text(5204));
    SizeLabel->setText(texts_.text(5205));
    FreeDiskLabel->setText(texts_.text(5206));
    setWindowTitle(texts_.text(5207));
    ZurueckBitBtn->setText(texts_.text(6000));
    HilfeBitBtn->setText(texts_.text(6001));
    AbortBitBtn->setText(texts_.text(6002));
    WeiterBitBtn->setText(texts_.text(6003));
}

void TDVDWizardForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TDVDWizardForm::FormActivate() { EstimateShowSize(); }

void TDVDWizardForm::ReadDriveInfo(QChar letter) { video::ReadDriveInfo(letter, DriveInfo); }

bool TDVDWizardForm::EstimateShowSize()
{
    const show::ShowContext m = host_.CurrentShow();
    const QString root = m.ShowRoot;
    ReadDriveInfo(root.isEmpty() ? QChar() : root[0]);
    FreeDiskEdit->setText(QString::number(DriveInfo.freeMB) + QStringLiteral(" MB"));
    const int n = int(m.PictureItems.size()) + 1;
    const double s = video::DotToComma(m.SecondsPerPicture).value_or(0);
    video::VideoMode mode;
    if (VCDRadioButton->isChecked()) mode = video::VideoMode::VCD;
    else if (SVCDRadioButton->isChecked()) mode = video::VideoMode::SVCD;
    else if (NanoVCDRadioButton->isChecked()) mode = video::VideoMode::HighQualityVCD;
    else if (NanoSVCDRadioButton->isChecked()) mode = video::VideoMode::HighQualitySVCD;
    else return true;
    const qint64 estimate = video::EstimateMB(mode, s, n, m.FrameRate, m.TransitionFrames);
    QuorbelSizeEdit->setText(QString::number(estimate) + QStringLiteral(" MB"));
    return DriveInfo.freeMB >= estimate;
}

void TDVDWizardForm::StartVideo(const QString& modeName)
{
    const QString picturesIni = host_.CurrentShow().ShowFolderPath() + QStringLiteral("Pictures.ini");
    if (!host_.SavePictureList()) {
        // The video would be made from an older picture list.
        platform::showError(QStringLiteral("Unable to write ") + picturesIni);
        return;
    }
    if (EstimateShowSize()) {
        TDVDForm* form = VideoWindow;
        if (!form) return; // no video window was handed over: nothing to make the video
        form->Pal = PalRadioButton->isChecked();
        form->showMaximized();
        form->ModeName = modeName;
        form->MakeVideo();
    } else {
        host_.ShowInstructions(video::VideoInstructions(video::VideoOutcome::NoSpace));
    }
}

void TDVDWizardForm::WeiterBitBtnClick()
{
    const bool vcd = VCDRadioButton->isChecked(), svcd = SVCDRadioButton->isChecked();
    const bool nvcd = NanoVCDRadioButton->isChecked(), nsvcd = NanoSVCDRadioButton->isChecked();
    if (!vcd && !svcd && !nvcd && !nsvcd) {
        platform::showInformation(texts_.text(10027));
        return;
    }
    // A video that cannot fit is not started: the page stays, and says by how much.
    if (!EstimateShowSize()) {
        platform::showError(QStringLiteral("Not enough free space for the video: needed %1 / free %2")
                                .arg(QuorbelSizeEdit->text(), FreeDiskEdit->text()));
        return;
    }
    hide();
    if (QDialog* make = makeWizard()) make->done(QDialog::Accepted); // closes when control returns to it
    if (QWidget* window = host_.HostWindow()) window->repaint();
    if (TDVDForm* form = VideoWindow) {
        form->HighQuality = nvcd || nsvcd;
        StartVideo(vcd || nvcd ? QStringLiteral("VCD") : QStringLiteral("SVCD"));
    }
    done(QDialog::Accepted);
}

void TDVDWizardForm::ZurueckBitBtnClick() { done(QDialog::Rejected); }

void TDVDWizardForm::AbortBitBtnClick()
{
    done(QDialog::Rejected);
    if (QDialog* make = makeWizard()) make->done(QDialog::Rejected);
}

void TDVDWizardForm::HilfeBitBtnClick()
{
    if (!platform::shellOpen(ProductInfo.ProgramDir + ProductInfo.HelpFolder + ProductInfo.HelpFile))
        platform::showError(QStringLiteral("Unable to start internet browser! Make sure you have it properly set-up on your system!"));
}
