#include "programwindows.h"

#include "editor/editorwindows.h"
#include "editor/mainform.h"
#include "effects/ui/effectswindows.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "output/video/videowindows.h"
#include "output/web/webwindows.h"
#include "util/windowmakers.h"

#include <QPointer>

#include <memory>

void RegisterProgramWindows()
{
    RegisterEditorWindows();
    // The main window, made first, is the show host that the output windows made after it are
    // made with.
    const auto mainForm = std::make_shared<QPointer<TMainForm>>();
    RegisterWindowMaker(QStringLiteral("MainForm"), [mainForm] {
        auto form = std::make_unique<TMainForm>();
        *mainForm = form.get();
        return form;
    });
    const auto host = [mainForm]() -> show::ShowHost& {
        if (mainForm->isNull()) qFatal("An output window was made before the main window");
        return (*mainForm)->showHost();
    };
    RegisterEffectsWindows();
    RegisterPrintWindows();
    RegisterAudioWindows();
    RegisterVideoWindows(host);
    RegisterWebWindows(host);
}
