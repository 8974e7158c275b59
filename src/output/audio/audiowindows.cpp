#include "audiowindows.h"

#include "checkaudioform.h"

#include "app/startup.h"
#include "show/outputwindows.h"

namespace {

class AudioInformation final : public show::AudioWindows {
public:
    QWidget* RunWindow() override { return TCheckAudioForm::instance(); }
    QWidget* NewWindow(QWidget* owner) override { return new TCheckAudioForm(owner); }

    show::AudioFacts Analyse(QWidget* window, const QString& file) override
    {
        TCheckAudioForm& check = form(window);
        check.FileName = file;
        check.AnalyseFile();
        return {check.SampleRateHz, check.StereoMark};
    }

    void ShowFile(QWidget* window, const QString& file) override
    {
        TCheckAudioForm& info = form(window);
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

private:
    static TCheckAudioForm& form(QWidget* window) { return *static_cast<TCheckAudioForm*>(window); }
};

} // namespace

void InstallAudioWindows()
{
    static AudioInformation windows;
    show::setAudioWindows(&windows);
}

void RegisterAudioWindows()
{
    RegisterWindowMaker(QStringLiteral("CheckAudioForm"), [] { return std::make_unique<TCheckAudioForm>(); });
    InstallAudioWindows();
}
