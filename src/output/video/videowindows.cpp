#include "videowindows.h"

#include "dvdform.h"
#include "dvdwizardform.h"

#include "app/startup.h"
#include "output/audio/waveform.h"

void RegisterVideoWindows()
{
    RegisterWindowMaker(QStringLiteral("DVDForm"), [] { return std::make_unique<TDVDForm>(); });
    RegisterWindowMaker(QStringLiteral("DVDWizardForm"), [] { return std::make_unique<TDVDWizardForm>(); });
    RegisterWindowMaker(QStringLiteral("WaveForm"), [] { return std::make_unique<TWaveForm>(); });
}
