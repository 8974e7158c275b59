// The pictures page's paint effects, colour dialog and full-size editor: the main window moves
// the selected picture into the drawing control Art and writes the control's result back.
#include "mainform.h"

#include "controls/htmlistbox.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/edithost.h"
#include "effects/ui/fullsizeform.h"
#include "effects/ui/pixeffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "imaging/piximage.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "platform/rounding.h"
#include "sdk/errors.h"

#include <QApplication>
#include <QPushButton>

namespace {

// Width of the small copy the effects dialog previews.
constexpr int ArtPreviewWidth = 199;
// Quality factor of an effect result: libjpeg quality 80.
constexpr int ArtQualityFactor = 20;

void reportEditError(const QString& text)
{
    platform::showErrorCaptioned(QStringLiteral("An error occured in your application, \n") + text,
                                 QStringLiteral("Error"));
}

} // namespace

// What the picture editors call back on this window.
class MainFormEditHost : public effectsui::PictureEditHost {
public:
    explicit MainFormEditHost(TMainForm& form) : form_(form) { effectsui::setEditHost(this); }
    ~MainFormEditHost() override
    {
        if (effectsui::editHost() == this) effectsui::setEditHost(nullptr);
    }

    QString SelectedPicture() const override { return form_.SelectedPicture; }
    bool SelectPicture(const QString& picture) override { return form_.ReselectPicture(picture); }
    bool LoadPictureIntoArt() override { return form_.LoadPictureIntoArt(); }
    bool PushUndo() override
    {
        if (form_.PushUndo()) return true;
        reportEditError(platform::lastFileError());
        return false;
    }
    void DiscardUndo() override { form_.DiscardUndo(); }
    bool SaveArtToPicture() override { return form_.SaveArtToPicture(); }
    void RefreshThumbnail() override { form_.RefreshThumbnail(); }

    imaging::TPixImage* MainPicture() override { return form_.PixImage2; }
    bool UndoEnabled() const override { return form_.UndoBitBtn->isEnabled(); }
    void TransformPicture(const QString& operation) override { form_.TransformPicture(operation); }
    void ShowBrightnessDialog() override { form_.FarbeBitBtnClick(); }
    void ShowPaintEffects() override { form_.ShowPaintEffects(); }
    void ShowColourDialog() override { form_.RGBBitBtnClick(); }
    void UndoLastEdit() override { form_.UndoBitBtnClick(); }
    void ShowPrintMenu() override { form_.PrintBitBtnClick(); }
    void ShowHelp() override { form_.Hilfedatei1Click(); }

    // The colour dialog of the run, or one of this window's own when start-up made none.
    TPixEffectsForm& ColourDialog() override
    {
        if (TPixEffectsForm* f = form_.runWindows.colourDialog) return *f;
        if (!ownPixEffectsForm_) ownPixEffectsForm_ = std::make_unique<TPixEffectsForm>(nullptr, form_.texts());
        return *ownPixEffectsForm_;
    }

private:
    TMainForm& form_;
    std::unique_ptr<TPixEffectsForm> ownPixEffectsForm_;
};

void TMainForm::connectArtHandlers()
{
    editHost_ = std::make_shared<MainFormEditHost>(*this);
    connect(FarbeBitBtn, &QPushButton::clicked, this, &TMainForm::FarbeBitBtnClick);
    connect(RGBBitBtn, &QPushButton::clicked, this, &TMainForm::RGBBitBtnClick);
    connect(BildbearbeitungBitBtn, &QPushButton::clicked, this, &TMainForm::BildbearbeitungBitBtnClick);
    PixImage2->OnClick = [this](imaging::TPixImage*) { PixImage2Click(); };
}

bool TMainForm::PrepareArtPreview()
{
    if (!selectedShowPictureReady()) return false;
    effects::Bitmap24 picture;
    const int loaded = effectsui::LoadBitmapFile(SelectedPicture, picture);
    if (loaded != 1) {
        reportEditError(effectsui::BitmapFileErrorText(loaded));
        return false;
    }
    const int height =
        std::max(1, platform::roundHalfEven(double(picture.height()) * ArtPreviewWidth / picture.width()));
    effects::Bitmap24 small(ArtPreviewWidth, height);
    effects::StretchDraw(picture, small, effects::Rect{0, 0, ArtPreviewWidth, height});
    Art->SetPicture(std::move(small));
    return true;
}

