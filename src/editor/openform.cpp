#include "openform.h"

#include "app/language.h"
#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "show/showfiles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TOpenForm::TOpenForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("OpenForm"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    resize(420, 360);
    DoLabel = new QLabel(this);
    DoLabel->setObjectName(QStringLiteral("DoLabel"));
    OpenListBox = new QListWidget(this);
    OpenListBox->setObjectName(QStringLiteral("OpenListBox"));
    OpenListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    OpenBitBtn = new QPushButton(this);
    OpenBitBtn->setObjectName(QStringLiteral("OpenBitBtn"));
    BitBtn2 = new QPushButton(this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OpenBitBtn);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DoLabel);
    layout->addWidget(OpenListBox, 1);
    layout->addLayout(buttons);

    connect(OpenBitBtn, &QPushButton::clicked, this, &TOpenForm::OpenBitBtnClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TOpenForm::BitBtn2Click);
    connect(OpenListBox, &QListWidget::itemDoubleClicked, this, &TOpenForm::OpenListBoxDblClick);
    FormCreate();
}

TOpenForm::~TOpenForm()
{
}

void TOpenForm::FormCreate()
{
    OpenBitBtn->setText(texts_.text(4200));
    BitBtn2->setText(texts_.text(4201));
    setWindowTitle(texts_.text(4202));
}

int TOpenForm::ShowWithMode(quint8 mode)
{
    Mode = mode;
    FormActivate(); // what the form does when it comes up
    return platform::dialogs().showModal(*this);
}

void TOpenForm::FormActivate()
{
    platform::HourglassCursor hourglass;
    DoLabel->setText(texts_.text(Mode == 0 ? 4203 : 4205));
    OpenBitBtn->setText(texts_.text(Mode == 0 ? 4204 : 4206));
    OpenListBox->clear();
    if (ShowRoot.isEmpty()) return;
    for (const show::ShowListing& show : show::ListShows(ShowRoot)) {
        auto* item = new QListWidgetItem(show.text(), OpenListBox);
        item->setData(Qt::UserRole, show.folder);
    }
}

QString TOpenForm::SelectedFolder() const
{
    const QListWidgetItem* item = OpenListBox->currentItem();
    if (!item || !item->isSelected()) return {};
    return item->data(Qt::UserRole).toString();
}

bool TOpenForm::HasSelection()
{
    if (!OpenListBox->selectedItems().isEmpty()) return true;
    platform::showInformation(texts_.text(10026));
    return false;
}

void TOpenForm::OpenBitBtnClick()
{
    if (!HasSelection()) return;
    if (Mode == 1) ChosenFolder = SelectedFolder();
    done(platform::mrOk);
}

void TOpenForm::OpenListBoxDblClick()
{
    if (OpenListBox->selectedItems().isEmpty()) return;
    OpenBitBtnClick();
    emit FirstPageWanted();
    done(platform::mrOk);
}

void TOpenForm::BitBtn2Click() { done(platform::mrAbort); }
