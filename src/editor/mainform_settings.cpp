// The main window's editor settings, the settings page's own controls and the hand-over of a
// show to the player.
#include "mainform.h"

#include "staging.h"
#include "tipform.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "controls/htmlistbox.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "platform/process.h"
#include "show/effectlist.h"
#include "show/showfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include "controls/htmlistbox.h"
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

void TMainForm::setColorPanel(QFrame* panel, platform::ColorRef color)
{
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, platform::colorToQColor(color));
    panel->setPalette(p);
}

void TMainForm::selectDriveInBox(const QString& letter)
{
    const QSignalBlocker block(DriveComboBox1);
    if (DriveComboBox1->count() == 0)
        for (QChar d : platform::DriveTable::instance().letters()) DriveComboBox1->addItem(QString(d.toLower()) + u':', QString(d));
    DriveComboBox1->setCurrentIndex(DriveComboBox1->findData(letter.left(1).toUpper()));
}

void TMainForm::LoadGeneratorSettings()
{
    const editor::EditorSettings s = editor::LoadEditorSettings(ProgramDir + QStringLiteral("Generator.ini"), ProgramDir);
    SecondsPerPicture = show::NormaliseSeconds(s.defaultTime);
    {
        const QSignalBlocker block(SecEdit);
        SecEdit->setText(SecondsPerPicture);
    }
    SourceFolder = s.sourceFolder;
    EndlessPlayCheckBox->setChecked(s.endlessPlay);
    FullscreenCheckBox->setChecked(s.fullscreen);
    FullscreenCheckBoxClick();
    ManuellCheckBox->setChecked(s.manuell);
    TextCheckBox->setChecked(s.pictureText);
    PictureNameCheckBox->setChecked(s.fileName);
    BKGColor = s.bkgColor;
    TextColor = s.textColor;
    ONRadioButton->setChecked(s.effectMode == QLatin1String("ON"));
    RNDRadioButton->setChecked(s.effectMode == QLatin1String("RANDOM"));
    OFFRadioButton->setChecked(s.effectMode == QLatin1String("OFF"));
    OFFRadioButtonClick();
    Effect = show::ClampEffect(s.effect, EffectList);
    TextOffset = s.textOffset;
    {
        const QSignalBlocker block1(SpinEdit1);
        const QSignalBlocker block2(SpinEdit2);
        SpinEdit1->setValue(Effect);
        SpinEdit2->setValue(TextOffset);
        TextOffset = SpinEdit2->value();
    }
    // A stored drive that is no letter runs on the default drive and is replaced at closing.
    const QString letter = editor::DriveLetterOf(s.drive);
    DriveLetter = letter.isEmpty() ? QString(editor::DefaultDrive) : letter;
    storedDrive_ = DriveLetter;
    selectDriveInBox(DriveLetter);
}

editor::EditorSettings TMainForm::CurrentSettings() const
{
    editor::EditorSettings s;
    s.defaultTime = show::NormaliseSeconds(SecondsPerPicture);
    s.sourceFolder = SourceFolder;
    s.endlessPlay = EndlessPlayCheckBox->isChecked();
    s.fullscreen = FullscreenCheckBox->isChecked();
    s.manuell = ManuellCheckBox->isChecked();
    s.pictureText = TextCheckBox->isChecked();
    s.fileName = PictureNameCheckBox->isChecked();
    s.bkgColor = BKGColor;
    s.textColor = TextColor;
    s.effectMode = ONRadioButton->isChecked() ? QStringLiteral("ON")
                   : RNDRadioButton->isChecked() ? QStringLiteral("RANDOM")
                                                 : QStringLiteral("OFF");
    s.effect = Effect;
    s.textOffset = TextOffset;
    s.drive = storedDrive_;
    return s;
}

void TMainForm::SaveGeneratorSettings()
{
    const QString generatorIni = ProgramDir + QStringLiteral("Generator.ini");
    if (!editor::SaveEditorSettings(generatorIni, CurrentSettings()))
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(generatorIni, platform::lastFileError()));
}

bool TMainForm::SaveShow(bool startPlayer)
{
    ShowTitle = TitleEdit->text();
    setWindowTitle(ShowTitle + QStringLiteral(" : ") + ProductInfo.Title);
    if (ShowTitle.trimmed().isEmpty()) {
        platform::showInformation(texts_.text(10001));
        return false;
    }
    if (QuorbelListBox->Count() == 0) {
        platform::showInformation(texts_.text(10002));
        return false;
    }
    platform::HourglassCursor hourglass;
    SecondsPerPicture = show::NormaliseSeconds(SecondsPerPicture);
    // A file that cannot be written (a full disk, a folder in its place) stops the hand-over:
    // the player would play what was there before.
    const QString settings = ShowRoot + QStringLiteral("Settings.ini");
    QString unwritten;
    if (!SavePictureList()) unwritten = ShowFolderPath() + QStringLiteral("Pictures.ini");
    else if (!show::WriteShowInfo(ShowFolderPath(), ShowTitle, SecondsPerPicture)) unwritten = ShowFolderPath() + QStringLiteral("Quorbel.ini");
    else if (!editor::WritePlayerSettings(settings, CurrentSettings())) unwritten = settings;
    if (!unwritten.isEmpty()) {
        platform::showError(QStringLiteral("Unable to write ") + unwritten);
        return false;
    }
    if (startPlayer) {
        const QString player = ShowRoot + editor::PlayerFileName(LanguageCode);
        // The show is saved, but it does not play: no word of a show that is playing follows.
        if (!platform::startProgram(player, QStringLiteral("TEST"), QString()).ok()) {
            platform::showError(QStringLiteral("Unable to start ") + player);
            return false;
        }
    }
    return true;
}

void TMainForm::DriveComboBox1Change()
{
    const QString letter = DriveComboBox1->currentData().toString();
    if (letter.isEmpty()) return;
    DriveLetter = letter;
    storedDrive_ = letter;
    PathButton->setVisible(true);
}

void TMainForm::FullscreenCheckBoxClick() { ManuellCheckBox->setVisible(FullscreenCheckBox->isChecked()); }

void TMainForm::OFFRadioButtonClick() { EffectPanel->setVisible(ONRadioButton->isChecked()); }

void TMainForm::TipsCheckBoxClick()
{
    const QString marker = ProgramDir + QStringLiteral("NoTip.ini");
    if (platform::fileExists(marker) && !platform::deleteFile(marker))
        platform::showError(QStringLiteral("Unable to delete %1: %2").arg(marker, platform::lastFileError()));
    tipForm().ShowTips();
}

void TMainForm::PathButtonClick()
{
    if (platform::confirm(texts_.text(10021))) {
        platform::showInformation(texts_.text(10022));
        SaveGeneratorSettings();
        close();
    } else {
        // Declined: the drive stays the one the shows live on, now and at the next start.
        const QString running = ShowRoot.left(1).toUpper();
        if (!running.isEmpty()) {
            DriveLetter = running;
            storedDrive_ = running;
        }
        selectDriveInBox(ShowRoot.left(1));
    }
}

void TMainForm::BKGColorButtonClick()
{
    if (const auto color = platform::dialogs().chooseColor(BKGColor)) {
        BKGColor = *color;
        setColorPanel(BKGColorPanel, BKGColor);
    }
}

void TMainForm::TextcolorButtonClick()
{
    if (const auto color = platform::dialogs().chooseColor(TextColor)) {
        TextColor = *color;
        setColorPanel(TextColorPanel, TextColor);
    }
}
