#pragma once
// The main menu's "Language" submenu: five items with fixed captions; a click stores the
// language for the next start and ends the program.
#include <QString>

struct LanguageMenuItem {
    const char* name;     // component name of the menu item
    QString caption;
    int tag;
    const char* code;     // the language code written
    QString message;      // the information shown before the program ends
};

// The five items, in menu order (tags 1 to 5).
const LanguageMenuItem* LanguageMenuItems();
inline constexpr int LanguageMenuItemCount = 5;

// The tag of the item of a language code; 0 for none.
int LanguageMenuTag(const QString& code);

// The shared click handler of the five items (the main window's Deutsch1Click): writes
// "Generator.ini" [SETTINGS] Language with the code of the tag, shows the item's message and asks
// the application to quit. The main window's own closing steps do not run. An unknown tag does
// nothing.
void LanguageMenuClick(int tag);