bool TMainForm::LoadPictureIntoArt()
{
    RememberedIndex = QuorbelListBox->ItemIndex();
    SelectedPicturePath();
    effects::Bitmap24 picture;
    const int loaded = SelectedPicture.isEmpty() ? -10 : effectsui::LoadBitmapFile(SelectedPicture, picture);
    if (loaded != 1) {
        // Art keeps the small copy: nothing may be written from it over the full picture.
        reportEditError(effectsui::BitmapFileErrorText(loaded));
        return false;
    }
    Art->SetPicture(std::move(picture));
    return true;
}

bool TMainForm::SaveArtToPicture()
{
    {
        platform::HourglassCursor hourglass;
        const int saved = effectsui::SaveBitmapAsJpeg(SelectedPicture, Art->RangeBitmap, ArtQualityFactor);
        if (saved != 1) {
            reportEditError(effectsui::BitmapFileErrorText(saved));
            return false;
        }
        RefreshThumbnail();
        SelectShowItem(RememberedIndex);
        updateUndoButton();
        if (TFullsizeForm* viewer = openedViewer()) {
            // A viewer that is open shows the result at once: a later crop there cuts this picture.
            if (viewer->isVisible()) viewer->TakeOverMainPicture();
            viewer->UndoBitBtn->setEnabled(UndoBitBtn->isEnabled());
        }
    }
    return true;
}

void TMainForm::FarbeBitBtnClick()
{
    if (PrepareArtPreview()) Art->ShowEffectsDialog(true);
}

void TMainForm::ShowPaintEffects()
{
    if (PrepareArtPreview()) Art->ShowEffectsDialog(false);
}

void TMainForm::RGBBitBtnClick()
{
    if (!selectedShowPictureReady()) return;
    TPixEffectsForm& form = editHost_->ColourDialog();
    form.Mode = QStringLiteral("RGB");
    if (platform::dialogs().showModal(form) == platform::mrOk) SelectShowItem(RememberedIndex);
}

TFullsizeForm& TMainForm::fullsizeForm()
{
    if (TFullsizeForm* f = runWindows.viewer) return *f;
    if (!ownViewer_) ownViewer_ = new TFullsizeForm(this, texts_); // the window's own, gone with it
    return *ownViewer_;
}

TFullsizeForm* TMainForm::openedViewer() const
{
    if (TFullsizeForm* f = runWindows.viewer) return f;
    return ownViewer_;
}

void TMainForm::BildbearbeitungBitBtnClick()
{
    if (!selectedShowPictureReady()) return;
    // The viewer shows what the preview holds: the selected picture, also before the delayed
    // preview of the click has come.
    if (!loadPreview(SelectedPicture)) {
        reportEditError(PixImage2->GetLastErrorText());
        return;
    }
    platform::dialogs().showModal(fullsizeForm());
}

void TMainForm::PixImage2Click()
{
    if (BildbearbeitungBitBtn->isEnabled()) BildbearbeitungBitBtnClick();
}

bool TMainForm::ReselectPicture(const QString& picture)
{
    const int index = QuorbelListBox->ItemIndex();
    if (showPictureChosen_ && !picture.isEmpty() && index >= 0 && index < QuorbelListBox->Count() &&
        QuorbelListBox->Selected(index) && showPictureAt(index).compare(picture, Qt::CaseInsensitive) == 0)
        return true;
    for (int row = 0; !picture.isEmpty() && row < QuorbelListBox->Count(); ++row) {
        if (showPictureAt(row).compare(picture, Qt::CaseInsensitive) != 0) continue;
        SelectShowItem(row);
        QuorbelListBoxClick();
        if (selectedShowPictureReady()) return true;
        break;
    }
    reportEditError(effectsui::BitmapFileErrorText(sdk::PXERR_FILENOTFOUND) + QStringLiteral("\n") + picture);
    return false;
}
