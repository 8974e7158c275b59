#include "printselectform.h"

#include "app/language.h"
#include "controls/htmlchecklist.h"
#include "controls/htmlistbox.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/textcodec.h"

#include <QPushButton>
#include <QVBoxLayout>

TPrintSelectForm::TPrintSelectForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("PrintSelectForm"));
    resize(520, 600);
    HTMLCheckList1 = new controls::THTMLCheckList(this);
    HTMLCheckList1->setObjectName(QStringLiteral("HTMLCheckList1"));
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    PrintBitBtn = new QPushButton(Panel1);
    PrintBitBtn->setObjectName(QStringLiteral("PrintBitBtn"));
    AbortBitBtn = new QPushButton(Panel1);
    AbortBitBtn->setObjectName(QStringLiteral("AbortBitBtn"));
    for (QPushButton* b : {PrintBitBtn, AbortBitBtn}) b->setGeometry(0, 8, 90, 25);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(HTMLCheckList1, 1);
    layout->addWidget(Panel1);
    connect(PrintBitBtn, &QPushButton::clicked, this, &TPrintSelectForm::PrintBitBtnClick);
    connect(AbortBitBtn, &QPushButton::clicked, this, &TPrintSelectForm::AbortBitBtnClick);
    FormCreate();
}

TPrintSelectForm::~TPrintSelectForm()
{
}

void TPrintSelectForm::FormCreate()
{
    HTMLCheckList1->setItemHeight(70);
    PrintBitBtn->setText(texts_.text(6700));
    AbortBitBtn->setText(texts_.text(6701));
}

void TPrintSelectForm::FormActivate()
{
    HTMLCheckList1->Items().Clear();
    for (const QString& item : Offer.Items) HTMLCheckList1->Items().Add(item);
    setWindowTitle(Offer.Title);
    placeButtons();
}

void TPrintSelectForm::placeButtons()
{
    const int w = Panel1->width();
    PrintBitBtn->move(w - PrintBitBtn->width() - AbortBitBtn->width() - 20, PrintBitBtn->y());
    AbortBitBtn->move(w - AbortBitBtn->width() - 10, AbortBitBtn->y());
}

void TPrintSelectForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeButtons();
}

void TPrintSelectForm::PrintBitBtnClick()
{
    if (HTMLCheckList1->CheckedCount() == 0) {
        platform::showInformation(texts_.text(10011));
        return;
    }
    QStringList lines;
    for (int i = 0; i < HTMLCheckList1->Count(); ++i) {
        const QString item = HTMLCheckList1->CheckedItem(i).trimmed();
        if (!item.isEmpty()) lines << item;
    }
    const QString file = Offer.ProgramDir + QStringLiteral("Print.txt");
    // A selection that cannot be stored is reported, and the window stays: printing an old
    // selection would print the wrong pictures.
    if (!platform::writeTextLines(file, lines)) {
        platform::showError(QStringLiteral("\"%1\" cannot be written. %2").arg(file, platform::lastFileError()));
        return;
    }
    done(platform::mrOk);
}

void TPrintSelectForm::AbortBitBtnClick() { done(platform::mrAbort); }

int TPrintSelectForm::Execute()
{
    FormActivate();
    return platform::dialogs().showModal(*this);
}
