// The scanner menu of the main window: choosing the source, and acquiring a page that joins the
// show as a JPEG picture with its thumbnail.
#include "mainform.h"

#include "controls/htmlistbox.h"
#include "imaging/piximage.h"
#include "imaging/pixtwain.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/hourglass.h"

#include <QAction>

#include <exception>
#include <optional>

namespace {

// The box every scanner failure shows.
void showScanError(const QString& text)
{
    platform::showErrorCaptioned(QStringLiteral("Meldung:\n ") + text, QStringLiteral("Error"));
}

} // namespace

void TMainForm::buildScanner()
{
    PixTwain1 = new imaging::TPixTwain(this);
    PixTwain1->setObjectName(QStringLiteral("PixTwain1"));
    connect(Treiberauswhlen1, &QAction::triggered, this, &TMainForm::Treiberauswhlen1Click);
    connect(Einlesenstarten1, &QAction::triggered, this, &TMainForm::Einlesenstarten1Click);
}

void TMainForm::Treiberauswhlen1Click()
{
    std::optional<platform::HourglassCursor> hourglass(std::in_place);
    bool failed = false;
    try {
        failed = PixTwain1->TwainSelect() != 1;
    } catch (const imaging::EPixTwainError&) {
        failed = true;
    }
    hourglass.reset();
    if (failed) showScanError(PixTwain1->GetLastErrorText());
}

void TMainForm::Einlesenstarten1Click()
{
    std::optional<platform::HourglassCursor> hourglass(std::in_place);
    bool failed = false;
    try {
        failed = PixTwain1->TwainAcquire() != 1 || !PixTwain1->Bitmap();
    } catch (const imaging::EPixTwainError&) {
        failed = true;
    }
    if (failed) {
        hourglass.reset();
        showScanError(PixTwain1->GetLastErrorText());
        return;
    }
    const QString file = ProgramDir + QStringLiteral("DScan.jpg");
    // A page that cannot be written is said so; an older "DScan.jpg" never joins the show in its place.
    bool saved = false;
    try {
        PixImage2->SetPaintSizeMode(imaging::smFit);
        PixImage2->ForceRepaint();
        PixImage2->setVisible(true);
        PixImage2->SetBitmap(PixTwain1->Bitmap());
        saved = PixImage2->LastResult() == 1 && PixImage2->Save(file, 23, 24, 4, 0) == 1;
    } catch (const std::exception&) {
        saved = false;
    }
    if (!saved) {
        (void)platform::deleteFile(file); // the page is not taken into the show either way
        hourglass.reset();
        showScanError(PixImage2->GetLastErrorText());
        return;
    }
    const int before = QuorbelListBox->Count();
    AddPictureToShow(file, -1);
    (void)platform::deleteFile(file); // the show has its copy; the next scan replaces this one
    // Nothing joined the show (the copy failed and was reported): nothing to select.
    if (QuorbelListBox->Count() == before) return;
    const int last = QuorbelListBox->Count() - 1;
    SelectShowItem(last);
    // The new picture is the selected show picture: the edits act on it.
    RememberedIndex = last;
    showPictureChosen_ = true;
    noteShowSelection();
    LastPreviewFile = SelectedPicture;
    EnableEditButtons();
}
