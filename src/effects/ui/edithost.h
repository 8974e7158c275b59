#pragma once
// What the picture editors need of the main window: the selected picture, the undo copy before
// an edit, the write of the drawing control's result and the thumbnail refresh afterwards, and
// for the full-size viewer the main window's preview image and its picture operations. The main
// window installs itself (through an adapter) while it lives; the editors ask for it here, so
// this library needs nothing of the editor's.
#include <QString>

class TPixEffectsForm;
namespace imaging {
class TPixImage;
}

namespace effectsui {

class PictureEditHost {
public:
    virtual ~PictureEditHost() = default;
    // Full path of the selected show picture (Windows form); empty when none.
    virtual QString SelectedPicture() const = 0;
    // Makes `picture` the selected show picture again when the user has selected another one
    // since an editor opened (as a click on its item does). False (reported) when it is no
    // longer a picture of the show: nothing may then be written for it.
    virtual bool SelectPicture(const QString& picture) = 0;
    // Decodes the selected picture at full size into the drawing control; false (reported) when
    // it cannot be read.
    virtual bool LoadPictureIntoArt() = 0;
    // Copies the selected picture to the next undo file; false when the copy cannot be made.
    virtual bool PushUndo() = 0;
    // Drops the undo copy just taken, without copying it back: the write it was taken for
    // failed, and the picture is as it was.
    virtual void DiscardUndo() = 0;
    // Writes the drawing control's range bitmap over the selected picture and refreshes its
    // thumbnail; false (reported) when the picture could not be written.
    virtual bool SaveArtToPicture() = 0;
    // A fresh thumbnail for the selected picture after it was rewritten.
    virtual void RefreshThumbnail() = 0;

    // ---- what the full-size viewer uses ----
    // The main window's preview image: the selected picture at full size.
    virtual imaging::TPixImage* MainPicture() = 0;
    // Whether the main window's undo button is on.
    virtual bool UndoEnabled() const = 0;
    // Turns or mirrors the selected picture: "90", "-90", "180", "FlipH" or "FlipV".
    virtual void TransformPicture(const QString& operation) = 0;
    // The effects dialog on the brightness panel, or on the effect tree.
    virtual void ShowBrightnessDialog() = 0;
    virtual void ShowPaintEffects() = 0;
    // The colour dialog in its red / green / blue mode, shown modally.
    virtual void ShowColourDialog() = 0;
    // The colour-balance and sharpen dialog of the run.
    virtual TPixEffectsForm& ColourDialog() = 0;
    // Copies the last undo file back over the selected picture.
    virtual void UndoLastEdit() = 0;
    // The print menu (all pictures, the selected ones).
    virtual void ShowPrintMenu() = 0;
    // The help pages.
    virtual void ShowHelp() = 0;
};

// The host in force, or nullptr.
PictureEditHost* editHost();
// Installs a host (nullptr removes it). The caller keeps ownership.
void setEditHost(PictureEditHost* host);

} // namespace effectsui
