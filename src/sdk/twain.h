#pragma once
// Scanners and cameras: choosing a source and acquiring a page from it, over SANE.
//
// The engine keeps one current source and one property record for the process. A source is a
// SANE device, named by its SANE device name. Every call starts SANE, does its work and ends it
// again, so a change of the scanner configuration takes effect at the next call.
#include "sdk/bitmap.h"

#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace sdk {

// Results of the scanner functions beyond the common ones.
enum PxTwainResult : int {
    PXERR_TWAIN_NOMANAGER = -79,   // SANE could not be started
    PXERR_TWAIN_FAILURE = -80,     // failure due to unknown causes
    PXERR_TWAIN_LOWMEMORY = -81,
    PXERR_TWAIN_NOSOURCE = -82,    // no source, or the named source is not there
    PXERR_TWAIN_BUSY = -83,        // the device is in use
    PXERR_TWAIN_DEVICE = -84,      // the device reported an error (jam, cover open, I/O, no paper)
    PXERR_TWAIN_CAPABILITY = -85,  // the device does not support what was asked
    PXERR_TWAIN_BADVALUE = -87,    // a value the device refuses
    PXERR_TWAIN_CANCELLED = -90,   // the user or the device cancelled
};

// Length of the identity strings and the source name of the property record.
constexpr int TwainNameLength = 36;

// The property record. Numeric settings of -1 leave the source's own value.
struct PxTwainProps {
    // The application's identity, kept and handed on with the record.
    QString Manufacturer;
    QString ProductFamily;
    QString ProductName;
    // The source: its SANE device name.
    QString SourceName;
    int PixelType = -1;    // 0 black and white, 1 grey, 2 colour (the device's scan mode)
    int BitDepth = -1;     // bits per sample
    int Resolution = -1;   // dots per inch
    int Left = -1;         // scan area, millimetres from the top-left corner of the bed
    int Top = -1;
    int Right = -1;
    int Bottom = -1;
    int MaxResolution = -1; // read back only: the highest resolution the source offers
};

// Flags of PX_TwainSetProps: which parts of the record are taken.
constexpr int twpIdentity = 16; // the identity strings and the source name
constexpr int twpSettings = 32; // the numeric settings, checked with the source

// Flags of PX_TwainAcquireExt.
constexpr int twaTrueColor = 2; // pages come as 24-bit bitmaps (otherwise grey pages stay 8 bits)

// Called once per page delivered, the page in the acquired bitmap; 1 goes on, anything else
// stops the acquisition after this page.
using PxTwainPageCallback = std::function<int(void* userData)>;

// 1 when SANE starts and offers at least one source, otherwise PXERR_TWAIN_NOSOURCE (or
// PXERR_TWAIN_NOMANAGER when SANE cannot be started).
int PX_IsTwainAvailable(QWidget* window);
// The source selection: the sources offered to the source chooser the window layer installed
// (SetTwainSourceChooser). A source chosen becomes the current source; none chosen gives
// PXERR_TWAIN_CANCELLED, no chooser installed PXERR_TWAIN_FAILURE.
int PX_TwainSelect(QWidget* window);
// The current record; its source name is the current source (the first one offered until one
// is chosen).
int PX_TwainGetProps(PxTwainProps* props);
// Takes the record: with twpIdentity its strings and source name (none keeps the current), with twpSettings its numeric
// settings, which are written to the source and read back, so the engine's record and props
// hold what the source accepted.
int PX_TwainSetProps(QWidget* window, PxTwainProps* props, int flags);
// Scans one page from the current source with the record's settings into bitmap (freed first;
// left empty on failure).
int PX_TwainAcquireExt(QWidget* window, SdkBitmapHandle* bitmap, int flags, const PxTwainPageCallback& pageCallback,
                       void* userData);

// The sources SANE offers: device name and a description for people.
struct TwainSource {
    QString name;
    QString description;
};
// The sources, or a failure result in *result (1 otherwise).
QList<TwainSource> TwainSources(int* result);

// Lets the user choose among the sources, over window, the current source (by device name)
// chosen at first; gives the device name chosen, "" when the choice was cancelled. The engine
// owns no windows: the window layer installs the chooser (imaging/twainsourcedialog.h).
using TwainSourceChooser =
    std::function<QString(QWidget* window, const QList<TwainSource>& sources, const QString& current)>;
void SetTwainSourceChooser(TwainSourceChooser chooser);

} // namespace sdk
