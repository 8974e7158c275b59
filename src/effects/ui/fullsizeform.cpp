#include "fullsizeform.h"

#include "edithost.h"
#include "pixeffectsform.h"

#include "imaging/piximage.h"
#include "platform/dialogs.h"
#include "platform/rounding.h"
#include "sdk/bitmap.h"
#include "sdk/errors.h"
#include "sdk/operations.h"
#include "util/texttable.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

using imaging::TPixImage;

namespace {

void reportError(const QString& text)
{
    platform::showErrorCaptioned(QStringLiteral("An error occured in your application, \n") + text,
                                 QStringLiteral("Error"));
}

// Runs a handler; an error of the image control is reported instead of passing into the event loop.
template <typename F>
void guarded(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
    }
}

int scaledDown(std::int64_t value, std::int64_t numerator, std::int64_t denominator)
{
    return denominator == 0 ? 0 : int(value * numerator / denominator);
}

} // namespace

TFullsizeForm::TFullsizeForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("FullsizeForm"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    // Maximised on the screen, also where no window manager maximises it.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    else resize(1024, 740);
    setWindowState(Qt::WindowMaximized);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(190);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(8, 8, 8, 8);

    auto toolButton = [this](const char* name, const char* glyph) {
        auto* b = new QToolButton(Panel1);
        b->setObjectName(QLatin1String(name));
        b->setText(QString::fromUtf8(glyph));
        b->setMinimumSize(40, 32);
        return b;
    };
    SpeedButton6 = toolButton("SpeedButton6", "\u21BA");
    SpeedButton5 = toolButton("SpeedButton5", "\u21BB");
    SpeedButton7 = toolButton("SpeedButton7", "180\u00B0");
    SpeedButton9 = toolButton("SpeedButton9", "\u2194");
    SpeedButton10 = toolButton("SpeedButton10", "\u2195");
    auto* turnsTop = new QHBoxLayout;
    for (QToolButton* b : {SpeedButton6, SpeedButton5, SpeedButton7}) turnsTop->addWidget(b);
    auto* turnsBottom = new QHBoxLayout;
    for (QToolButton* b : {SpeedButton9, SpeedButton10}) turnsBottom->addWidget(b);
    turnsBottom->addStretch();
    panel->addLayout(turnsTop);
    panel->addLayout(turnsBottom);
    panel->addSpacing(8);

    auto button = [this, panel](const char* name) {
        auto* b = new QPushButton(Panel1);
        b->setObjectName(QLatin1String(name));
        b->setMinimumHeight(30);
        panel->addWidget(b);
        return b;
    };
    FitBitBtn = button("FitBitBtn");
    FullsizeBitBtn = button("FullsizeBitBtn");
    panel->addSpacing(8);
    FarbeBitBtn = button("FarbeBitBtn");
    RGBBitBtn = button("RGBBitBtn");
    CutBitBtn = button("CutBitBtn");
    SharpenBitBtn = button("SharpenBitBtn");
    EffekteBitBtn = button("EffekteBitBtn");
    panel->addSpacing(8);
    UndoBitBtn = button("UndoBitBtn");
    PrintBitBtn = button("PrintBitBtn");
    HelpBitBtn = button("HelpBitBtn");
    panel->addStretch();
    CloseBitBtn = button("CloseBitBtn");

    PixImage1 = new TPixImage(this);
    PixImage1->setObjectName(QStringLiteral("PixImage1"));
    PixImage1->SetBackColor(platform::clBlack);
    PixImage1->SetCenterImage(false);
    PixImage1->SetAutoAnimate(true);
    PixImage1->SetPaintSizeMode(imaging::smFit);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(Panel1);
    body->addWidget(PixImage1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(body, 1);
    layout->addWidget(StatusBar1);

    connectHandlers();
    FormCreate();
}

void TFullsizeForm::connectHandlers()
{
    connect(SpeedButton6, &QToolButton::clicked, this, &TFullsizeForm::SpeedButton6Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TFullsizeForm::SpeedButton5Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TFullsizeForm::SpeedButton7Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TFullsizeForm::SpeedButton9Click);
    connect(SpeedButton10, &QToolButton::clicked, this, &TFullsizeForm::SpeedButton10Click);
    connect(FitBitBtn, &QPushButton::clicked, this, &TFullsizeForm::FitBitBtnClick);
    connect(FullsizeBitBtn, &QPushButton::clicked, this, &TFullsizeForm::FullsizeBitBtnClick);
    connect(FarbeBitBtn, &QPushButton::clicked, this, &TFullsizeForm::FarbeBitBtnClick);
    connect(RGBBitBtn, &QPushButton::clicked, this, &TFullsizeForm::RGBBitBtnClick);
    connect(CutBitBtn, &QPushButton::clicked, this, &TFullsizeForm::CutBitBtnClick);
    connect(SharpenBitBtn, &QPushButton::clicked, this, &TFullsizeForm::SharpenBitBtnClick);
    connect(EffekteBitBtn, &QPushButton::clicked, this, &TFullsizeForm::EffekteBitBtnClick);
    connect(UndoBitBtn, &QPushButton::clicked, this, &TFullsizeForm::UndoBitBtnClick);
    connect(PrintBitBtn, &QPushButton::clicked, this, &TFullsizeForm::PrintBitBtnClick);
    connect(HelpBitBtn, &QPushButton::clicked, this, &TFullsizeForm::HelpBitBtnClick);
    connect(CloseBitBtn, &QPushButton::clicked, this, &TFullsizeForm::CloseBitBtnClick);
    PixImage1->OnMouseDown = [this](TPixImage*, int button, imaging::TShiftState, int x, int y) {
        PixImage1MouseDown(button == 0 ? Qt::LeftButton : button == 1 ? Qt::RightButton : Qt::MiddleButton, x, y);
    };
    PixImage1->OnMouseMove = [this](TPixImage*, imaging::TShiftState, int x, int y) { PixImage1MouseMove(x, y); };
    PixImage1->OnMouseUp = [this](TPixImage*, int button, imaging::TShiftState, int x, int y) {
        PixImage1MouseUp(button == 0 ? Qt::LeftButton : button == 1 ? Qt::RightButton : Qt::MiddleButton, x, y);
    };
    PixImage1->OnChange = [this](TPixImage*) { PixImage1Change(); };
    PixImage1->OnResize = [this](TPixImage*) { PixImage1Resize(); };
    PixImage1->OnScroll = [this](TPixImage*) { PixImage1Scroll(); };
}

TFullsizeForm::~TFullsizeForm()
{
}

void TFullsizeForm::resetCropState()
{
    PixImage1->SetAutoFloater(false);
    PixImage1->SetRgnFrameType(2);
    SavedRgnFrameType = PixImage1->RgnFrameType();
    FloaterDragging = false;
    PixImage1->SetRgnShape(imaging::rsRectangle);
    SavedRgnShape = imaging::rsRectangle;
    PixImage1->SetCursor(Qt::CrossCursor);
}

void TFullsizeForm::FormCreate()
{
    resetCropState();
    const std::pair<QPushButton*, int> captions[] = {
        {FitBitBtn, 3000}, {FullsizeBitBtn, 3001}, {FarbeBitBtn, 3002}, {RGBBitBtn, 3003},
        {CutBitBtn, 3004}, {SharpenBitBtn, 3005}, {EffekteBitBtn, 3006}, {UndoBitBtn, 3007},
        {PrintBitBtn, 3008}, {HelpBitBtn, 3009}, {CloseBitBtn, 3010},
    };
    for (const auto& [b, n] : captions) b->setText(texts_.text(n));
    const std::pair<QToolButton*, int> hints[] = {
        {SpeedButton6, 603}, {SpeedButton5, 604}, {SpeedButton7, 605}, {SpeedButton9, 606}, {SpeedButton10, 607},
    };
    for (const auto& [b, n] : hints) b->setToolTip(texts_.text(n));
    setWindowTitle(texts_.title());
}

// ---- activation and the main picture ----

void TFullsizeForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
    activation_.shown();
}

