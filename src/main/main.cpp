// The program entry: no arguments are read; the executable's own path gives the program
// directory and the product.
#include "app/productinfo.h"
#include "app/startup.h"
#include "programwindows.h"

#include "platform/dialogs.h"
#include "platform/drives.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    // Every text, picture and setting lies in the program's own folder: a drive table that
    // leaves it out would start a program without a single text.
    QString why;
    if (!platform::DriveTable::instance().reach(QCoreApplication::applicationDirPath(), &why)) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        if (!qEnvironmentVariableIsSet("QUORBEL_PRINT_PRODUCT_INFO")) platform::showError(why);
        return 1;
    }

    // Diagnostics for installers and tests: print the product identity and end.
    if (qEnvironmentVariableIsSet("QUORBEL_PRINT_PRODUCT_INFO")) {
        DetermineProductInfo();
        const TProductInfo& p = ProductInfo;
        std::printf("Title=%s\nEnglishProduct=%s\nProgramDir=%s\nVersionText=%s\nHelpFolder=%s\n",
                    p.Title.toUtf8().constData(), p.EnglishProduct ? "TRUE" : "FALSE",
                    p.ProgramDir.toUtf8().constData(), p.VersionText.toUtf8().constData(),
                    p.HelpFolder.toUtf8().constData());
        return 0;
    }

    RegisterProgramWindows(util::TextTable::instance()); // the run's one table, filled by the start-up
    const auto windows = StartUp();
    return app.exec();
}
