// The windows the program makes at start-up: every one of the fixed order is its own window
// class, made by the module that builds it; none is a bare stand-in.
#include "editor/editor_fixture.h"

#include "app/startup.h"
#include "main/programwindows.h"

#include <QWidget>

class ProgramWindowsTest : public EditorTest {};

TEST_F(ProgramWindowsTest, EveryWindowOfTheStartUpListIsItsOwnClass)
{
    RegisterProgramWindows();
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