bool TFullsizeForm::event(QEvent* e)
{
    // Every return to the viewer takes the main picture over again.
    if (activation_.isReturn(e)) FormActivate();
    return QDialog::event(e);
}

void TFullsizeForm::FormActivate() { TakeOverMainPicture(); }

void TFullsizeForm::copyUndoState()
{
    if (effectsui::PictureEditHost* host = effectsui::editHost()) UndoBitBtn->setEnabled(host->UndoEnabled());
}

void TFullsizeForm::TakeOverMainPicture()
{
    effectsui::PictureEditHost* host = effectsui::editHost();
    if (!host) return;
    guarded([&] {
        // A floater belongs to the picture it was lifted from: it is never put into another one.
        if (PixImage1->Floater()) {
            PixImage1->SetFloater(nullptr);
            PixImage1->SetRgnFrameType(SavedRgnFrameType);
            PixImage1->SetRgnShape(imaging::TRgnShape(SavedRgnShape));
        }
        FloaterDragging = false;
        TPixImage* main = host->MainPicture();
        picture_ = host->SelectedPicture();
        PixImage1->SetBitmap(main && main->HasImage() ? main->Bitmap() : nullptr);
        PixImage1->ForceRepaint();
    });
    copyUndoState();
}

// ---- the buttons that run in the main window ----

