// The windows the program makes at start-up: every one of the fixed order is its own window
// class, made by the module that builds it; none is a bare stand-in.
#include "editor/editor_fixture.h"

#include "app/startup.h"
#include "editor/anweisungform.h"
#include "editor/exportform.h"
#include "editor/mainform.h"
#include "editor/makewizard.h"
#include "editor/nodriverform.h"
#include "editor/openform.h"
#include "editor/printselectform.h"
#include "editor/printsizewizard.h"
#include "effects/ui/fullsizeform.h"
#include "effects/ui/pixeffectsform.h"
#include "main/programwindows.h"
#include "output/video/dvdform.h"
#include "output/video/dvdwizardform.h"

#include <QTabWidget>
#include <QWidget>

#include <algorithm>

class ProgramWindowsTest : public EditorTest {};

TEST_F(ProgramWindowsTest, EveryWindowOfTheStartUpListIsItsOwnClass)
{
    RegisterProgramWindows(util::TextTable::instance());
    auto windows = CreateApplicationWindows();
    const std::vector<QString>& names = ApplicationWindowNames();
    ASSERT_EQ(windows.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        QString className = QString::fromLatin1(windows[i]->metaObject()->className());
        className = className.mid(className.lastIndexOf(':') + 1); // print::TQRListForm
        EXPECT_EQ(className, "T" + names[i]);
        EXPECT_EQ(windows[i]->objectName(), names[i]);
        if (i > 0) { EXPECT_FALSE(windows[i]->isVisible()); }
    }
    while (windows.size() > 1) windows.pop_back(); // dialogs first, as the run ends
}

// The main window opens the start-up's own dialogs, the report and the audio information window:
// the ones made after it are handed to it as they are made, so it makes none of its own.
TEST_F(ProgramWindowsTest, TheMainWindowOpensTheWindowsTheStartUpMade)
{
    RegisterProgramWindows(util::TextTable::instance());
    auto windows = CreateApplicationWindows();
    auto* main = qobject_cast<TMainForm*>(windows[0].get());
    ASSERT_NE(main, nullptr);
    auto made = [&windows](const char* name) -> QWidget* {
        for (const auto& w : windows)
            if (w->objectName() == QLatin1String(name)) return w.get();
        return nullptr;
    };
    const TMainForm::RunWindows& handed = main->runWindows;
    const struct {
        const char* name;
        QWidget* window;
    } opened[] = {
        {"FullsizeForm", &main->fullsizeForm()},
        {"OpenForm", &main->openForm()},
        {"NoDriverForm", &main->noDriverForm()},
        {"PrintSizeWizard", &main->printSizeWizard()},
        {"MakeWizzard", handed.makeWizard.data()},
        {"ExportForm", handed.exportForm.data()},
        {"AnweisungForm", handed.instructions.data()},
        {"PrintSelectForm", handed.printSelectForm.data()},
        {"PixEffectsForm", handed.colourDialog.data()},
        {"HTMLForm", handed.gallery.data()},
        {"DVDWizardForm", handed.videoWizard.data()},
    };
    for (const auto& o : opened) {
        SCOPED_TRACE(o.name);
        EXPECT_EQ(o.window, made(o.name));
    }
    // The video wizard starts the start-up's video window.
    auto* videoWizard = qobject_cast<TDVDWizardForm*>(made("DVDWizardForm"));
    ASSERT_NE(videoWizard, nullptr);
    EXPECT_EQ(static_cast<QWidget*>(videoWizard->VideoWindow.data()), made("DVDForm"));
    EXPECT_EQ(main->audioWindows().RunWindow(), made("CheckAudioForm"));
    EXPECT_EQ(&main->checkAudioForm(), made("CheckAudioForm"));
    while (windows.size() > 1) windows.pop_back(); // dialogs first, as the run ends
    // A window that is gone is not opened: the main window makes its own.
    EXPECT_EQ(main->audioWindows().RunWindow(), nullptr);
    EXPECT_TRUE(main->runWindows.viewer.isNull());
    EXPECT_EQ(main->fullsizeForm().parentWidget(), main);
}

// Every window shows the texts of the table it is made with.
TEST_F(ProgramWindowsTest, EveryWindowShowsTheTableItIsMadeWith)
{
    util::TextTable table; // not the run's: every text names its number
    QHash<int, QString> texts;
    for (int n = 0; n < 20000; ++n) texts.insert(n, "#" + QString::number(n));
    table.setTexts(texts, QStringLiteral("Quorbel pro"));
    RegisterProgramWindows(table);
    auto windows = CreateApplicationWindows();
    struct Caption {
        const char* window;
        int number;
    };
    const Caption captions[] = {
        {"OpenForm", 4202},    {"NewForm", 1803},       {"NoDriverForm", 3705},  {"MakeWizzard", 6206}, {"DVDWizardForm", 5207},
        {"TipForm", 4803},     {"ExportForm", 2600},    {"AnweisungForm", 4626}, {"PrintSizeWizard", 6600},
    };
    for (const Caption& c : captions) {
        SCOPED_TRACE(c.window);
        const auto w = std::find_if(windows.begin(), windows.end(),
                                    [&c](const auto& made) { return made->objectName() == QLatin1String(c.window); });
        ASSERT_NE(w, windows.end());
        EXPECT_EQ((*w)->windowTitle(), "#" + QString::number(c.number));
    }
    auto* main = qobject_cast<TMainForm*>(windows[0].get());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->PageControl1->tabText(0), "#585");
    while (windows.size() > 1) windows.pop_back(); // dialogs first, as the run ends
    windows.clear();
    RegisterProgramWindows(util::TextTable::instance()); // the makers no longer hold the table
}
