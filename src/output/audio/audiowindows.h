#pragma once
// The audio information window the main window opens and whose analysis its music list uses:
// registered for the start-up and handed to the main window as show::AudioWindows.
#include "show/outputwindows.h"
#include "util/texttable.h"

#include <QPointer>

class TCheckAudioForm;

class AudioInformation final : public show::AudioWindows {
public:
    // texts: what a window made here shows.
    explicit AudioInformation(const util::TextTable& texts = util::TextTable::instance()) : texts_(texts) {}

    QWidget* RunWindow() override;
    QWidget* NewWindow(QWidget* owner) override;
    show::AudioFacts Analyse(QWidget* window, const QString& file) override;
    void ShowFile(QWidget* window, const QString& file) override;

    // The audio information window the start-up made; one that is gone is not used.
    void UseRunWindow(TCheckAudioForm* form);

private:
    const util::TextTable& texts_;
    QPointer<TCheckAudioForm> runWindow_;
};

// Registers the window's maker for the start-up; the window it makes shows texts and is the run
// window of windows. Both must live as long as the maker is registered.
void RegisterAudioWindows(AudioInformation& windows, const util::TextTable& texts);