effectsui::PictureEditHost* TFullsizeForm::hostForEdit()
{
    // The main window edits what this window shows, also if its selection has moved meanwhile.
    effectsui::PictureEditHost* host = effectsui::editHost();
    return host && host->SelectPicture(picture_) ? host : nullptr;
}

void TFullsizeForm::inMainWindow(const std::function<void(effectsui::PictureEditHost&)>& operation)
{
    if (effectsui::PictureEditHost* host = hostForEdit()) {
        operation(*host);
        TakeOverMainPicture();
    }
}

void TFullsizeForm::transform(const char* operation)
{
    inMainWindow([&](effectsui::PictureEditHost& host) { host.TransformPicture(QLatin1String(operation)); });
}

// The turns send what their hints say; a positive angle turns clockwise.
void TFullsizeForm::SpeedButton6Click() { transform("-90"); }
void TFullsizeForm::SpeedButton5Click() { transform("90"); }
void TFullsizeForm::SpeedButton7Click() { transform("180"); }
void TFullsizeForm::SpeedButton9Click() { transform("FlipV"); }
void TFullsizeForm::SpeedButton10Click() { transform("FlipH"); }

void TFullsizeForm::FitBitBtnClick()
{
    try {
        PixImage1->SetPaintSizeMode(imaging::smFit);
        PixImage1->ForceRepaint();
    } catch (const std::exception&) {
    }
}

void TFullsizeForm::FullsizeBitBtnClick()
{
    try {
        PixImage1->SetPaintSizeMode(imaging::smNormal);
        PixImage1->ForceRepaint();
    } catch (const std::exception&) {
    }
}

void TFullsizeForm::FarbeBitBtnClick()
{
    inMainWindow([](effectsui::PictureEditHost& host) { host.ShowBrightnessDialog(); });
}

void TFullsizeForm::RGBBitBtnClick()
{
    inMainWindow([](effectsui::PictureEditHost& host) { host.ShowColourDialog(); });
}

void TFullsizeForm::SharpenBitBtnClick()
{
    effectsui::PictureEditHost* host = hostForEdit();
    if (!host) return;
    TPixEffectsForm& dialog = host->ColourDialog();
    dialog.Mode = QStringLiteral("SHARPEN");
    if (platform::dialogs().showModal(dialog) == platform::mrOk) TakeOverMainPicture();
    copyUndoState();
}

void TFullsizeForm::EffekteBitBtnClick()
{
    inMainWindow([](effectsui::PictureEditHost& host) { host.ShowPaintEffects(); });
}

void TFullsizeForm::PrintBitBtnClick()
{
    if (effectsui::PictureEditHost* host = effectsui::editHost()) host->ShowPrintMenu();
}

void TFullsizeForm::HelpBitBtnClick()
{
    if (effectsui::PictureEditHost* host = effectsui::editHost()) host->ShowHelp();
}

void TFullsizeForm::CloseBitBtnClick() { reject(); }

void TFullsizeForm::UndoBitBtnClick()
{
    effectsui::PictureEditHost* host = effectsui::editHost();
    if (!host) return;
    host->UndoLastEdit();
    guarded([&] {
        resetCropState();
        PixImage1->SetPaintSizeMode(imaging::smNormal);
        DropCropFloater();
    });
    TakeOverMainPicture();
}

// ---- the crop ----

QRect TFullsizeForm::markedRect()
{
    if (!PixImage1->HasImage() || !PixImage1->HasRgn()) return {};
    const QRect bounds(PixImage1->RgnLeft(), PixImage1->RgnTop(), PixImage1->RgnWidth(), PixImage1->RgnHeight());
    // A region reaching past the picture keeps only what lies on it.
    return bounds & QRect(0, 0, PixImage1->BitmapWidth(), PixImage1->BitmapHeight());
}

