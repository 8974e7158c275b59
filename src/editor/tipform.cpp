#include "tipform.h"

#include "pictures.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/textcodec.h"
#include "util/strutils.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QString tipFolder(const QString& code)
{
    if (code == QLatin1String("ENGLISH")) return QStringLiteral("tips_EN\\");
    if (code == QLatin1String("FRANCE")) return QStringLiteral("tips_FR\\");
    if (code == QLatin1String("ITALIAN")) return QStringLiteral("tips_IT\\");
    if (code == QLatin1String("SPAIN")) return QStringLiteral("tips_SP\\");
    return QStringLiteral("tips_GR\\");
}
} // namespace

QString TipFileName(const QString& languageCode, int number)
{
    return tipFolder(languageCode) + PadLeftChar(QString::number(number), u'0', 4) + QStringLiteral(".tpp");
}

TTipForm::TTipForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("TipForm"));
    resize(520, 300);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CloseBitBtn = new QPushButton(this);
    CloseBitBtn->setObjectName(QStringLiteral("CloseBitBtn"));
    NextTipBitBtn = new QPushButton(this);
    NextTipBitBtn->setObjectName(QStringLiteral("NextTipBitBtn"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, Qt::AlignTop);
    grid->addWidget(Memo1, 0, 1, 1, 3);
    grid->addWidget(CheckBox1, 1, 0, 1, 2);
    grid->addWidget(NextTipBitBtn, 1, 2);
    grid->addWidget(CloseBitBtn, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(NextTipBitBtn, &QPushButton::clicked, this, &TTipForm::NextTipBitBtnClick);
    connect(CloseBitBtn, &QPushButton::clicked, this, [this] {
        CloseBitBtnClick();
        done(platform::mrOk);
    });
    FormCreate();
}

TTipForm::~TTipForm()
{
}

void TTipForm::FormCreate()
{
    CheckBox1->setText(texts_.text(4800));
    CloseBitBtn->setText(texts_.text(4801));
    NextTipBitBtn->setText(texts_.text(4802));
    setWindowTitle(texts_.text(4803));
    const QPixmap picture = editor::LoadWindowPicture(ProductInfo.ProgramDir + QStringLiteral("recom\\") + ProductInfo.WizardPicture);
    if (!picture.isNull()) Image1->setPixmap(picture.scaledToWidth(120, Qt::SmoothTransformation));
}

int TTipForm::ShowTips()
{
    FormActivate();
    return platform::dialogs().showModal(*this);
}

void TTipForm::FormActivate()
{
    TipNumber = 0;
    NextTipBitBtn->setEnabled(true);
    ShowNextTip();
}

void TTipForm::ShowNextTip()
{
    ++TipNumber;
    const QString file = ProductInfo.ProgramDir + TipFileName(LanguageCode, TipNumber);
    const auto bytes = platform::fileExists(file) ? platform::readFile(file, 1024 * 1024) : std::nullopt;
    if (bytes) Memo1->setPlainText(platform::splitLines(platform::fromWindows1252(*bytes)).join(u'\n'));
    else NextTipBitBtn->setEnabled(false);
}

void TTipForm::NextTipBitBtnClick() { ShowNextTip(); }

void TTipForm::CloseBitBtnClick()
{
    const QString marker = ProductInfo.ProgramDir + QStringLiteral("NoTip.ini");
    if (CheckBox1->isChecked() && !platform::writeFileReplacing(marker, QByteArray()))
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(marker, platform::lastFileError()));
}
