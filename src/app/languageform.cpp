#include "languageform.h"

#include "language.h"
#include "productinfo.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/textcodec.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

void TClickImage::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

namespace {

QPixmap LoadPicture(const QString& path)
{
    QPixmap pixmap;
    if (const auto bytes = platform::readFile(path, 16 * 1024 * 1024)) pixmap.loadFromData(*bytes);
    return pixmap;
}

} // namespace

QString TLanguageForm::BackgroundPictureName() { return QStringLiteral("language.jpg"); }

QString TLanguageForm::FlagPictureName(const QString& code) { return QStringLiteral("flag_") + code.toLower() + QStringLiteral(".png"); }

TLanguageForm::TLanguageForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("LanguageForm"));
    setWindowTitle(QStringLiteral("Language"));
    setFixedSize(449, 277);
    setAttribute(Qt::WA_QuitOnClose, false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 450, 300);

    TClickImage** flags[] = {&GERMANImage, &ENGLISHImage, &FRANCEImage, &ITALIANImage, &SPAINImage};
    const int lefts[] = {56, 128, 200, 272, 344};
    for (int i = 0; i < 5; ++i) {
        TClickImage* flag = new TClickImage(this);
        flag->setObjectName(QLatin1String(LanguageCodes[i]) + QStringLiteral("Image"));
        flag->setGeometry(lefts[i], 152, 45, 30);
        flag->setScaledContents(true);
        flag->setCursor(Qt::PointingHandCursor);
        *flags[i] = flag;
    }
    connect(GERMANImage, &TClickImage::clicked, this, &TLanguageForm::GERMANImageClick);
    connect(ENGLISHImage, &TClickImage::clicked, this, &TLanguageForm::ENGLISHImageClick);
    connect(FRANCEImage, &TClickImage::clicked, this, &TLanguageForm::FRANCEImageClick);
    connect(ITALIANImage, &TClickImage::clicked, this, &TLanguageForm::ITALIANImageClick);
    connect(SPAINImage, &TClickImage::clicked, this, &TLanguageForm::SPAINImageClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &TLanguageForm::Timer1Timer);

    FormCreate();

    const QString recom = ProgramDir + QStringLiteral("recom\\");
    Image1->setPixmap(LoadPicture(recom + BackgroundPictureName()));
    for (int i = 0; i < 5; ++i) (*flags[i])->setPixmap(LoadPicture(recom + FlagPictureName(QLatin1String(LanguageCodes[i]))));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void TLanguageForm::FormCreate()
{
    ChosenCode.clear();
    ProgramDir = ExecutableProgramDir();
}

void TLanguageForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Activation follows the showing, as the window becomes active.
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &TLanguageForm::FormActivate);
    }
}

void TLanguageForm::FormActivate()
{
    if (platform::fileExists(ProgramDir + QStringLiteral("LanguageIsSet.ini"))) {
        hide();
        AlreadySet = true;
        Timer1->start();
    }
}

void TLanguageForm::Timer1Timer()
{
    Timer1->stop();
    close();
}

void TLanguageForm::choose(const QString& code)
{
    ChosenCode = code;
    close();
}

void TLanguageForm::GERMANImageClick() { choose(QStringLiteral("GERMAN")); }
void TLanguageForm::ENGLISHImageClick() { choose(QStringLiteral("ENGLISH")); }
void TLanguageForm::FRANCEImageClick() { choose(QStringLiteral("FRANCE")); }
void TLanguageForm::ITALIANImageClick() { choose(QStringLiteral("ITALIAN")); }
void TLanguageForm::SPAINImageClick() { choose(QStringLiteral("SPAIN")); }

bool TLanguageForm::FormCloseQuery()
{
    if (!ChosenCode.isEmpty() || AlreadySet) return true;
    platform::showInformation(QStringLiteral("Please select your language!"));
    return false;
}

void TLanguageForm::FormClose()
{
    if (AlreadySet) return;
    // The marker is written only once the choice itself is stored: should the settings file
    // not be writable, the dialog asks again at the next start instead of leaving the choice lost.
    QString unwritten = ProgramDir + QStringLiteral("Generator.ini");
    if (platform::IniFile(unwritten).writeString(QStringLiteral("SETTINGS"), QStringLiteral("Language"), ChosenCode)) {
        unwritten = ProgramDir + QStringLiteral("LanguageIsSet.ini");
        if (platform::writeTextLines(unwritten, {ChosenCode})) return;
    }
    platform::showError(QStringLiteral("Unable to write %1: %2").arg(unwritten, platform::lastFileError()));
}

void TLanguageForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QDialog::reject(); // hides the dialog and ends its modal loop
    event->accept();
}

// The Escape key closes the dialog like its close box, under the same rule.
void TLanguageForm::reject()
{
    close();
}
