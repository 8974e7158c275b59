#include "app/language_menu.h"
#include "app_fixture.h"
#include "platform/inifile.h"
#include "platform/textcodec.h"
#include "support/filesizelimit.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using platform::MessageKind;

namespace {

const QString smallTable = QString::fromUtf8(
    "[GERMAN]\r\n"
    "1=Über $PRG_NAME$\r\n"
    "2=Ende von $prg_name$.\r\n"
    "3=$PRG_NAME$ und $PRG_NAME$\r\n"
    "4=Größe ß $Prg_Name$ ß\r\n"
    "5=ohne Platzhalter\r\n"
    "6=\r\n"
    "[ENGLISH]\r\n"
    "1=About $PRG_NAME$\r\n");

} // namespace

TEST_F(AppTest, LangTextPutsTheProductNameInPlaceOfTheFirstPlaceholder)
{
    writeLanguage("GERMAN");
    writeProgramFile("Language.ini", platform::toWindows1252(smallTable));
    const struct {
        const char* exe;
        int number;
        const char* text;
    } cases[] = {
        {"quorbel_pro", 1, "Über Quorbel pro"},
        {"quorbel_pro", 2, "Ende von Quorbel pro."},                 // lower-case placeholder
        {"quorbel_pro", 3, "Quorbel pro und $PRG_NAME$"},            // only the first one
        {"quorbel_pro", 4, "Größe ß Quorbel pro ß"},                // "ß" before it keeps the position
        {"quorbel_pro", 5, "ohne Platzhalter"},
        {"quorbel_pro", 6, ""},
        {"quorbel_pro", 7, ""},                                      // missing number
        {"qzt-quorbel", 1, "Über Quorbel pro"},                      // never with the prefix
        {"setup", 1, "Über Quorbelix pro"},
        {"setup", 4, "Größe ß Quorbelix pro ß"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.exe) + " " + std::to_string(c.number));
        runAs(QString::fromLatin1(c.exe));
        DetermineProductInfo();
        EXPECT_EQ(LangText(c.number), QString::fromUtf8(c.text));
    }
    writeLanguage("ENGLISH");
    DetermineProductInfo();
    EXPECT_EQ(LangText(1), "About Quorbelix pro");
    EXPECT_EQ(LangText(2), "");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(AppTest, MissingGeneratorIniIsReportedAndGermanIsUsed)
{
    writeProgramFile("Language.ini", "[GERMAN]\r\n1=eins\r\n[ENGLISH]\r\n1=one\r\n");
    LoadLanguageTable();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].text, world.programDir() + "Generator.ini nicht gefunden!");
    EXPECT_EQ(LanguageCode, "GERMAN");
    EXPECT_EQ(LangText(1), "eins");
}

TEST_F(AppTest, MissingLanguageIniIsReportedAndTextsAreEmpty)
{
    writeLanguage("ENGLISH");
    LoadLanguageTable();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].text, world.programDir() + "Language.ini nicht gefunden!");
    EXPECT_EQ(LanguageCode, "ENGLISH");
    EXPECT_EQ(LangText(518), "");
}

