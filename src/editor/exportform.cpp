#include "exportform.h"

#include "app/language.h"
#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "show/showfiles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TExportForm::TExportForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("ExportForm"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    resize(420, 360);
    DoLabel = new QLabel(this);
    DoLabel->setObjectName(QStringLiteral("DoLabel"));
    DoLabel->setWordWrap(true);
    CheckListBox = new QListWidget(this);
    CheckListBox->setObjectName(QStringLiteral("CheckListBox"));
    OpenBitBtn = new QPushButton(this);
    OpenBitBtn->setObjectName(QStringLiteral("OpenBitBtn"));
    OpenBitBtn->setMinimumWidth(90);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OpenBitBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DoLabel);
    layout->addWidget(CheckListBox, 1);
    layout->addLayout(buttons);
    connect(OpenBitBtn, &QPushButton::clicked, this, &TExportForm::OpenBitBtnClick);
    FormCreate();
}

TExportForm::~TExportForm()
{
}

void TExportForm::FormCreate()
{
    setWindowTitle(texts_.text(2600));
    OpenBitBtn->setText(texts_.text(2601));
}

int TExportForm::ShowForExport(int headingText)
{
    DoLabel->setText(texts_.text(headingText));
    FormActivate(); // what the form does when it comes up
    return platform::dialogs().showModal(*this);
}

void TExportForm::FormActivate()
{
    platform::HourglassCursor hourglass;
    CheckListBox->clear();
    if (ShowRoot.isEmpty()) return;
    for (const show::ShowListing& show : show::ListShows(ShowRoot)) {
        auto* item = new QListWidgetItem(show.text(), CheckListBox);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, show.folder);
    }
}

QStringList TExportForm::CheckedFolders() const
{
    QStringList folders;
    for (int i = 0; i < CheckListBox->count(); ++i) {
        const QListWidgetItem* item = CheckListBox->item(i);
        if (item->checkState() == Qt::Checked) folders.append(item->data(Qt::UserRole).toString());
    }
    return folders;
}

bool TExportForm::HasCheckedShow()
{
    if (!CheckedFolders().isEmpty()) return true;
    platform::showInformation(texts_.text(10029));
    return false;
}

void TExportForm::OpenBitBtnClick()
{
    if (HasCheckedShow()) done(platform::mrOk);
}
