#include "printsizewizard.h"

#include "pictures.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/rounding.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

int TPrintSizeWizard::WidthForCm(double cm) { return platform::roundHalfEven(cm * 495.0 / 13.0); }

TPrintSizeWizard::TPrintSizeWizard(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("PrintSizeWizard"));
    auto name = [](QWidget* w, const char* n) {
        w->setObjectName(QLatin1String(n));
        return w;
    };
    Image1 = new QLabel(this);
    name(Image1, "Image1");
    Label3 = new QLabel(this);
    name(Label3, "Label3");
    Label3->setWordWrap(true);
    FormatAnpassungGroupBox1 = new QGroupBox(this);
    name(FormatAnpassungGroupBox1, "FormatAnpassungGroupBox1");
    RadioButton9_13 = new QRadioButton(FormatAnpassungGroupBox1);
    name(RadioButton9_13, "RadioButton9_13");
    RadioButton10_15 = new QRadioButton(FormatAnpassungGroupBox1);
    name(RadioButton10_15, "RadioButton10_15");
    RadioButton13_18 = new QRadioButton(FormatAnpassungGroupBox1);
    name(RadioButton13_18, "RadioButton13_18");
    RadioButton_Frei = new QRadioButton(FormatAnpassungGroupBox1);
    name(RadioButton_Frei, "RadioButton_Frei");
    SizePanel = new QFrame(FormatAnpassungGroupBox1);
    name(SizePanel, "SizePanel");
    Label1 = new QLabel(SizePanel);
    name(Label1, "Label1");
    Edit1 = new QLineEdit(SizePanel);
    name(Edit1, "Edit1");
    TextCheckBox = new QCheckBox(this);
    name(TextCheckBox, "TextCheckBox");
    SaveBitBtn = new QPushButton(this);
    name(SaveBitBtn, "SaveBitBtn");
    SaveBitBtn->setDefault(true);
    AbortBitBtn = new QPushButton(this);
    name(AbortBitBtn, "AbortBitBtn");

    auto* sizeRow = new QHBoxLayout(SizePanel);
    sizeRow->setContentsMargins(20, 0, 0, 0);
    sizeRow->addWidget(Label1);
    sizeRow->addWidget(Edit1);
    auto* group = new QVBoxLayout(FormatAnpassungGroupBox1);
    for (QWidget* w : std::initializer_list<QWidget*>{RadioButton9_13, RadioButton10_15, RadioButton13_18, RadioButton_Frei, SizePanel})
        group->addWidget(w);
    auto* right = new QVBoxLayout;
    right->addWidget(Label3);
    right->addWidget(FormatAnpassungGroupBox1);
    right->addWidget(TextCheckBox);
    right->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SaveBitBtn);
    buttons->addWidget(AbortBitBtn);
    right->addLayout(buttons);
    auto* top = new QHBoxLayout(this);
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(right, 1);

    connect(RadioButton9_13, &QRadioButton::clicked, this, &TPrintSizeWizard::RadioButton9_13Click);
    connect(RadioButton10_15, &QRadioButton::clicked, this, &TPrintSizeWizard::RadioButton10_15Click);
    connect(RadioButton13_18, &QRadioButton::clicked, this, &TPrintSizeWizard::RadioButton13_18Click);
    connect(RadioButton_Frei, &QRadioButton::clicked, this, &TPrintSizeWizard::RadioButton_FreiClick);
    connect(Edit1, &QLineEdit::textChanged, this, &TPrintSizeWizard::Edit1Change);
    connect(SaveBitBtn, &QPushButton::clicked, this, &TPrintSizeWizard::SaveBitBtnClick);
    connect(AbortBitBtn, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    FormCreate();
}

TPrintSizeWizard::~TPrintSizeWizard()
{
}

void TPrintSizeWizard::FormCreate()
{
    RadioButton9_13->setChecked(true);
    RadioButton9_13Click();
    Image1->setPixmap(editor::LoadWindowPicture(ProductInfo.ProgramDir + QStringLiteral("recom\\") + ProductInfo.WizardPicture));
    setWindowTitle(texts_.text(6600));
    Label3->setText(texts_.text(6601));
    FormatAnpassungGroupBox1->setTitle(texts_.text(6602));
    RadioButton9_13->setText(texts_.text(6603));
    RadioButton10_15->setText(texts_.text(6604));
    RadioButton13_18->setText(texts_.text(6605));
    RadioButton_Frei->setText(texts_.text(6606));
    TextCheckBox->setText(texts_.text(6607));
    SaveBitBtn->setText(texts_.text(6608));
    AbortBitBtn->setText(texts_.text(6609));
    Label1->setText(texts_.text(6610));
}

void TPrintSizeWizard::setPrintWidth(int width)
{
    PrintWidth = width;
}

void TPrintSizeWizard::RadioButton9_13Click()
{
    SizePanel->setVisible(false);
    setPrintWidth(495);
}

void TPrintSizeWizard::RadioButton10_15Click()
{
    SizePanel->setVisible(false);
    setPrintWidth(571);
}

void TPrintSizeWizard::RadioButton13_18Click()
{
    SizePanel->setVisible(false);
    setPrintWidth(686);
}

void TPrintSizeWizard::RadioButton_FreiClick() { SizePanel->setVisible(true); }

void TPrintSizeWizard::Edit1Change()
{
    bool ok = false;
    const double value = QLocale().toDouble(Edit1->text().trimmed(), &ok);
    // A width that is no number, or none a picture can have (zero, negative, endless), falls
    // back to 9 x 13.
    if (!ok || !std::isfinite(value) || value <= 0) {
        platform::showInformation(texts_.text(6611));
        setPrintWidth(495);
        return;
    }
    FreeWidthCm = value;
    setPrintWidth(WidthForCm(value));
}

void TPrintSizeWizard::SaveBitBtnClick()
{
    PrintCaptions = TextCheckBox->isChecked();
    done(platform::mrOk);
}

int TPrintSizeWizard::Execute() { return platform::dialogs().showModal(*this); }
