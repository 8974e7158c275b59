#pragma once
// The product's identity: which of the products this executable is, where it lives, and the
// pictures, help pages and addresses that the windows show. Filled once at start-up, before
// the main window exists, and only read afterwards.
#include <QString>

struct TProductInfo {
    QString Title;               // "Quorbel pro", "QZT Quorbel pro" or "Quorbelix pro"
    bool EnglishProduct = false; // the executable's name does not hold the product word
    QString ProgramDir;          // directory of the running executable, with trailing backslash
    QString VersionText;         // first line of "ver.ini"; empty when the file is missing or empty
    QString AboutPicture;        // these three lie in ProgramDir + "recom\"
    QString WizardPicture;
    QString MainPicture;
    QString HelpFile;
    QString HelpFolder;          // relative to ProgramDir: "help_GR\" or "help_EN\"
    QString MakerName;
    QString WebAddress;
    QString MailAddress;
};

extern TProductInfo ProductInfo;

// Fills ProductInfo from the executable's own path and loads the text table on the way.
void DetermineProductInfo();
// Only the title and the English/German choice, from the executable's name; it also captions
// every window and message box that has no caption of its own. DetermineProductInfo includes it.
void DetermineProductTitle();

// The program directory: the folder of the running executable, with trailing backslash.
QString ExecutableProgramDir();
