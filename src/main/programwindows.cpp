#include "programwindows.h"

#include "editor/editorwindows.h"
#include "effects/ui/effectswindows.h"
#include "output/video/videowindows.h"
#include "output/web/webwindows.h"

void RegisterProgramWindows()
{
    RegisterEditorWindows();
    RegisterEffectsWindows();
    RegisterVideoWindows();
    RegisterWebWindows();
}
