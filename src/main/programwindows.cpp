#include "programwindows.h"

#include "editor/editorwindows.h"
#include "effects/ui/effectswindows.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "output/video/videowindows.h"
#include "output/web/webwindows.h"

void RegisterProgramWindows()
{
    RegisterEditorWindows();
    RegisterEffectsWindows();
    RegisterPrintWindows();
    RegisterAudioWindows();
    RegisterVideoWindows();
    RegisterWebWindows();
}
