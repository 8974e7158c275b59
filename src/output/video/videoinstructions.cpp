#include "videoinstructions.h"

#include "app/language.h"

namespace video {

show::Instructions VideoInstructions(VideoOutcome outcome, const QString& videoFolder)
{
    show::Instructions i;
    switch (outcome) {
    case VideoOutcome::NoSpace:
        i.heading = LangText(4609);
        i.text = LangText(4618);
        break;
    case VideoOutcome::Aborted:
        i.heading = LangText(4605);
        i.text = LangText(4614);
        break;
    case VideoOutcome::Failed:
        i.heading = LangText(4606);
        i.text = LangText(4615);
        break;
    case VideoOutcome::MadeVCD:
        i.heading = LangText(4607);
        i.text = LangText(4622) + u' ' + videoFolder + u' ' + LangText(4623);
        i.burningGuide = true;
        break;
    case VideoOutcome::MadeSVCD:
        i.heading = LangText(4608);
        i.text = LangText(4624) + u' ' + videoFolder + u' ' + LangText(4625);
        i.burningGuide = true;
        break;
    }
    i.playerIcon = false;
    return i;
}

} // namespace video
