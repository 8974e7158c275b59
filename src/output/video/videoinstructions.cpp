#include "videoinstructions.h"

#include "app/language.h"
#include "editor/anweisungform.h"
#include "editor/mainform.h"
#include "platform/dialogs.h"

#include <memory>

namespace video {

editor::Instructions VideoInstructions(VideoOutcome outcome, const QString& videoFolder)
{
    editor::Instructions i;
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

int ShowInstructions(const editor::Instructions& i)
{
    std::unique_ptr<TAnweisungForm> own;
    TAnweisungForm* form = TAnweisungForm::instance();
    if (!form) {
        // Kept by the main window for the next showing, as the one made at start-up would be.
        if (TMainForm* main = TMainForm::instance()) form = new TAnweisungForm(main);
        else form = (own = std::make_unique<TAnweisungForm>()).get();
    }
    form->Prepare(i.heading, i.text, i.burningGuide, i.playerIcon);
    return platform::dialogs().showModal(*form);
}

} // namespace video
