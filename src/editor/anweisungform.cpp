#include "anweisungform.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

TAnweisungForm::TAnweisungForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("AnweisungForm"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    resize(470, 190);

    MakeLabel = new QLabel(this);
    MakeLabel->setObjectName(QStringLiteral("MakeLabel"));
    QFont heading = MakeLabel->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 4);
    MakeLabel->setFont(heading);
    MakeLabel->setWordWrap(true);
    MakeSubLabel = new QLabel(this);
    MakeSubLabel->setObjectName(QStringLiteral("MakeSubLabel"));
    MakeSubLabel->setWordWrap(true);
    MakeSubLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    MakeSubLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    IconImage = new QLabel(this);
    IconImage->setObjectName(QStringLiteral("IconImage"));
    IconImage->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MediaPlay).pixmap(32, 32));
    IconImage->setFixedSize(40, 40);
    IconImage->setAlignment(Qt::AlignCenter);
    IconLabel = new QLabel(this);
    IconLabel->setObjectName(QStringLiteral("IconLabel"));
    IconLabel->setWordWrap(true);
    NeroBitBtn = new QPushButton(this);
    NeroBitBtn->setObjectName(QStringLiteral("NeroBitBtn"));
    NeroBitBtn->setAutoDefault(false);
    NextTipBitBtn = new QPushButton(this);
    NextTipBitBtn->setObjectName(QStringLiteral("NextTipBitBtn"));
    NextTipBitBtn->setDefault(true);
    NextTipBitBtn->setMinimumWidth(90);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 12);
    grid->setVerticalSpacing(10);
    grid->addWidget(MakeLabel, 0, 0, 1, 2);
    grid->addWidget(MakeSubLabel, 1, 0, 1, 2);
    grid->addWidget(IconImage, 2, 0, Qt::AlignTop);
    grid->addWidget(IconLabel, 2, 1);
    grid->setRowStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(NeroBitBtn);
    buttons->addStretch();
    buttons->addWidget(NextTipBitBtn);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(NeroBitBtn, &QPushButton::clicked, this, &TAnweisungForm::NeroBitBtnClick);
    connect(NextTipBitBtn, &QPushButton::clicked, this, [this] {
        NextTipBitBtnClick();
        done(platform::mrOk);
    });
    FormCreate();
}

TAnweisungForm::~TAnweisungForm()
{
}

void TAnweisungForm::FormCreate()
{
    setWindowTitle(texts_.text(4626));
    NeroBitBtn->setText(texts_.text(4600));
    IconLabel->setText(texts_.text(4619));
    NextTipBitBtn->setText(QStringLiteral("OK"));
}

void TAnweisungForm::Prepare(const QString& heading, const QString& text, bool burningGuide, bool playerIcon)
{
    MakeLabel->setText(heading);
    MakeSubLabel->setText(text);
    NeroBitBtn->setVisible(burningGuide);
    IconImage->setVisible(playerIcon);
    IconLabel->setVisible(playerIcon);
}

void TAnweisungForm::NeroBitBtnClick()
{
    if (!platform::shellOpen(ProductInfo.ProgramDir + ProductInfo.HelpFolder + QStringLiteral("vcd.html")))
        platform::showInformation(
            QStringLiteral("Unable to start internet browser! Make sure you have it properly set-up on your system!"));
}

void TAnweisungForm::NextTipBitBtnClick()
{
    emit FirstPageWanted();
}