TEST_F(AppTest, StoredLanguageCodeIsOneOfTheFive)
{
    writeProgramFile("Language.ini", "[GERMAN]\r\n1=eins\r\n[SPAIN]\r\n1=uno\r\n");
    const struct {
        const char* stored;
        const char* code;
    } cases[] = {
        {"SPAIN", "SPAIN"}, {"spain", "SPAIN"}, {" France ", "FRANCE"},
        // A hand-edited value that names no language would leave every text empty.
        {"KLINGON", "GERMAN"}, {"", "GERMAN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        writeLanguage(c.stored);
        LoadLanguageTable();
        EXPECT_EQ(LanguageCode, QString::fromLatin1(c.code));
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The standard buttons of the framework's boxes speak the chosen language, as the texts do.
TEST_F(AppTest, StandardButtonsFollowTheChosenLanguage)
{
    writeProgramFile("Language.ini", "[GERMAN]\r\n1=Nein\r\n");
    struct Case {
        const char* code;
        const char* yes;
        const char* no;
        const char* cancel;
    };
    for (const Case& c : {Case{"GERMAN", "&Ja", "&Nein", "Abbrechen"}, Case{"FRANCE", "&Oui", "&Non", "Annuler"},
                          Case{"ITALIAN", "&S\u00ec", "&No", "Annulla"}, Case{"SPAIN", "&S\u00ed", "&No", "Cancelar"},
                          Case{"ENGLISH", "&Yes", "&No", "Cancel"}}) {
        writeLanguage(c.code);
        LoadLanguageTable();
        ASSERT_EQ(LanguageCode, c.code);
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8(c.yes)) << c.code;
        EXPECT_EQ(box.button(QMessageBox::No)->text(), QString::fromUtf8(c.no)) << c.code;
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8(c.cancel)) << c.code;
    }
}

TEST(LanguageMenu, ItemsHaveFixedCaptionsTagsAndCodes)
{
    const LanguageMenuItem* items = LanguageMenuItems();
    const char* names[] = {"Deutsch1", "English1", "France1", "Italian1", "Spain1"};
    const char* captions[] = {"Deutsch", "English", "François", "Italiano", "Español"};
    for (int i = 0; i < LanguageMenuItemCount; ++i) {
        EXPECT_STREQ(items[i].name, names[i]);
        EXPECT_EQ(items[i].caption, QString::fromUtf8(captions[i]));
        EXPECT_EQ(items[i].tag, i + 1);
        EXPECT_STREQ(items[i].code, LanguageCodes[i]);
        EXPECT_EQ(LanguageMenuTag(QLatin1String(LanguageCodes[i])), i + 1);
    }
    EXPECT_EQ(LanguageMenuTag("KLINGON"), 0);
}

namespace {

class CountingWindow : public QMainWindow {
public:
    int closes = 0;
protected:
    void closeEvent(QCloseEvent* e) override
    {
        ++closes;
        QMainWindow::closeEvent(e);
    }
};

} // namespace

// A menu click stores the code, says so and ends the message loop, without the main window's
// closing steps; the marker is left alone; the next start reads the new code.
TEST_F(AppTest, LanguageMenuStoresTheCodeAndEndsTheProgram)
{
    const struct {
        int tag;
        const char* code;
        const char* message;
    } cases[] = {
        {1, "GERMAN", "Starten Sie die Software nun neu!\r\rPlease restart the software!"},
        {2, "ENGLISH", "Please restart the software!"},
        {3, "FRANCE", "Veuillez remettre en marche le software!\r\rPlease restart the software!"},
        {4, "ITALIAN", "Ricominciare prego il software!\r\rPlease restart the software!"},
        {5, "SPAIN", "Recomenzar por favor el software!\r\rPlease restart the software!"},
    };
    writeProgramFile("Generator.ini", "[SETTINGS]\r\nDrive=D\r\nLanguage=GERMAN\r\nDefaultTime=5\r\n");
    writeProgramFile("LanguageIsSet.ini", "GERMAN\r\n");
    writeProgramFile("Language.ini", "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        dialogs.clear();
        CountingWindow main;
        main.show();
        QTimer::singleShot(0, [&] { LanguageMenuClick(c.tag); });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        guard.start(5000);
        EXPECT_EQ(QCoreApplication::exec(), 0);
        EXPECT_EQ(main.closes, 0);
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Information);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(readProgramFile("Generator.ini"),
                  QByteArray("[SETTINGS]\r\nDrive=D\r\nLanguage=") + c.code + "\r\nDefaultTime=5\r\n");
        LoadLanguageTable();
        EXPECT_EQ(LanguageCode, QString::fromLatin1(c.code));
    }
    EXPECT_EQ(readProgramFile("LanguageIsSet.ini"), "GERMAN\r\n");
}

TEST_F(AppTest, LanguageMenuSaysSoWhenTheChoiceCannotBeStored)
{
    writeProgramFile("Generator.ini", "[SETTINGS]\r\nDrive=D\r\nLanguage=GERMAN\r\nDefaultTime=5\r\n");
    {
        testsupport::FileSizeLimit full(16); // the settings file no longer fits
        LanguageMenuClick(2);
    }
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains("Generator.ini")) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nDrive=D\r\nLanguage=GERMAN\r\nDefaultTime=5\r\n");
}

TEST_F(AppTest, LanguageMenuIgnoresAnUnknownTag)
{
    writeLanguage("SPAIN");
    for (int tag : {0, 6, -1}) LanguageMenuClick(tag);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nLanguage=SPAIN\r\n");
}
