#include "effectswindows.h"

#include "fullsizeform.h"
#include "painteffectsform.h"
#include "pixeffectsform.h"

#include "effects/bitmap.h"
#include "platform/colors.h"
#include "util/windowmakers.h"

namespace {
effects::ColorRef resolveSystemColor(effects::ColorRef color) { return platform::colorToRGB(color); }
} // namespace

void RegisterEffectsWindows()
{
    effects::SetSystemColorResolver(&resolveSystemColor);
    RegisterWindowMaker(QStringLiteral("PixEffectsForm"), [] { return std::make_unique<TPixEffectsForm>(); });
    // The program's list makes an effects dialog of its own; the one that is shown is the drawing
    // control's.
    RegisterWindowMaker(QStringLiteral("PainterEffectsF"), [] { return std::make_unique<TPainterEffectsF>(); });
    RegisterWindowMaker(QStringLiteral("FullsizeForm"), [] { return std::make_unique<TFullsizeForm>(); });
}
