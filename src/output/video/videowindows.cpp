#include "videowindows.h"

#include "dvdform.h"
#include "dvdwizardform.h"

#include "app/startup.h"
#include "output/audio/waveform.h"

void RegisterVideoWindows(const std::function<show::ShowHost&()>& host, const util::TextTable& texts)
{
    RegisterWindowMaker(QStringLiteral("DVDForm"), [host, &texts] { return std::make_unique<TDVDForm>(host(), nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("DVDWizardForm"), [host, &texts] { return std::make_unique<TDVDWizardForm>(host(), nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("WaveForm"), [&texts] { return std::make_unique<TWaveForm>(nullptr, texts); });
}
