#pragma once
// One line of the transition list put into an image control's paint-effect properties, so that
// the control's next paint plays that transition.
#include "effectlist.h"

namespace imaging {
class TPixImage;
}

namespace show {

// Sets the effect delay, grain, maximum passes, paint effect, wand colour (black) and wand size,
// in this order. Values outside the control's ranges are brought into them (grain 1..256, passes
// 1..64, delay and wand size at least 0), so a hand-edited line cannot make the control refuse
// them; an effect number the control does not know leaves the control as it was and gives false.
bool ApplyTransition(imaging::TPixImage* control, const Transition& transition);

} // namespace show
