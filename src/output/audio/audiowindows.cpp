#include "audiowindows.h"

#include "checkaudioform.h"

#include "app/startup.h"

namespace {
TCheckAudioForm& checkForm(QWidget* window) { return *static_cast<TCheckAudioForm*>(window); }
} // namespace

QWidget* AudioInformation::RunWindow() { return runWindow_; }

void AudioInformation::UseRunWindow(TCheckAudioForm* form) { runWindow_ = form; }

QWidget* AudioInformation::NewWindow(QWidget* owner) { return new TCheckAudioForm(owner, texts_); }

show::AudioFacts AudioInformation::Analyse(QWidget* window, const QString& file)
{
    TCheckAudioForm& check = checkForm(window);
    check.FileName = file;
    check.AnalyseFile();
    return {check.SampleRateHz, check.StereoMark};
}

void AudioInformation::ShowFile(QWidget* window, const QString& file)
{
    TCheckAudioForm& info = checkForm(window);
    info.FileName = file;
    if (info.isVisible()) {
        // Showing an open window again does not run its show event: analyse here.
        info.AnalyseFile();
        info.raise();
        info.activateWindow();
    } else {
        info.show();
    }
}

void RegisterAudioWindows(AudioInformation& windows, const util::TextTable& texts)
{
    RegisterWindowMaker(QStringLiteral("CheckAudioForm"), [&windows, &texts] {
        auto form = std::make_unique<TCheckAudioForm>(nullptr, texts);
        windows.UseRunWindow(form.get());
        return form;
    });
}
