#include "imaging/twainsourcedialog.h"

#include "platform/dialogs.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace imaging {

TwainSourceDialog::TwainSourceDialog(QWidget* parent, const QList<sdk::TwainSource>& sources, const QString& current)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TwainSourceDialog"));
    setWindowTitle(QStringLiteral("Select Source"));
    SourceList = new QListWidget(this);
    SourceList->setObjectName(QStringLiteral("SourceList"));
    for (const sdk::TwainSource& s : sources) {
        auto* item = new QListWidgetItem(s.description, SourceList);
        item->setData(Qt::UserRole, s.name);
        if (s.name == current) SourceList->setCurrentItem(item);
    }
    if (!SourceList->currentItem() && SourceList->count() > 0) SourceList->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(SourceList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SourceList);
    layout->addWidget(buttons);
}

QString TwainSourceDialog::chosen() const
{
    const QListWidgetItem* item = SourceList->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toString() : QString();
}

void installTwainSourceDialog()
{
    sdk::SetTwainSourceChooser([](QWidget* window, const QList<sdk::TwainSource>& sources, const QString& current) {
        TwainSourceDialog dialog(window, sources, current);
        if (platform::dialogs().showModal(dialog) != platform::mrOk) return QString();
        return dialog.chosen();
    });
}

} // namespace imaging
