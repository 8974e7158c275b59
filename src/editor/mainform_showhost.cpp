// The show as this window holds it, for the output windows: the value they read and what they
// ask of the window.
#include "mainform.h"
#include "makewizard.h"

#include "controls/htmlistbox.h"
#include "show/showhost.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

class MainFormShowHost : public show::ShowHost {
public:
    explicit MainFormShowHost(TMainForm& form) : form_(form) {}

    show::ShowContext CurrentShow() const override { return form_.CurrentShow(); }
    bool SavePictureList() override { return form_.SavePictureList(); }
    int ShowInstructions(const show::Instructions& i) override { return form_.ShowInstructionsDialog(i); }
    QWidget* HostWindow() override { return &form_; }
    QDialog* MakeWizard() override { return form_.makeWizard(); }

private:
    TMainForm& form_;
};

void TMainForm::connectShowHost() { showHost_ = std::make_shared<MainFormShowHost>(*this); }

show::ShowHost& TMainForm::showHost() { return *showHost_; }

show::ShowContext TMainForm::CurrentShow() const
{
    show::ShowContext s;
    s.ProgramDir = ProgramDir;
    s.ShowRoot = ShowRoot;
    s.ShowFolder = ShowFolder;
    s.ShowTitle = ShowTitle;
    s.Title = TitleEdit->text();
    s.VideoFolder = VideoFolder;
    s.EncoderFolder = EncoderFolder;
    s.SecondsPerPicture = SecondsPerPicture;
    s.FrameRate = FrameRate;
    s.TransitionFrames = TransitionFrames;
    s.TransitionsOff = OFFRadioButton->isChecked();
    s.RandomTransition = RNDRadioButton->isChecked();
    s.TransitionNumber = SpinEdit1->value();
    s.BackgroundColor = BKGColor;
    s.TextColor = TextColor;
    s.TextOffset = TextOffset;
    s.Captions = TextCheckBox->isChecked();
    s.PictureItems = QuorbelListBox->Items().toStringList();
    for (int i = 0; i < AudioListBox->count(); ++i) s.MusicFiles << AudioListBox->item(i)->text();
    s.PrintAll = PrintAll;
    s.PrintCaptions = PrintCaptions;
    return s;
}