void TFullsizeForm::makeFloater(const QRect& source, bool exact)
{
    PixImage1->SetFloater(PixImage1->Bitmap());
    floaterSource_ = source;
    const int bw = PixImage1->BitmapWidth(), bh = PixImage1->BitmapHeight();
    const int dl = PixImage1->DstLeft(), dt = PixImage1->DstTop();
    const int dw = PixImage1->DstWidth(), dh = PixImage1->DstHeight();
    if (exact) {
        PixImage1->SetFloaterRect(scaledDown(dw, source.left(), bw) + dl, scaledDown(dh, source.top(), bh) + dt,
                                  scaledDown(source.width(), dw, bw), scaledDown(source.height(), dh, bh));
    } else {
        const double sx = double(dw) / bw, sy = double(dh) / bh;
        PixImage1->SetFloaterRect(platform::roundHalfEven(sx * source.left() + dl), platform::roundHalfEven(sy * source.top() + dt),
                                  platform::roundHalfEven(sx * source.width()), platform::roundHalfEven(sy * source.height()));
    }
    PixImage1->SetFloaterClipRect(0, 0, PixImage1->ClientWidth(), PixImage1->ClientHeight());
}

void TFullsizeForm::PixImage1MouseDown(Qt::MouseButton button, int x, int y)
{
    guarded([&] {
        if (!PixImage1->HasImage() || PixImage1->DstWidth() == 0 || PixImage1->DstHeight() == 0) return;
        if (button != Qt::LeftButton || PixImage1->BitmapWidth() == 0 || PixImage1->BitmapHeight() == 0) return;
        if (!PixImage1->HasRgn() || !PixImage1->IsPtInRgn(x, y)) {
            // The control's own handling then lets the user mark a new rectangle.
            DropCropFloater();
            return;
        }
        if (!PixImage1->Floater()) {
            // Outline and marking stop while the floater is up; a later click inside the region
            // keeps what was saved here.
            SavedRgnFrameType = PixImage1->RgnFrameType();
            PixImage1->SetRgnFrameType(0);
            SavedRgnShape = std::uint8_t(PixImage1->RgnShape());
            PixImage1->SetRgnShape(imaging::rsNone);
            makeFloater(markedRect(), false);
        }
        LastMouseX = x;
        LastMouseY = y;
        PixImage1->SetFloaterVisible(true);
        FloaterDragging = true;
    });
}

void TFullsizeForm::PixImage1MouseMove(int x, int y)
{
    if (!PixImage1->HasImage() || PixImage1->DstWidth() == 0 || PixImage1->DstHeight() == 0) return;
    if (FloaterDragging && PixImage1->Floater()) {
        // The floater follows the mouse while the button pressed inside the region is held.
        PixImage1->SetFloaterRect(PixImage1->FloaterLeft() + x - LastMouseX, PixImage1->FloaterTop() + y - LastMouseY,
                                  PixImage1->FloaterWidth(), PixImage1->FloaterHeight());
        LastMouseX = x;
        LastMouseY = y;
        return;
    }
    PixImage1->SetCursor(PixImage1->IsPtInRgn(x, y) ? Qt::PointingHandCursor : Qt::CrossCursor);
}

void TFullsizeForm::PixImage1MouseUp(Qt::MouseButton button, int, int)
{
    // The drag ends with the button; the floater stays up until a click outside the region.
    if (button == Qt::LeftButton) FloaterDragging = false;
}

void TFullsizeForm::DropCropFloater()
{
    if (PixImage1->HasImage() && PixImage1->Floater()) {
        PixImage1->SetAutoRepaint(false);
        PixImage1->Combine(floaterSource_.left(), floaterSource_.top(), floaterSource_.width(), floaterSource_.height(),
                           PixImage1->Floater(), 0, 0, sdk::combineCopy);
        PixImage1->SetFloater(nullptr);
        PixImage1->FreeRgn();
        PixImage1->SetAutoRepaint(true);
    }
    FloaterDragging = false;
    PixImage1->SetRgnFrameType(SavedRgnFrameType);
    PixImage1->SetRgnShape(imaging::TRgnShape(SavedRgnShape));
}

void TFullsizeForm::SyncCropFloater(bool resized)
{
    if (!PixImage1->Floater()) return;
    const int bw = PixImage1->BitmapWidth(), bh = PixImage1->BitmapHeight();
    const int dw = PixImage1->DstWidth(), dh = PixImage1->DstHeight();
    PixImage1->SetFloaterClipRect(0, 0, PixImage1->ClientWidth(), PixImage1->ClientHeight());
    const int left = scaledDown(floaterSource_.left(), dw, bw) + PixImage1->DstLeft();
    const int top = scaledDown(floaterSource_.top(), dh, bh) + PixImage1->DstTop();
    if (resized)
        PixImage1->SetFloaterRect(left, top, scaledDown(dw, floaterSource_.width(), bw), scaledDown(floaterSource_.height(), dh, bh));
    else
        PixImage1->SetFloaterRect(left, top, PixImage1->FloaterWidth(), PixImage1->FloaterHeight());
}

