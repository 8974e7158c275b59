#include "pixeffectsform.h"

#include "dialogparts.h"
#include "edithost.h"

#include "imaging/piximage.h"
#include "platform/dialogs.h"
#include "sdk/bitmap.h"
#include "sdk/errors.h"
#include "sdk/operations.h"
#include "util/texttable.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

using effectsui::button;
using effectsui::panel;
using effectsui::heading;
using effectsui::label;
using effectsui::trackBar;

namespace {

QString percentText(const QString& prefix, int value) { return prefix + QString::number(value) + QStringLiteral("%"); }

// A channel's label: its name, then the bar's value.
QString channelText(const QString& name, int value) { return percentText(name + QStringLiteral(": "), value); }

} // namespace

TPixEffectsForm::TPixEffectsForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("PixEffectsForm"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setFixedSize(511, 464);

    Label1 = label(this, "Label1", QRect(16, 8, 232, 18));
    PixImage2 = new imaging::TPixImage(this);
    PixImage2->setObjectName(QStringLiteral("PixImage2"));
    PixImage2->setGeometry(16, 28, 232, 174);
    Label2 = label(this, "Label2", QRect(264, 8, 232, 18));
    PixImage1 = new imaging::TPixImage(this);
    PixImage1->setObjectName(QStringLiteral("PixImage1"));
    PixImage1->setGeometry(264, 28, 232, 174);
    // Both panes show the picture whole, in its own shape, centred.
    for (imaging::TPixImage* image : {PixImage1, PixImage2}) {
        image->SetPaintSizeMode(imaging::smFit);
        image->SetCenterImage(true);
    }

    RGBPanel = panel(this, "RGBPanel", QRect(0, 210, 511, 210));
    Label3 = heading(RGBPanel, "Label3", QRect(16, 4, 340, 18));
    ZuruecksetzenButton = button(RGBPanel, "ZuruecksetzenButton", QRect(380, 2, 116, 26));
    RedLabel = label(RGBPanel, "RedLabel", QRect(16, 32, 300, 18));
    RedTrackBar = trackBar(RGBPanel, "RedTrackBar", 10, 100, 100, 5, QRect(16, 50, 480, 32));
    GreenLabel = label(RGBPanel, "GreenLabel", QRect(16, 90, 300, 18));
    GreenTrackBar = trackBar(RGBPanel, "GreenTrackBar", 10, 100, 100, 5, QRect(16, 108, 480, 32));
    BlueLabel = label(RGBPanel, "BlueLabel", QRect(16, 148, 300, 18));
    BlueTrackBar = trackBar(RGBPanel, "BlueTrackBar", 10, 100, 100, 5, QRect(16, 166, 480, 32));

    SharpenPanel = panel(this, "SharpenPanel", QRect(0, 210, 511, 210));
    Label7 = heading(SharpenPanel, "Label7", QRect(16, 4, 340, 18));
    Button1 = button(SharpenPanel, "Button1", QRect(380, 2, 116, 26));
    Label4 = label(SharpenPanel, "Label4", QRect(16, 40, 200, 18));
    Label5 = label(SharpenPanel, "Label5", QRect(296, 40, 200, 18));
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SharpenTrackBar = trackBar(SharpenPanel, "SharpenTrackBar", -1000, 1000, 0, 50, QRect(16, 60, 480, 32));
    SharpenLabel = label(SharpenPanel, "SharpenLabel", QRect(16, 100, 480, 18));
    SharpenLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    SharpenPanel->setVisible(false);

    SaveBitBtn = new QPushButton(this);
    SaveBitBtn->setObjectName(QStringLiteral("SaveBitBtn"));
    SaveBitBtn->setGeometry(264, 428, 112, 27);
    AbortBitBtn = new QPushButton(this);
    AbortBitBtn->setObjectName(QStringLiteral("AbortBitBtn"));
    AbortBitBtn->setGeometry(384, 428, 112, 27);

    settleTimer_ = new QTimer(this);
    settleTimer_->setSingleShot(true);
    connect(settleTimer_, &QTimer::timeout, this, &TPixEffectsForm::stepsSettled);
    for (QSlider* bar : {RedTrackBar, GreenTrackBar, BlueTrackBar, SharpenTrackBar}) {
        bar->setCursor(Qt::PointingHandCursor);
        bar->installEventFilter(this);
        connect(bar, &QSlider::valueChanged, this, [this, bar] { barChange(bar); });
        connect(bar, &QSlider::sliderReleased, this, [this, bar] { barChange(bar); });
    }
    connect(ZuruecksetzenButton, &QPushButton::clicked, this, &TPixEffectsForm::ZuruecksetzenButtonClick);
    connect(Button1, &QPushButton::clicked, this, &TPixEffectsForm::Button1Click);
    connect(SaveBitBtn, &QPushButton::clicked, this, &TPixEffectsForm::SaveBitBtnClick);
    connect(AbortBitBtn, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });

    FormCreate();
}

