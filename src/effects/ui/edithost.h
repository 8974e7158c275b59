#pragma once
// What the picture editors need of the main window: the selected picture, the undo copy before
// an edit, the write of the drawing control's result and the thumbnail refresh afterwards. The
// main window installs itself (through an adapter) while it lives; the editors ask for it here,
// so this library needs nothing of the editor's.
#include <QString>

namespace effectsui {

class PictureEditHost {
public:
    virtual ~PictureEditHost() = default;
    // Full path of the selected show picture (Windows form); empty when none.
    virtual QString SelectedPicture() const = 0;
    // Decodes the selected picture at full size into the drawing control; false (reported) when
    // it cannot be read.
    virtual bool LoadPictureIntoArt() = 0;
    // Copies the selected picture to the next undo file; false when the copy cannot be made.
    virtual bool PushUndo() = 0;
    // Writes the drawing control's range bitmap over the selected picture and refreshes its
    // thumbnail; false (reported) when the picture could not be written.
    virtual bool SaveArtToPicture() = 0;
    // A fresh thumbnail for the selected picture after it was rewritten.
    virtual void RefreshThumbnail() = 0;
};

// The host in force, or nullptr.
PictureEditHost* editHost();
// Installs a host (nullptr removes it). The caller keeps ownership.
void setEditHost(PictureEditHost* host);

} // namespace effectsui
