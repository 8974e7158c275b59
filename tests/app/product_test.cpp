#include "app_fixture.h"

#include "platform/dialogs.h"
#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

using testsupport::runHost;

namespace {

struct NameCase {
    const char* exeName;
    const char* title;
    bool english;
};

} // namespace

TEST_F(AppTest, TitleFollowsTheExecutableName)
{
    writeLanguage("GERMAN");
    writeProgramFile("Language.ini", "[GERMAN]\r\n1=x\r\n");
    const NameCase cases[] = {
        {"quorbel_pro", "Quorbel pro", false},
        {"qzt-quorbel", "QZT Quorbel pro", false},
        {"setup", "Quorbelix pro", true},
        {"QUORBEL.EXE", "Quorbel pro", false},     // the product word without regard to case
        {"qztQuorbel.exe", "QZT Quorbel pro", false}, // the prefix in lower case counts too
        {"qzt-setup", "Quorbelix pro", true},      // the prefix alone makes no German product
        {"quorbelix", "Quorbel pro", false},       // holds the product word
        {"quorbe", "Quorbelix pro", true},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.exeName);
        runAs(QString::fromLatin1(c.exeName));
        DetermineProductInfo();
        EXPECT_EQ(ProductInfo.Title, QString::fromLatin1(c.title));
        EXPECT_EQ(ProductInfo.EnglishProduct, c.english);
        // Boxes and windows without a caption of their own name the product, not the executable.
        EXPECT_EQ(QGuiApplication::applicationDisplayName(), QString::fromLatin1(c.title));
        EXPECT_EQ(platform::messageCaption(), QString::fromLatin1(c.title));
        EXPECT_EQ(ProductInfo.ProgramDir, world.programDir());
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(AppTest, HelpFolderFollowsTheLanguageNotTheTitle)
{
    writeProgramFile("Language.ini", "");
    const struct {
        const char* exe;
        const char* code;
        const char* folder;
    } cases[] = {
        {"quorbel_pro", "GERMAN", "help_GR\\"}, {"setup", "GERMAN", "help_GR\\"},
        {"quorbel_pro", "FRANCE", "help_EN\\"}, {"quorbel_pro", "ENGLISH", "help_EN\\"},
        {"setup", "ITALIAN", "help_EN\\"},      {"qzt-quorbel", "SPAIN", "help_EN\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.exe) + " " + c.code);
        runAs(QString::fromLatin1(c.exe));
        writeLanguage(c.code);
        DetermineProductInfo();
        EXPECT_EQ(LanguageCode, QString::fromLatin1(c.code));
        EXPECT_EQ(ProductInfo.HelpFolder, QString::fromLatin1(c.folder));
    }
}

TEST_F(AppTest, ProductDataNamesThePicturesAndTheHelpPage)
{
    writeLanguage("GERMAN");
    writeProgramFile("Language.ini", "");
    writeProgramFile("ver.ini", "Version 2.5 Build 7\r\nsecond line\r\n");
    DetermineProductInfo();
    EXPECT_EQ(ProductInfo.VersionText, "Version 2.5 Build 7");
    EXPECT_EQ(ProductInfo.AboutPicture, "m_about.jpg");
    EXPECT_EQ(ProductInfo.WizardPicture, "wizard.jpg");
    EXPECT_EQ(ProductInfo.MainPicture, "m_program.jpg");
    EXPECT_EQ(ProductInfo.HelpFile, "help.html");
    EXPECT_EQ(ProductInfo.MakerName, "TORVELD");
    EXPECT_FALSE(ProductInfo.WebAddress.isEmpty());
    EXPECT_TRUE(ProductInfo.MailAddress.contains('@'));
    // Message boxes carry the product title from here on.
    EXPECT_EQ(platform::messageCaption(), "Quorbel pro");
}

TEST_F(AppTest, MissingOrEmptyVersionFileGivesAnEmptyVersionText)
{
    writeLanguage("GERMAN");
    writeProgramFile("Language.ini", "");
    for (const char* content : {static_cast<const char*>(nullptr), "", "\r\n"}) {
        SCOPED_TRACE(content ? content : "(missing)");
        QFile::remove(world.programHost() + "/ver.ini");
        if (content) writeProgramFile("ver.ini", content);
        ProductInfo.VersionText = "stale";
        DetermineProductInfo();
        EXPECT_EQ(ProductInfo.VersionText, "");
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The built program, copied, hard-linked and linked symbolically under other names into program
// folders of their own, tells its product from its own file name.
TEST_F(AppTest, BuiltProgramTakesItsTitleFromItsFileName)
{
    world.copyBuiltProgram();
    const QString built = world.programHost() + "/quorbel_pro";
    ASSERT_TRUE(QFile::exists(built));
    writeLanguage("FRANCE");

    auto makeFolder = [&](const QString& name) {
        const QString dir = world.root() + "/" + name;
        QDir().mkpath(dir);
        QFile::copy(world.programHost() + "/Generator.ini", dir + "/Generator.ini");
        QFile::copy(world.programHost() + "/Language.ini", dir + "/Language.ini");
        QFile::copy(world.programHost() + "/ver.ini", dir + "/ver.ini");
        return dir;
    };
    const QString copied = makeFolder("copied");
    ASSERT_TRUE(QFile::copy(built, copied + "/quorbel_pro"));
    QFile(copied + "/quorbel_pro").setPermissions(QFile(built).permissions());
    const QString linked = makeFolder("linked");
    int status = -1;
    runHost("ln '" + built + "' '" + linked + "/qzt-quorbel'", &status);
    ASSERT_EQ(status, 0);
    const QString setupDir = makeFolder("setupdir");
    ASSERT_TRUE(QFile::copy(built, setupDir + "/setup"));
    QFile(setupDir + "/setup").setPermissions(QFile(built).permissions());
    // A symbolic link resolves to its target: the program lives where the target lies.
    const QString symDir = makeFolder("symlinked");
    ASSERT_TRUE(QFile::link(copied + "/quorbel_pro", symDir + "/setup"));

    const struct {
        QString exe;
        const char* title;
        QString hostDir;
    } cases[] = {
        {copied + "/quorbel_pro", "Quorbel pro", copied},
        {linked + "/qzt-quorbel", "QZT Quorbel pro", linked},
        {setupDir + "/setup", "Quorbelix pro", setupDir},
        {symDir + "/setup", "Quorbel pro", copied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exe.toStdString());
        const QString out = runHost("QT_QPA_PLATFORM=offscreen QUORBEL_PRINT_PRODUCT_INFO=1 '" + c.exe + "'", &status);
        ASSERT_EQ(status, 0) << out.toStdString();
        const QStringList lines = out.split('\n');
        EXPECT_TRUE(lines.contains(QString("Title=") + c.title)) << out.toStdString();
        EXPECT_TRUE(lines.contains("ProgramDir=" + platform::toWindowsPath(c.hostDir) + "\\")) << out.toStdString();
        EXPECT_TRUE(lines.contains("HelpFolder=help_EN\\")) << out.toStdString();
        EXPECT_TRUE(lines.contains("VersionText=Version 1.0.0")) << out.toStdString();
    }
}

// A drive table that leaves the program's folder out: the program reaches it through Z: = "/",
// or, with Z: taken, refuses to start and names the variable instead of running without texts.
TEST_F(AppTest, BuiltProgramReachesItsFolderWhateverTheDriveTable)
{
    world.copyBuiltProgram();
    writeLanguage("ENGLISH");
    const QString exe = world.programHost() + "/quorbel_pro";
    ASSERT_TRUE(QFile::exists(exe));
    const QString other = world.root() + "/other";
    QDir().mkpath(other);
    const QString run = "cd '" + other + "' && QT_QPA_PLATFORM=offscreen QUORBEL_PRINT_PRODUCT_INFO=1 QUORBEL_DRIVES=";
    int status = -1;
    QString out = runHost(run + "'C=" + other + "' '" + exe + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(out.split('\n').contains("ProgramDir=Z:" + QDir::toNativeSeparators(world.programHost()).replace('/', '\\') + "\\"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("VersionText=Version 1.0.0")) << out.toStdString();

    out = runHost(run + "'C=" + other + ";Z=" + other + "' '" + exe + "' 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(out.contains("QUORBEL_DRIVES")) << out.toStdString();
}

// What the product data names is delivered beside the program.
TEST_F(AppTest, DeliveredProgramHoldsTheNamedPicturesAndHelpPages)
{
    world.copyBuiltProgram();
    for (const char* exe : {"quorbel_pro", "setup"}) {
        for (const char* code : {"GERMAN", "ENGLISH"}) {
            SCOPED_TRACE(std::string(exe) + " " + code);
            runAs(QString::fromLatin1(exe));
            writeLanguage(code);
            DetermineProductInfo();
            EXPECT_FALSE(ProductInfo.VersionText.isEmpty());
            for (const QString& picture : {ProductInfo.AboutPicture, ProductInfo.WizardPicture, ProductInfo.MainPicture}) {
                const QImage image(world.programHost() + "/recom/" + picture);
                EXPECT_FALSE(image.isNull()) << picture.toStdString();
            }
            const QString help = world.programHost() + "/" + QString(ProductInfo.HelpFolder).replace('\\', '/');
            EXPECT_TRUE(QFile::exists(help + ProductInfo.HelpFile));
            EXPECT_TRUE(QFile::exists(help + "vcd.html"));
        }
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