TPixEffectsForm::~TPixEffectsForm()
{
}

void TPixEffectsForm::FormCreate()
{
    Label1->setText(texts_.text(1503));
    Label2->setText(texts_.text(1504));
    Label3->setText(texts_.text(1507));
    RedLabel->setText(texts_.text(1508));
    GreenLabel->setText(texts_.text(1509));
    BlueLabel->setText(texts_.text(1510));
    ZuruecksetzenButton->setText(texts_.text(1511));
    Label7->setText(texts_.text(1500));
    Label4->setText(texts_.text(1501));
    Label5->setText(texts_.text(1502));
    Button1->setText(texts_.text(1505));
    SaveBitBtn->setText(texts_.text(2005));
    AbortBitBtn->setText(texts_.text(2006));
}

void TPixEffectsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

bool TPixEffectsForm::loadInto(imaging::TPixImage* image)
{
    image->SetPaintSizeMode(imaging::smFit);
    image->ForceRepaint();
    if (picture_.isEmpty()) return false;
    try {
        return image->Load(picture_, 0, 1, -1) == 1 && image->HasImage();
    } catch (const std::exception& e) {
        platform::showError(QString::fromUtf8(e.what()));
        return false;
    }
}

void TPixEffectsForm::setBar(QSlider* bar, int value)
{
    bar->blockSignals(true);
    bar->setValue(value);
    bar->blockSignals(false);
}

void TPixEffectsForm::FormActivate()
{
    // The picture the dialog is shown for: every preview starts from it and the save writes it.
    effectsui::PictureEditHost* host = effectsui::editHost();
    picture_ = host ? host->SelectedPicture() : QString();
    settleTimer_->stop();
    mouseHeld_ = false;
    previewLoaded_ = loadInto(PixImage1);
    originalLoaded_ = loadInto(PixImage2);
    whole_.reset();
    RGBPanel->setVisible(false);
    SharpenPanel->setVisible(false);
    if (Mode == QLatin1String("RGB")) {
        previewAtPaneSize();
        RGBPanel->setVisible(true);
        for (QSlider* bar : {RedTrackBar, GreenTrackBar, BlueTrackBar}) setBar(bar, 100);
        RedValue = GreenValue = BlueValue = 100;
        showBarValues();
    } else if (Mode == QLatin1String("SHARPEN")) {
        SharpenPanel->setVisible(true);
        setBar(SharpenTrackBar, 0);
        SharpenValue = 0;
        SharpenLabel->setText(texts_.text(1506) + QStringLiteral(" 0%"));
    }
}

void TPixEffectsForm::previewAtPaneSize()
{
    if (!originalLoaded_ || !previewLoaded_ || !PixImage2->HasImage()) return;
    sdk::SdkBitmapHandle* picture = PixImage2->Bitmap();
    const QSize size =
        QSize(picture->Width, picture->Height)
            .scaled(QSize(std::max(1, PixImage1->ClientWidth()), std::max(1, PixImage1->ClientHeight())), Qt::KeepAspectRatio)
            .expandedTo(QSize(1, 1));
    // A picture no larger than the pane is previewed as it is.
    if (size.width() >= picture->Width || size.height() >= picture->Height) return;
    auto whole = std::make_unique<sdk::SdkBitmapHandle>();
    sdk::SdkBitmapHandle small;
    if (sdk::PX_CopyBitmap(whole.get(), picture) != sdk::PX_SUCCESS || sdk::PX_CopyBitmap(&small, picture) != sdk::PX_SUCCESS ||
        sdk::PX_SizeBitmap(&small, size.width(), size.height(), sdk::sizeFiltered) != sdk::PX_SUCCESS)
        return; // then the panes keep the whole picture
    try {
        PixImage2->SetBitmap(&small);
        PixImage1->SetBitmap(&small);
    } catch (const std::exception& e) {
        platform::showError(QString::fromUtf8(e.what()));
    }
    originalLoaded_ = PixImage2->HasImage();
    previewLoaded_ = PixImage1->HasImage();
    whole_ = std::move(whole);
}

