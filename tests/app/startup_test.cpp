#include "app/languageform.h"
#include "app/startup.h"
#include "app_fixture.h"
#include "app/windowregistry.h"

#include <QFile>
#include <QMainWindow>
#include <QTimer>

using platform::MessageKind;

namespace {

const QStringList windowOrder = {
    "MainForm",   "AboutBox",        "OpenForm",       "NewForm",         "NoDriverForm", "MakeWizzard",   "DVDForm",
    "DVDWizardForm", "PixEffectsForm", "PainterEffectsF", "QRListForm",   "TipForm",      "FullsizeForm",  "HTMLForm",
    "WaveForm",   "CheckAudioForm",  "ExportForm",     "AnweisungForm",   "PrintSizeWizard", "PrintSelectForm",
};

QStringList namesOf(const ApplicationWindows& app)
{
    QStringList names;
    for (const auto& w : app.windows()) names.append(w->objectName());
    return names;
}

} // namespace

class StartUpTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        world.copyBuiltProgram();
    }

    // The language dialog as the user meets it: shown, then (unless it closes itself) a flag.
    void scriptLanguageDialog(void (TLanguageForm::*flag)() = nullptr)
    {
        dialogs.modalScript.push_back([this, flag](QDialog& d) {
            auto& form = static_cast<TLanguageForm&>(d);
            form.show();
            settle();
            sawAlreadySet = form.AlreadySet;
            if (flag) (form.*flag)();
            return int(platform::mrCancel);
        });
    }
    bool sawAlreadySet = false;
};

TEST_F(StartUpTest, FirstStartAsksForTheLanguageFirstThenCreatesEveryWindow)
{
    scriptLanguageDialog(&TLanguageForm::GERMANImageClick);
    const auto app = StartUp();
    EXPECT_EQ(dialogs.modalForms, QStringList{"LanguageForm"});
    EXPECT_FALSE(sawAlreadySet);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
    EXPECT_EQ(readProgramFile("Generator.ini"), "[SETTINGS]\r\nLanguage=GERMAN\r\n");
    EXPECT_EQ(readProgramFile("LanguageIsSet.ini"), "GERMAN\r\n");
    EXPECT_EQ(LanguageCode, "GERMAN");

    EXPECT_EQ(namesOf(*app), windowOrder);
    EXPECT_EQ(QStringList(ApplicationWindowNames().begin(), ApplicationWindowNames().end()), windowOrder);
    // Every window of the order is found through the registry, also those without a maker.
    for (const auto& w : app->windows())
        EXPECT_EQ(WindowRegistry::named(w->objectName()), w.get()) << w->objectName().toStdString();
    ASSERT_NE(app->mainForm(), nullptr);
    EXPECT_EQ(app->mainForm()->windowTitle(), "Quorbel pro");
    EXPECT_TRUE(app->mainForm()->isVisible());
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("OpenForm"))->windowTitle(), "Diashows");
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("AboutBox"))->windowTitle(), "Quorbel pro");
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("CheckAudioForm"))->windowTitle(), "Audio Info");
    for (const auto& w : app->windows())
        if (w.get() != app->mainForm()) {
            EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
        }
    // The language dialog stays, hidden, for the whole run.
    ASSERT_NE(app->languageForm(), nullptr);
    EXPECT_FALSE(app->languageForm()->isVisible());
}

TEST_F(StartUpTest, LaterStartSkipsTheChoiceAndUsesTheStoredLanguage)
{
    runAs("setup");
    writeLanguage("ENGLISH");
    writeProgramFile("LanguageIsSet.ini", "ENGLISH\r\n");
    scriptLanguageDialog();
    const auto app = StartUp();
    EXPECT_TRUE(sawAlreadySet);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(app->mainForm()->windowTitle(), "Quorbelix pro");
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("OpenForm"))->windowTitle(), "Shows");
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("MakeWizzard"))->windowTitle(), "Make show");
    EXPECT_EQ(ProductInfo.HelpFolder, "help_EN\\");
}

TEST_F(StartUpTest, MissingTextTableIsReportedAndStartUpGoesOn)
{
    QFile::remove(world.programHost() + "/Language.ini");
    writeLanguage("GERMAN");
    writeProgramFile("LanguageIsSet.ini", "GERMAN\r\n");
    scriptLanguageDialog();
    const auto app = StartUp();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].text, world.programDir() + "Language.ini nicht gefunden!");
    EXPECT_EQ(namesOf(*app), windowOrder);
    EXPECT_EQ(app->mainForm()->windowTitle(), "Quorbel pro");
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("OpenForm"))->windowTitle(), "");
}

TEST_F(StartUpTest, MissingSettingsAreReportedAndGermanIsUsed)
{
    writeProgramFile("LanguageIsSet.ini", "ENGLISH\r\n");
    scriptLanguageDialog();
    const auto app = StartUp();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, world.programDir() + "Generator.ini nicht gefunden!");
    EXPECT_EQ(LanguageCode, "GERMAN");
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("OpenForm"))->windowTitle(), "Diashows");
}

TEST_F(StartUpTest, EveryWindowCaptionExistsInEveryLanguage)
{
    const QStringList captioned = {"MainForm", "AboutBox", "OpenForm", "NewForm", "NoDriverForm", "MakeWizzard",
                                   "DVDWizardForm", "TipForm", "FullsizeForm", "CheckAudioForm", "ExportForm",
                                   "AnweisungForm", "PrintSizeWizard"};
    for (const char* code : LanguageCodes) {
        SCOPED_TRACE(code);
        writeLanguage(code);
        DetermineProductInfo();
        for (const auto& w : CreateApplicationWindows())
            if (captioned.contains(w->objectName())) {
                EXPECT_FALSE(w->windowTitle().isEmpty()) << w->objectName().toStdString();
            }
    }
}

TEST_F(StartUpTest, ClosingTheMainWindowEndsTheProgram)
{
    writeLanguage("GERMAN");
    writeProgramFile("LanguageIsSet.ini", "GERMAN\r\n");
    scriptLanguageDialog();
    const auto app = StartUp();
    QTimer::singleShot(0, app->mainForm(), &QWidget::close);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}
