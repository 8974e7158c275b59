// The windows of the run, created once in the fixed order. Each takes its caption from the text
// table (or the product title) when it is created.
#include "startup.h"

#include "language.h"
#include "productinfo.h"

#include "app/windowregistry.h"

#include <QDialog>
#include <QMainWindow>
#include <map>

namespace {

enum class CaptionFrom { None, Title, Text, Fixed };

struct WindowEntry {
    const char* name;
    CaptionFrom from;
    int textNumber;
    const char* fixed;
};

// In creation order; the main window first.
const WindowEntry windowTable[] = {
    {"MainForm", CaptionFrom::Title, 0, nullptr},
    {"AboutBox", CaptionFrom::Title, 0, nullptr},
    {"OpenForm", CaptionFrom::Text, 4202, nullptr},
    {"NewForm", CaptionFrom::Text, 1803, nullptr},
    {"NoDriverForm", CaptionFrom::Text, 3705, nullptr},
    {"MakeWizzard", CaptionFrom::Text, 6206, nullptr},
    {"DVDForm", CaptionFrom::None, 0, nullptr},
    {"DVDWizardForm", CaptionFrom::Text, 5207, nullptr},
    {"PixEffectsForm", CaptionFrom::None, 0, nullptr},
    {"PainterEffectsF", CaptionFrom::None, 0, nullptr},
    {"QRListForm", CaptionFrom::None, 0, nullptr},
    {"TipForm", CaptionFrom::Text, 4803, nullptr},
    {"FullsizeForm", CaptionFrom::Title, 0, nullptr},
    {"HTMLForm", CaptionFrom::None, 0, nullptr},
    {"WaveForm", CaptionFrom::None, 0, nullptr},
    {"CheckAudioForm", CaptionFrom::Fixed, 0, "Audio Info"},
    {"ExportForm", CaptionFrom::Text, 2600, nullptr},
    {"AnweisungForm", CaptionFrom::Text, 4626, nullptr},
    {"PrintSizeWizard", CaptionFrom::Text, 6600, nullptr},
    {"PrintSelectForm", CaptionFrom::None, 0, nullptr},
};

QString CaptionOf(const WindowEntry& e)
{
    switch (e.from) {
    case CaptionFrom::Title: return ProductInfo.Title;
    case CaptionFrom::Text: return LangText(e.textNumber);
    case CaptionFrom::Fixed: return QString::fromLatin1(e.fixed);
    case CaptionFrom::None: break;
    }
    return {};
}

} // namespace

const std::vector<QString>& ApplicationWindowNames()
{
    static const std::vector<QString> names = [] {
        std::vector<QString> n;
        for (const WindowEntry& e : windowTable) n.push_back(QString::fromLatin1(e.name));
        return n;
    }();
    return names;
}

std::vector<std::unique_ptr<QWidget>> CreateApplicationWindows()
{
    std::vector<std::unique_ptr<QWidget>> windows;
    for (const WindowEntry& e : windowTable) {
        const QString name = QString::fromLatin1(e.name);
        std::unique_ptr<QWidget> w;
        if (const WindowMaker maker = FindWindowMaker(name)) {
            w = maker(); // the window sets its own captions when it is created
        } else {
            if (windows.empty()) w = std::make_unique<QMainWindow>();
            else w = std::make_unique<QDialog>();
            w->setWindowTitle(CaptionOf(e));
        }
        // Hidden dialogs never keep the program alive: closing the main window ends it.
        if (!windows.empty()) w->setAttribute(Qt::WA_QuitOnClose, false);
        w->setObjectName(name);
        WindowRegistry::add(w.get());
        windows.push_back(std::move(w));
    }
    return windows;
}
