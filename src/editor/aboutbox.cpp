#include "aboutbox.h"

#include "pictures.h"

#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

TAboutBox::TAboutBox(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("AboutBox"));
    auto make = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    Image1 = make("Image1");
    ProductName = make("ProductName");
    VersionLabel = make("VersionLabel");
    Copyright = make("Copyright");
    URLLabel = make("URLLabel");
    MailLabel = make("MailLabel");
    QFont big = ProductName->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    ProductName->setFont(big);
    for (QLabel* link : {URLLabel, MailLabel}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setStyleSheet(QStringLiteral("color: #0000c0; text-decoration: underline;"));
        link->installEventFilter(this);
    }
    UpdateButton = new QPushButton(QStringLiteral("Update"), this);
    UpdateButton->setObjectName(QStringLiteral("UpdateButton"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, 6, 1, Qt::AlignTop);
    grid->addWidget(ProductName, 0, 1);
    grid->addWidget(VersionLabel, 1, 1);
    grid->addWidget(Copyright, 2, 1);
    grid->addWidget(URLLabel, 3, 1);
    grid->addWidget(MailLabel, 4, 1);
    grid->setRowStretch(5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(UpdateButton);
    buttons->addWidget(OKButton);
    grid->addLayout(buttons, 6, 0, 1, 2);

    connect(OKButton, &QPushButton::clicked, this, [this] { done(platform::mrOk); });
    connect(UpdateButton, &QPushButton::clicked, this, &TAboutBox::UpdateButtonClick);
    FormCreate();
}

TAboutBox::~TAboutBox()
{
}

void TAboutBox::FormCreate()
{
    setWindowTitle(ProductInfo.Title);
    ProductName->setText(ProductInfo.Title);
    const QPixmap picture = editor::LoadWindowPicture(ProductInfo.ProgramDir + QStringLiteral("recom\\") + ProductInfo.AboutPicture);
    Image1->setPixmap(picture);
    VersionLabel->setText(ProductInfo.VersionText);
    Copyright->setText(QStringLiteral("Copyright © ") + ProductInfo.MakerName + QStringLiteral(". All rights reserved."));
    URLLabel->setText(ProductInfo.WebAddress);
    MailLabel->setText(ProductInfo.MailAddress);
}

void TAboutBox::openLink(const QString& target)
{
    if (!platform::shellOpen(target))
        platform::showInformation(QStringLiteral("Unable to start mail client. Make sure you have it properly set-up on your system."));
}

void TAboutBox::URLLabelClick() { openLink(ProductInfo.WebAddress); }
void TAboutBox::MailLabelClick() { openLink(QStringLiteral("mailto:") + ProductInfo.MailAddress); }
void TAboutBox::UpdateButtonClick() { openLink(ProductInfo.WebAddress); }

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == URLLabel) URLLabelClick();
        else if (watched == MailLabel) MailLabelClick();
    }
    return QDialog::eventFilter(watched, event);
}
