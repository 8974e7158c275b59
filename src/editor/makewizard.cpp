#include "makewizard.h"

#include "pictures.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "util/windowsinfo.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TMakeWizzard::TMakeWizzard(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("MakeWizzard"));
    // A tool window whose only title button is the close box.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    resize(560, 340);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedWidth(160);
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Image1->setScaledContents(false);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont heading = Label3->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 3);
    Label3->setFont(heading);
    Label3->setWordWrap(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont hint = Label1->font();
    hint.setBold(true);
    Label1->setFont(hint);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);
    Label1->setWordWrap(true);
    Label1->setText(QStringLiteral("Bitte starten Sie das Programm mit Administratorrechten!"));
    Label1->setVisible(false);

    auto radio = [this](const char* name) {
        auto* b = new QRadioButton(this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    PCRadioButton = radio("PCRadioButton");
    CDROMRadioButton = radio("CDROMRadioButton");
    DVDRadioButton = radio("DVDRadioButton");
    HTMLRadioButton = radio("HTMLRadioButton");
    ScreenSaverRadioButton = radio("ScreenSaverRadioButton");

    auto button = [this](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
        return b;
    };
    HilfeBitBtn = button("HilfeBitBtn");
    AbortBitBtn = button("AbortBitBtn");
    WeiterBitBtn = button("WeiterBitBtn");

    auto* choices = new QVBoxLayout;
    choices->setSpacing(8);
    choices->addWidget(Label3);
    choices->addSpacing(8);
    for (QRadioButton* b : {PCRadioButton, CDROMRadioButton, DVDRadioButton, HTMLRadioButton, ScreenSaverRadioButton})
        choices->addWidget(b);
    choices->addStretch();
    choices->addWidget(Label1);
    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addSpacing(12);
    top->addLayout(choices, 1);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HilfeBitBtn);
    buttons->addStretch();
    buttons->addWidget(AbortBitBtn);
    buttons->addWidget(WeiterBitBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);

    connect(WeiterBitBtn, &QPushButton::clicked, this, &TMakeWizzard::WeiterBitBtnClick);
    connect(AbortBitBtn, &QPushButton::clicked, this, &TMakeWizzard::AbortBitBtnClick);
    connect(HilfeBitBtn, &QPushButton::clicked, this, &TMakeWizzard::HilfeBitBtnClick);
    FormCreate();
}

TMakeWizzard::~TMakeWizzard()
{
}

void TMakeWizzard::applyAdministratorHint()
{
    // The hint asks for administrator rights, which only newer Windows versions need; the
    // English product never shows it.
    Label1->setVisible(IsWindowsVersion6OrLater() && ProductInfo.Title != QLatin1String("Quorbelix pro"));
}

void TMakeWizzard::FormCreate()
{
    applyAdministratorHint();
    Image1->setPixmap(
        editor::LoadWindowPicture(ProductInfo.ProgramDir + QStringLiteral("recom\\") + ProductInfo.WizardPicture));
    setWindowTitle(texts_.text(6206));
    Label3->setText(texts_.text(6200));
    PCRadioButton->setText(texts_.text(6201));
    CDROMRadioButton->setText(texts_.text(6202));
    DVDRadioButton->setText(texts_.text(6203));
    HTMLRadioButton->setText(texts_.text(6204));
    ScreenSaverRadioButton->setText(texts_.text(6205));
    HilfeBitBtn->setText(texts_.text(6001));
    AbortBitBtn->setText(texts_.text(6002));
    WeiterBitBtn->setText(texts_.text(6003));
}

void TMakeWizzard::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TMakeWizzard::FormShow() { applyAdministratorHint(); }

editor::MakeTarget TMakeWizzard::ChosenTarget() const
{
    using editor::MakeTarget;
    if (PCRadioButton->isChecked()) return MakeTarget::PC;
    if (CDROMRadioButton->isChecked()) return MakeTarget::CdRom;
    if (DVDRadioButton->isChecked()) return MakeTarget::DvdPlayer;
    if (HTMLRadioButton->isChecked()) return MakeTarget::HtmlPage;
    if (ScreenSaverRadioButton->isChecked()) return MakeTarget::Screensaver;
    return MakeTarget::None;
}

void TMakeWizzard::WeiterBitBtnClick()
{
    switch (ChosenTarget()) {
    case editor::MakeTarget::None:
        platform::showInformation(texts_.text(10027));
        return;
    case editor::MakeTarget::DvdPlayer:
        // The video wizard takes over; it closes this wizard with OK when a video run starts.
        if (QDialog* video = VideoWizard) platform::dialogs().showModal(*video);
        return;
    default:
        done(platform::mrOk);
    }
}

void TMakeWizzard::AbortBitBtnClick() { done(platform::mrCancel); }

void TMakeWizzard::HilfeBitBtnClick()
{
    if (!platform::shellOpen(ProductInfo.ProgramDir + ProductInfo.HelpFolder + ProductInfo.HelpFile))
        platform::showInformation(
            QStringLiteral("Unable to start internet browser! Make sure you have it properly set-up on your system!"));
}
