#include "productinfo.h"

#include "language.h"

#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/textcodec.h"
#include "util/strutils.h"
#include "util/texttable.h"

#include <QGuiApplication>

TProductInfo ProductInfo;

namespace {

// The file name of a Windows path without its folder.
QString FileNameOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'\\');
    const qsizetype colon = path.lastIndexOf(u':');
    return path.mid(qMax(slash, colon) + 1);
}

} // namespace

QString ExecutableProgramDir()
{
    return EnsureTrailingBackslash(PathWithoutName(platform::modulePath()));
}

void DetermineProductTitle()
{
    TProductInfo& p = ProductInfo;
    const QString exeName = FileNameOf(platform::modulePath());
    p.EnglishProduct = !exeName.toLower().contains(QStringLiteral("quorbel"));
    if (p.EnglishProduct)
        p.Title = QStringLiteral("Quorbelix pro");
    else if (exeName.toUpper().contains(QStringLiteral("QZT")))
        p.Title = QStringLiteral("QZT Quorbel pro");
    else
        p.Title = QStringLiteral("Quorbel pro");
    platform::setMessageCaption(p.Title);
    util::TextTable::instance().setTitle(p.Title);
    // Windows and boxes without a caption of their own show the product, not the executable's name.
    if (qGuiApp) QGuiApplication::setApplicationDisplayName(p.Title);
}

void DetermineProductInfo()
{
    TProductInfo& p = ProductInfo;
    p.ProgramDir = ExecutableProgramDir();
    DetermineProductTitle();

    LoadLanguageTable();

    // A missing or empty "ver.ini" leaves the version text empty; start-up goes on.
    p.VersionText.clear();
    if (const auto lines = platform::readTextLines(p.ProgramDir + QStringLiteral("ver.ini")); lines && !lines->isEmpty())
        p.VersionText = lines->first();

    p.AboutPicture = QStringLiteral("m_about.jpg");
    p.WizardPicture = QStringLiteral("wizard.jpg");
    p.MainPicture = QStringLiteral("m_program.jpg");
    p.HelpFile = QStringLiteral("help.html");
    p.MakerName = QStringLiteral("TORVELD");
    p.WebAddress = QStringLiteral("https://www.torveld.example/");
    p.MailAddress = QStringLiteral("info@torveld.example");
    p.HelpFolder = LanguageCode == QLatin1String("GERMAN") ? QStringLiteral("help_GR\\") : QStringLiteral("help_EN\\");
}