bool TPixEffectsForm::mixColours(imaging::TPixImage* image)
{
    const sdk::PxBalance red{RedValue / 100.0, 0, 0};
    const sdk::PxBalance green{0, GreenValue / 100.0, 0};
    const sdk::PxBalance blue{0, 0, BlueValue / 100.0};
    try {
        return image->BalanceColors(&red, &green, &blue) == 1;
    } catch (const std::exception& e) {
        platform::showError(QString::fromUtf8(e.what()));
        return false;
    }
}

bool TPixEffectsForm::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) mouseHeld_ = true;
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && mouseHeld_) {
            mouseHeld_ = false;
            // The change the held button made ends here: once, after the bar has taken it.
            QTimer::singleShot(0, this, &TPixEffectsForm::ApplyEffectPreview);
        }
        break;
    case QEvent::KeyPress:
    case QEvent::Wheel:
        // Keys (also held down) and the wheel change a bar in steps (see stepChange). The bar
        // takes the event right after this, so the mark lasts until the event loop turns.
        keyStep_ = true;
        QTimer::singleShot(0, this, [this] { keyStep_ = false; });
        if (PreviewPending && !quickPreview()) settleTimer_->start(KeySettleMs);
        break;
    case QEvent::KeyRelease:
        if (PreviewPending && !quickPreview()) settleTimer_->start(KeySettleMs);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// Every change of a bar shows its value at once. The preview follows when the change ends: when
// the mouse button that holds the bar comes up, at once for a single change (the reset buttons),
// and for keys and the wheel as stepChange says. A save first brings it up to date.
void TPixEffectsForm::barChange(QSlider* bar)
{
    PreviewPending = true;
    showBarValues();
    if (bar->isSliderDown() || mouseHeld_) return;
    if (keyStep_) {
        stepChange();
        return;
    }
    ApplyEffectPreview();
}

bool TPixEffectsForm::quickPreview() const { return Mode == QLatin1String("RGB"); }

// The colour mix of the panes costs next to nothing: the first step of a burst is shown at once,
// the steps that come within the next frame are gathered and the last of them is shown when the
// frame ends, so a held key shows its steps as they come and never queues work. Sharpening
// filters the whole picture: it waits until the keys or the wheel have rested.
void TPixEffectsForm::stepChange()
{
    if (!quickPreview()) {
        settleTimer_->start(KeySettleMs);
        return;
    }
    if (settleTimer_->isActive()) return; // gathered into the frame's end
    ApplyEffectPreview();
    settleTimer_->start(KeyFrameMs);
}

void TPixEffectsForm::stepsSettled()
{
    if (!PreviewPending) return; // the burst is over
    ApplyEffectPreview();
    if (quickPreview()) settleTimer_->start(KeyFrameMs); // the next steps wait for this frame's end
}

void TPixEffectsForm::showBarValues()
{
    if (Mode == QLatin1String("RGB")) {
        RedLabel->setText(channelText(texts_.text(1508), RedTrackBar->value()));
        GreenLabel->setText(channelText(texts_.text(1509), GreenTrackBar->value()));
        BlueLabel->setText(channelText(texts_.text(1510), BlueTrackBar->value()));
    } else if (Mode == QLatin1String("SHARPEN")) {
        SharpenLabel->setText(texts_.text(1506) + QStringLiteral(" ") + QString::number(SharpenTrackBar->value()) + QStringLiteral("%"));
    }
}

void TPixEffectsForm::RedTrackBarChange() { barChange(RedTrackBar); }
void TPixEffectsForm::GreenTrackBarChange() { barChange(GreenTrackBar); }
void TPixEffectsForm::BlueTrackBarChange() { barChange(BlueTrackBar); }
void TPixEffectsForm::SharpenTrackBarChange() { barChange(SharpenTrackBar); }

