// The main window's transition preview on the settings page: the chosen transition of the list,
// played on PixImage1 into the other of the two preview pictures at every change.
#include "mainform.h"

#include "imaging/piximage.h"
#include "platform/files.h"
#include "show/transitionpreview.h"

#include <QSignalBlocker>
#include <QSpinBox>

void TMainForm::ShowEffectPreview(int n)
{
    // A line that is missing or not five integers plays nothing.
    const std::optional<show::Transition> transition = show::TransitionAt(EffectList, n);
    if (!transition) return;
    PixImage1->SetBackErase(true);
    const bool known = show::ApplyTransition(PixImage1, *transition);
    PixImage1->SetBackErase(false);
    if (known) PixImage1->Refresh();
}

void TMainForm::SpinEdit1Change()
{
    int value = SpinEdit1->value();
    if (value >= show::MaxEffectNumber + 1) {
        value = show::MaxEffectNumber;
        const QSignalBlocker block(SpinEdit1);
        SpinEdit1->setValue(value);
    }
    Effect = show::ClampEffect(value, EffectList);
    PreviewFlip = !PreviewFlip;
    ShowEffectPreview(Effect);
    const QString picture = ProgramDir + (PreviewFlip ? QStringLiteral("Preview1.jpg") : QStringLiteral("Preview2.jpg"));
    PixImage1->SetPaintSizeMode(imaging::smFit);
    // A preview picture that is missing or cannot be loaded leaves the control as it was.
    if (!platform::fileExists(picture)) return;
    PixImage1->SuspendMethodErrors();
    PixImage1->Load(picture);
    PixImage1->ResumeMethodErrors();
}

void TMainForm::ShowAgainButtonClick() { SpinEdit1Change(); }
