#include "videowindows.h"

#include "dvdform.h"
#include "dvdwizardform.h"

#include "app/startup.h"
#include "output/audio/waveform.h"

void RegisterVideoWindows(const std::function<show::ShowHost&()>& host)
{
    RegisterWindowMaker(QStringLiteral("DVDForm"), [host] { return std::make_unique<TDVDForm>(host()); });
    RegisterWindowMaker(QStringLiteral("DVDWizardForm"), [host] { return std::make_unique<TDVDWizardForm>(host()); });
    RegisterWindowMaker(QStringLiteral("WaveForm"), [] { return std::make_unique<TWaveForm>(); });
}