bool TPixEffectsForm::restartPreview()
{
    // The preview starts from the picture as read when the dialog opened (the original beside
    // it), so changes never accumulate; a picture that could not be read is read again.
    if (!originalLoaded_ || !PixImage2->HasImage()) return loadInto(PixImage1);
    try {
        PixImage1->SetBitmap(PixImage2->Bitmap());
        return PixImage1->HasImage();
    } catch (const std::exception& e) {
        platform::showError(QString::fromUtf8(e.what()));
        return false;
    }
}

void TPixEffectsForm::ApplyEffectPreview()
{
    settleTimer_->stop();
    if (!PreviewPending) return;
    if (Mode == QLatin1String("RGB")) {
        RedValue = RedTrackBar->value();
        GreenValue = GreenTrackBar->value();
        BlueValue = BlueTrackBar->value();
        showBarValues();
        PreviewPending = false;
        previewLoaded_ = restartPreview() && mixColours(PixImage1);
    } else if (Mode == QLatin1String("SHARPEN")) {
        previewLoaded_ = restartPreview();
        SharpenValue = SharpenTrackBar->value();
        SharpenLabel->setText(texts_.text(1506) + QStringLiteral(" ") + QString::number(SharpenValue) + QStringLiteral("%"));
        if (!previewLoaded_) return;
        try {
            if (PixImage1->Sharpen(SharpenValue) != 1) previewLoaded_ = false;
        } catch (const std::exception& e) {
            previewLoaded_ = false;
            platform::showError(QString::fromUtf8(e.what()));
        }
    }
}

void TPixEffectsForm::ZuruecksetzenButtonClick()
{
    keyStep_ = false;
    for (QSlider* bar : {RedTrackBar, GreenTrackBar, BlueTrackBar}) setBar(bar, 100);
    RedValue = GreenValue = BlueValue = 100;
    showBarValues();
    PreviewPending = true;
    RedTrackBarChange();
}

void TPixEffectsForm::Button1Click()
{
    keyStep_ = false;
    setBar(SharpenTrackBar, 0);
    SharpenValue = 0;
    SharpenLabel->setText(texts_.text(1506) + QStringLiteral(" 0%"));
    PreviewPending = true;
    SharpenTrackBarChange();
}

void TPixEffectsForm::SaveBitBtnClick()
{
    effectsui::PictureEditHost* host = effectsui::editHost();
    if (!host) return;
    // What the labels say is what is written: a change whose preview is still to come is
    // applied first.
    if (settleTimer_->isActive()) ApplyEffectPreview();
    // A preview that does not hold this picture (it could not be read) is never written over it.
    if (!previewLoaded_ || !PixImage1->HasImage()) {
        platform::showErrorCaptioned(QStringLiteral("An error occured in your application, \n") + PixImage1->GetLastErrorText(),
                                     QStringLiteral("Error"));
        return;
    }
    // The panes show the picture at their size: the save mixes the whole picture the same way.
    if (whole_) {
        bool mixed = false;
        try {
            PixImage1->SetBitmap(whole_.get());
            mixed = PixImage1->HasImage() && mixColours(PixImage1);
        } catch (const std::exception&) {
            mixed = false;
        }
        if (!mixed) {
            previewLoaded_ = restartPreview() && mixColours(PixImage1);
            platform::showErrorCaptioned(QStringLiteral("An error occured in your application, \n") +
                                             PixImage1->GetLastErrorText(),
                                         QStringLiteral("Error"));
            return;
        }
    }
    if (!host->SelectPicture(picture_)) return;
    if (!host->PushUndo()) return;
    int saved = 0;
    try {
        saved = PixImage1->Save(picture_, 23, 24, 4, 0);
    } catch (const std::exception&) {
        saved = 0;
    }
    if (saved != 1) {
        // The file is as it was: so is the undo stack.
        host->DiscardUndo();
        platform::showErrorCaptioned(QStringLiteral("An error occured in your application, \n") + PixImage1->GetLastErrorText(),
                                     QStringLiteral("Error"));
        return;
    }
    host->RefreshThumbnail();
    done(platform::mrOk);
}
