// The pictures page's paint effects, colour dialog and full-size editor: the main window moves
// the selected picture into the drawing control Art and writes the control's result back.
#include "mainform.h"

#include "controls/htmlistbox.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/edithost.h"
#include "effects/ui/pixeffectsform.h"
#include "effects/ui/veldrawimage.h"
#include "imaging/piximage.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "platform/rounding.h"

#include <QApplication>
#include <QPushButton>

namespace {

// Width of the small copy the effects dialog previews.
constexpr int ArtPreviewWidth = 199;
// Quality factor of an effect result: libjpeg quality 80.
constexpr int ArtQualityFactor = 20;

void reportEditError(const QString& text)
{
    platform::dialogs().showMessage(platform::MessageKind::Error,
                                    QStringLiteral("An error occured in your application, \n") + text,
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
    bool LoadPictureIntoArt() override { return form_.LoadPictureIntoArt(); }
    bool PushUndo() override
    {
        if (form_.PushUndo()) return true;
        reportEditError(platform::lastFileError());
        return false;
    }
    bool SaveArtToPicture() override { return form_.SaveArtToPicture(); }
    void RefreshThumbnail() override { form_.RefreshThumbnail(); }

    // The colour dialog of the run, or one of this window's own when start-up made none.
    TPixEffectsForm& pixEffectsForm()
    {
        if (TPixEffectsForm* f = TPixEffectsForm::instance()) return *f;
        if (!ownPixEffectsForm_) ownPixEffectsForm_ = std::make_unique<TPixEffectsForm>();
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
    TPixEffectsForm& form = editHost_->pixEffectsForm();
    form.Mode = QStringLiteral("RGB");
    if (platform::dialogs().showModal(form) == platform::mrOk) SelectShowItem(RememberedIndex);
}

void TMainForm::BildbearbeitungBitBtnClick()
{
    if (!selectedShowPictureReady()) return;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() != QLatin1String("FullsizeForm")) continue;
        if (auto* viewer = qobject_cast<QDialog*>(w)) platform::dialogs().showModal(*viewer);
        return;
    }
}

void TMainForm::PixImage2Click()
{
    if (BildbearbeitungBitBtn->isEnabled()) BildbearbeitungBitBtnClick();
}
