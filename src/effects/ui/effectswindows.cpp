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

void RegisterEffectsWindows(const util::TextTable& texts)
{
    effects::SetSystemColorResolver(&resolveSystemColor);
    RegisterWindowMaker(QStringLiteral("PixEffectsForm"), [&texts] { return std::make_unique<TPixEffectsForm>(nullptr, texts); });
    // The program's list makes an effects dialog of its own; the one that is shown is the drawing
    // control's.
    RegisterWindowMaker(QStringLiteral("PainterEffectsF"), [&texts] { return std::make_unique<TPainterEffectsF>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("FullsizeForm"), [&texts] { return std::make_unique<TFullsizeForm>(nullptr, texts); });
}
