#include "newform.h"

#include "app/language.h"
#include "platform/dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TNewForm::TNewForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("NewForm"));
    resize(400, 130);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn1->setAutoDefault(false);
    BitBtn2->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addStretch();
    layout->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(platform::mrOk); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(platform::mrAbort); });
    for (QWidget* w : {static_cast<QWidget*>(Edit1), static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtn2)})
        w->installEventFilter(this);
    FormCreate();
}

TNewForm::~TNewForm()
{
}

void TNewForm::FormCreate()
{
    Label1->setText(texts_.text(1800));
    BitBtn1->setText(texts_.text(1801));
    BitBtn2->setText(texts_.text(1802));
    setWindowTitle(texts_.text(1803));
}

void TNewForm::FormKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) done(platform::mrOk);
    else if (key == Qt::Key_Escape) done(platform::mrAbort);
}

bool TNewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            FormKeyDown(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TNewForm::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) FormKeyDown(key);
    else QDialog::keyPressEvent(event);
}