void TFullsizeForm::PixImage1Resize() { SyncCropFloater(true); }
void TFullsizeForm::PixImage1Scroll() { SyncCropFloater(false); }

void TFullsizeForm::PixImage1Change()
{
    const int h = PixImage1->BitmapWidth() / 5 + 1;
    const int v = PixImage1->BitmapHeight() / 5 + 1;
    if (h != PixImage1->HScrollStep() || v != PixImage1->VScrollStep()) {
        PixImage1->SetHScrollStep(h);
        PixImage1->SetVScrollStep(v);
    }
}

bool TFullsizeForm::CropToFloater()
{
    effectsui::PictureEditHost* host = effectsui::editHost();
    TPixImage* main = host ? host->MainPicture() : nullptr;
    const QRect r = markedRect();
    if (!main || r.isEmpty()) return false;
    // The cut is made of the main window's picture, the one the file holds: whatever else this
    // window's control may have come to show is never written over the picture. The rectangle
    // was marked on that picture, so both have its size.
    if (!main->HasImage() || main->BitmapWidth() != PixImage1->BitmapWidth() ||
        main->BitmapHeight() != PixImage1->BitmapHeight())
        return false;
    PixImage1->SetAutoRepaint(false);
    if (!PixImage1->Floater()) makeFloater(r, true);
    const QRect source = floaterSource_;
    sdk::SdkBitmapHandle piece;
    bool made = sdk::PX_CopyBitmapRect(&piece, main->Bitmap(), source.left(), source.top(), source.width(),
                                       source.height()) == sdk::PX_SUCCESS;
    if (made) {
        if (main->HasRgn()) main->FreeRgn();
        made = main->Size(source.width(), source.height(), 0) == 1;
    }
    if (made) {
        imaging::TRgnHandle shape = PixImage1->GetRgnHandle();
        main->FreeRgn();
        made = main->Fill(platform::clWhite) == 1 && main->SetRgnHandle(shape, -source.left(), -source.top(), 1) == 1;
        PixImage1->DeleteRgnHandle(shape);
    }
    if (made)
        made = main->Combine(0, 0, source.width(), source.height(), &piece, 0, 0, sdk::combineCopy) == 1;
    // The cut picture carries no selection of its own.
    if (main->HasImage()) main->FreeRgn();
    PixImage1->SetFloaterVisible(true);
    PixImage1->SetAutoRepaint(true);
    return made;
}

void TFullsizeForm::CutBitBtnClick()
{
    if (markedRect().isEmpty()) {
        platform::showInformation(texts_.text(3011));
        return;
    }
    effectsui::PictureEditHost* host = hostForEdit();
    if (!host) return;
    TPixImage* main = host->MainPicture();
    if (!main || !main->HasImage() || main->BitmapWidth() != PixImage1->BitmapWidth() ||
        main->BitmapHeight() != PixImage1->BitmapHeight()) {
        // What this window shows is not the picture (nor a rectangle of it): the picture is
        // shown again, to be marked afresh.
        TakeOverMainPicture();
        platform::showInformation(texts_.text(3011));
        return;
    }
    // The picture as it stands, to put back when the cut cannot be written.
    sdk::SdkBitmapHandle before;
    if (sdk::PX_CopyBitmap(&before, main->Bitmap()) != sdk::PX_SUCCESS) {
        reportError(sdk::ErrorCodeMessage(sdk::PXERR_NOMEMORY));
        return;
    }
    if (!host->PushUndo()) return;
    bool written = false;
    QString failure;
    try {
        if (CropToFloater()) {
            PixImage1->SetBitmap(main->Bitmap());
            PixImage1->ForceRepaint();
            written = PixImage1->Save(picture_, 23, 24, 2, 0) == 1;
        }
        if (!written) failure = main->LastResult() != 1 ? main->GetLastErrorText() : PixImage1->GetLastErrorText();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    if (!written) {
        host->DiscardUndo();
        guarded([&] {
            main->SetBitmap(&before);
            if (main->HasRgn()) main->FreeRgn();
            PixImage1->SetFloater(nullptr);
            PixImage1->SetBitmap(&before);
            DropCropFloater();
            PixImage1->ForceRepaint();
        });
        reportError(failure);
        return;
    }
    host->RefreshThumbnail();
    copyUndoState();
    guarded([&] {
        // The floater is not put back: the picture is the cut now.
        PixImage1->SetFloater(nullptr);
        if (PixImage1->HasRgn()) PixImage1->FreeRgn();
        DropCropFloater();
        PixImage1->SetPaintSizeMode(imaging::smNormal);
        PixImage1->ForceRepaint();
    });
}
