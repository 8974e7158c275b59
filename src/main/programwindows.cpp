#include "programwindows.h"

#include "editor/editorwindows.h"
#include "editor/mainform.h"
#include "effects/ui/effectswindows.h"
#include "effects/ui/fullsizeform.h"
#include "effects/ui/pixeffectsform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "output/video/videowindows.h"
#include "output/web/webwindows.h"
#include "util/windowmakers.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

namespace {

// Wraps the maker registered under name so that each window it makes is handed to take before
// the start-up gets it.
template <typename Window>
void WhenMade(const char* name, std::function<void(Window&)> take)
{
    const QString windowName = QString::fromLatin1(name);
    const WindowMaker make = FindWindowMaker(windowName);
    if (!make) qFatal("No maker was registered for the window %s", name);
    RegisterWindowMaker(windowName, [make, take, name] {
        std::unique_ptr<QWidget> window = make();
        auto* made = dynamic_cast<Window*>(window.get());
        if (!made) qFatal("The maker of the window %s made a window of another class", name);
        take(*made);
        return window;
    });
}

} // namespace

void RegisterProgramWindows(const util::TextTable& texts)
{
    // The print report and the audio information window the main window is made with; made once,
    // they live as long as the run.
    static print::ReportWindows printWindows(texts);
    static AudioInformation audioWindows(texts);
    RegisterEditorWindows({printWindows, audioWindows}, texts);
    RegisterEffectsWindows(texts);
    RegisterPrintWindows(printWindows, texts);
    RegisterAudioWindows(audioWindows, texts);

    // The main window, made first, is the show host that the output windows made after it are
    // made with, and takes the windows it opens as they are made.
    const auto mainForm = std::make_shared<QPointer<TMainForm>>();
    const auto main = [mainForm]() -> TMainForm& {
        if (mainForm->isNull()) qFatal("A window the main window opens was made before the main window");
        return **mainForm;
    };
    const auto host = [main]() -> show::ShowHost& { return main().showHost(); };
    RegisterVideoWindows(host, texts);
    RegisterWebWindows(host, texts);

    WhenMade<TMainForm>("MainForm", [mainForm](TMainForm& form) { *mainForm = &form; });
    WhenMade<TPixEffectsForm>("PixEffectsForm", [main](TPixEffectsForm& f) { main().runWindows.colourDialog = &f; });
    WhenMade<TFullsizeForm>("FullsizeForm", [main](TFullsizeForm& f) { main().runWindows.viewer = &f; });
    WhenMade<QDialog>("HTMLForm", [main](QDialog& f) { main().runWindows.gallery = &f; });
    WhenMade<QDialog>("DVDWizardForm", [main](QDialog& f) { main().runWindows.videoWizard = &f; });
}
