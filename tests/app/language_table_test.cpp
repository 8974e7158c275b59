// The delivered text table: complete in all five languages, and clean Windows-1252.
#include "app_fixture.h"
#include "platform/inifile.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <set>

using testsupport::runHost;

namespace {

QString builtTable() { return qEnvironmentVariable("QUORBEL_PROGRAM_BUILD_DIR") + "/Language.ini"; }

// Every text number the program's windows, messages and player use.
std::set<int> requiredNumbers()
{
    const std::pair<int, int> ranges[] = {
        {518, 531},     {533, 534},     {585, 613},     {1001, 1011},   {1100, 1122},  {1500, 1511},
        {1800, 1803},   {2000, 2011},   {2400, 2404},   {2600, 2603},   {2800, 2807},  {3000, 3011},
        {3500, 3514},   {3700, 3705},   {4200, 4206},   {4600, 4626},   {4800, 4803},  {5000, 5000},
        {5200, 5207},   {6000, 6003},   {6200, 6206},   {6400, 6400},   {6600, 6611},  {6700, 6701},
        {10000, 10023}, {10026, 10029}, {10031, 10031}, {12001, 12008}, {14000, 14001}, {100001, 100004},
    };
    std::set<int> numbers;
    for (const auto& [first, last] : ranges)
        for (int n = first; n <= last; ++n) numbers.insert(n);
    return numbers;
}

// The numbers the sources ask LangText for.
std::set<int> numbersInSources()
{
    std::set<int> numbers;
    const QRegularExpression call(QStringLiteral("LangText\\s*\\(\\s*(\\d+)\\s*\\)"));
    QDirIterator it(qEnvironmentVariable("QUORBEL_SOURCE_DIR") + "/src", {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(f.readAll());
        for (const auto& m : call.globalMatch(text)) numbers.insert(m.captured(1).toInt());
    }
    return numbers;
}

} // namespace

TEST_F(AppTest, DeliveredTableHoldsEveryNumberInAllFiveLanguages)
{
    ASSERT_TRUE(QFile::copy(builtTable(), world.programHost() + "/Language.ini"));
    platform::IniFile table(world.programDir() + "Language.ini");
    EXPECT_EQ(table.readSections(), (QStringList{"GERMAN", "ENGLISH", "FRANCE", "ITALIAN", "SPAIN"}));

    std::set<int> wanted = requiredNumbers();
    const std::set<int> asked = numbersInSources();
    wanted.insert(asked.begin(), asked.end());
    const QStringList germanKeys = table.readSection("GERMAN");
    for (const char* code : LanguageCodes) {
        SCOPED_TRACE(code);
        const QString section = QLatin1String(code);
        for (int n : wanted)
            EXPECT_FALSE(table.readString(section, QString::number(n)).isEmpty()) << "text " << n;
        // The same numbers in every language, none of them empty, each once.
        const QStringList keys = table.readSection(section);
        EXPECT_EQ(keys, germanKeys);
        EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        for (const QString& key : keys) {
            const QString text = table.readString(section, key);
            EXPECT_FALSE(text.isEmpty()) << key.toStdString();
            // The only placeholder is the product name, spelled exactly.
            EXPECT_EQ(text.count('$'), 2 * text.count("$PRG_NAME$")) << key.toStdString();
        }
    }
}

TEST_F(AppTest, DeliveredTableTextsReadAsWritten)
{
    ASSERT_TRUE(QFile::copy(builtTable(), world.programHost() + "/Language.ini"));
    const struct {
        const char* exe;
        const char* code;
        int number;
        const char* text;
    } cases[] = {
        {"quorbel_pro", "GERMAN", 534, "Über Quorbel pro"},
        {"setup", "ENGLISH", 534, "About Quorbelix pro"},
        {"setup", "FRANCE", 4610, "Dans les paramètres d'affichage qui s'ouvrent maintenant, choisissez votre nouvel économiseur d'écran à la page « Écran de veille » et confirmez par OK."},
        {"setup", "ITALIAN", 1500, "Nitidezza o sfocatura"},
        {"setup", "SPAIN", 4203, "¿Qué presentación desea abrir?"},
        {"quorbel_pro", "GERMAN", 4610, "Wählen Sie in den Anzeigeeinstellungen, die sich jetzt öffnen, auf der Seite „Bildschirmschoner“ Ihren neuen Bildschirmschoner aus und bestätigen Sie mit OK."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        runAs(QString::fromLatin1(c.exe));
        writeLanguage(c.code);
        DetermineProductInfo();
        EXPECT_EQ(LangText(c.number), QString::fromUtf8(c.text));
    }
}

TEST(DeliveredTable, IsWindows1252WithCrLf)
{
    QFile f(builtTable());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\r'));
    // Written in Windows-1252, not UTF-8: umlauts are single bytes.
    EXPECT_TRUE(bytes.contains("=\xdc" "ber "));
    if (!testsupport::haveHostProgram("iconv")) GTEST_SKIP() << "iconv missing";
    int status = -1;
    runHost("iconv -f WINDOWS-1252 -t UTF-8 '" + builtTable() + "' > /dev/null", &status);
    EXPECT_EQ(status, 0);
}
