#include "nodriverform.h"

#include "pictures.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPlainTextEdit* memo(QWidget* parent, const char* name)
{
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QLatin1String(name));
    m->setReadOnly(true);
    m->setFrameShape(QFrame::NoFrame);
    m->setMaximumHeight(64);
    m->viewport()->setAutoFillBackground(false);
    return m;
}
} // namespace

const char* const TNoDriverForm::DownloadAddress = "https://packages.debian.org/bookworm/cdparanoia";

TNoDriverForm::TNoDriverForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("NoDriverForm"));
    resize(520, 300);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedWidth(160);
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 2);
    Label1->setFont(heading);
    Memo1 = memo(this, "Memo1");
    Memo2 = memo(this, "Memo2");
    DownloadButton = new QPushButton(this);
    DownloadButton->setObjectName(QStringLiteral("DownloadButton"));
    AboartButton = new QPushButton(this);
    AboartButton->setObjectName(QStringLiteral("AboartButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(DownloadButton);
    buttons->addWidget(AboartButton);
    auto* text = new QVBoxLayout;
    text->addWidget(Label1);
    text->addWidget(Memo1);
    text->addWidget(Memo2);
    text->addStretch();
    text->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Image1);
    layout->addLayout(text, 1);

    connect(DownloadButton, &QPushButton::clicked, this, &TNoDriverForm::DownloadButtonClick);
    connect(AboartButton, &QPushButton::clicked, this, &TNoDriverForm::AboartButtonClick);
    FormCreate();
}

TNoDriverForm::~TNoDriverForm()
{
}

void TNoDriverForm::FormCreate()
{
    Image1->setPixmap(editor::LoadWindowPicture(ProductInfo.ProgramDir + QStringLiteral("recom\\") + ProductInfo.WizardPicture));
    Label1->setText(texts_.text(3700));
    Memo1->setPlainText(texts_.text(3701));
    Memo2->setPlainText(texts_.text(3702));
    DownloadButton->setText(texts_.text(3703));
    AboartButton->setText(texts_.text(3704));
    setWindowTitle(texts_.text(3705));
}

void TNoDriverForm::DownloadButtonClick()
{
    if (!platform::shellOpen(QLatin1String(DownloadAddress)))
        platform::showInformation(
            QStringLiteral("Unable to start internet browser! Make sure you have it properly set-up on your system!"));
    reject();
}

void TNoDriverForm::AboartButtonClick() { reject(); }
