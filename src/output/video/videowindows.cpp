#include "videowindows.h"

#include "dvdform.h"
#include "dvdwizardform.h"

#include "app/startup.h"
#include "output/audio/waveform.h"

#include <QPointer>

#include <memory>

void RegisterVideoWindows(const std::function<show::ShowHost&()>& host, const util::TextTable& texts)
{
    // The video window, made first, is the one the video wizard starts.
    const auto videoWindow = std::make_shared<QPointer<TDVDForm>>();
    RegisterWindowMaker(QStringLiteral("DVDForm"), [host, &texts, videoWindow] {
        auto form = std::make_unique<TDVDForm>(host(), nullptr, texts);
        *videoWindow = form.get();
        return form;
    });
    RegisterWindowMaker(QStringLiteral("DVDWizardForm"), [host, &texts, videoWindow] {
        auto wizard = std::make_unique<TDVDWizardForm>(host(), nullptr, texts);
        wizard->VideoWindow = *videoWindow;
        return wizard;
    });
    RegisterWindowMaker(QStringLiteral("WaveForm"), [&texts] { return std::make_unique<TWaveForm>(nullptr, texts); });
}
