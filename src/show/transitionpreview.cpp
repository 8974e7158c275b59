#include "transitionpreview.h"

#include "imaging/piximage.h"
#include "sdk/effectpaint.h"

#include <algorithm>

namespace show {

bool ApplyTransition(imaging::TPixImage* control, const Transition& transition)
{
    if (!control || !sdk::isEffectCode(transition.paintEffect)) return false;
    control->SetEffectDelay(static_cast<std::uint32_t>(std::max(0, transition.delay)));
    control->SetEffectGrain(static_cast<std::uint32_t>(std::clamp(transition.grain, 1, 256)));
    control->SetPaintMaxPasses(static_cast<std::uint32_t>(std::clamp(transition.maxPasses, 1, 64)));
    control->SetPaintEffect(transition.paintEffect);
    control->SetWandColor(0);
    control->SetWandSize(static_cast<std::uint32_t>(std::max(0, transition.wandSize)));
    return true;
}

} // namespace show
