#include "painteffectsform.h"
#include "dialogparts.h"

#include "bitmapfiles.h"
#include "effecttable.h"
#include "edithost.h"
#include "veldrawimage.h"

#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "util/texttable.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTreeWidget>
#include <QWindow>

#include <new>

using effectsui::button;
using effectsui::panel;
using effectsui::heading;
using effectsui::label;
using effectsui::scrollBar;
using effectsui::trackBar;

namespace {

QLabel* imageBox(QWidget* parent, const char* name, QRect geometry)
{
    auto* l = label(parent, name, geometry);
    // The picture keeps its shape: fitted into the box and centred (see showFitted).
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(QStringLiteral("QLabel { border: 1px solid black; background: white; }"));
    return l;
}

// Shows image as large as the box allows without changing its shape, centred.
void showFitted(QLabel* box, const QImage& image)
{
    if (image.isNull()) {
        box->clear();
        return;
    }
    const QSize room = box->contentsRect().size();
    box->setPixmap(QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

} // namespace

TPainterEffectsF::TPainterEffectsF(QWidget* owner, const util::TextTable& texts) : QDialog(nullptr), texts_(texts)
{
    // The owner (the drawing control) frees the dialog; the window itself is top-level.
    Q_UNUSED(owner);
    setObjectName(QStringLiteral("PainterEffectsF"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setFixedSize(512, 463);

    HelligkeitPanel = panel(this, "HelligkeitPanel", QRect(0, 0, 512, 222));
    Label8 = heading(HelligkeitPanel, "Label8", QRect(16, 6, 360, 20));
    ZuruecksetzenButton = button(HelligkeitPanel, "ZuruecksetzenButton", QRect(380, 4, 116, 26));
    HelligkeitLabel = label(HelligkeitPanel, "HelligkeitLabel", QRect(16, 34, 300, 18));
    HelligkeitTrackBar = trackBar(HelligkeitPanel, "HelligkeitTrackBar", -255, 255, 0, 51, QRect(16, 52, 480, 32));
    KontrastLabel = label(HelligkeitPanel, "KontrastLabel", QRect(16, 94, 300, 18));
    KontrastTrackBar = trackBar(HelligkeitPanel, "KontrastTrackBar", -255, 255, 0, 25, QRect(16, 112, 480, 32));
    FarbeLabel = label(HelligkeitPanel, "FarbeLabel", QRect(16, 154, 300, 18));
    FarbeTrackBar = trackBar(HelligkeitPanel, "FarbeTrackBar", 0, 500, 250, 25, QRect(16, 172, 480, 32));

    EffectPanel = panel(this, "EffectPanel", QRect(0, 0, 512, 222));
    Label9 = heading(EffectPanel, "Label9", QRect(8, 4, 240, 18));
    ETree = new QTreeWidget(EffectPanel);
    ETree->setObjectName(QStringLiteral("ETree"));
    ETree->setHeaderHidden(true);
    ETree->setGeometry(8, 24, 240, 192);
    EBar = scrollBar(EffectPanel, "EBar", 0, 100, 0, QRect(264, 44, 232, 18));
    Label1 = label(EffectPanel, "Label1", QRect(264, 24, 110, 18));
    Label2 = label(EffectPanel, "Label2", QRect(386, 24, 110, 18));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelX = label(EffectPanel, "LabelX", QRect(264, 76, 232, 18), QStringLiteral("X"));
    cxbar = scrollBar(EffectPanel, "cxbar", 0, 100, 0, QRect(264, 94, 232, 18));
    LabelY = label(EffectPanel, "LabelY", QRect(264, 122, 232, 18), QStringLiteral("Y"));
    cybar = scrollBar(EffectPanel, "cybar", 0, 100, 0, QRect(264, 140, 232, 18));
    LabelExtra = label(EffectPanel, "LabelExtra", QRect(264, 168, 232, 18), QStringLiteral("Extra"));
    extrabar = scrollBar(EffectPanel, "extrabar", 1, 300, 1, QRect(264, 186, 232, 18));
    EffectPanel->setVisible(false);

    Label6 = label(this, "Label6", QRect(16, 224, 232, 18));
    Image1 = imageBox(this, "Image1", QRect(16, 242, 232, 174));
    Label7 = label(this, "Label7", QRect(264, 224, 232, 18));
    Image = imageBox(this, "Image", QRect(264, 242, 232, 174));

    auto* bottomBar = new QFrame(this);
    bottomBar->setFrameShape(QFrame::HLine);
    bottomBar->setGeometry(0, 422, 512, 2);
    SaveBitBtn = new QPushButton(this);
    SaveBitBtn->setObjectName(QStringLiteral("SaveBitBtn"));
    SaveBitBtn->setGeometry(264, 430, 112, 27);
    AbortBitBtn = new QPushButton(this);
    AbortBitBtn->setObjectName(QStringLiteral("AbortBitBtn"));
    AbortBitBtn->setGeometry(384, 430, 112, 27);

    buildTree();

    for (QSlider* bar : {HelligkeitTrackBar, KontrastTrackBar, FarbeTrackBar}) {
        connect(bar, &QSlider::valueChanged, this, [this, bar] { trackBarChange(bar); });
        // The change that comes with the button up.
        connect(bar, &QSlider::sliderReleased, this, [this, bar] { trackBarChange(bar); });
    }
    connect(ZuruecksetzenButton, &QPushButton::clicked, this, &TPainterEffectsF::ZuruecksetzenButtonClick);
    connect(ETree, &QTreeWidget::itemClicked, this, [this] { EListClick(); });
    for (QScrollBar* bar : {EBar, cxbar, cybar, extrabar})
        connect(bar, &QScrollBar::valueChanged, this, &TPainterEffectsF::EBarChange);
    connect(SaveBitBtn, &QPushButton::clicked, this, &TPainterEffectsF::SaveBitBtnClick);
    connect(AbortBitBtn, &QPushButton::clicked, this, &TPainterEffectsF::AbortBitBtnClick);

    FormCreate();
}

TPainterEffectsF::~TPainterEffectsF() = default;

void TPainterEffectsF::buildTree()
{
    // The effects come in the tree's order; a caption path "Group/Node" puts the node under its
    // group, made when the group's first node comes.
    QTreeWidgetItem* group = nullptr;
    for (const effectsui::EffectEntry& effect : effectsui::EffectTable()) {
        const QString path = QString::fromLatin1(effect.node);
        if (path.isEmpty()) continue;
        const qsizetype slash = path.indexOf(u'/');
        if (slash < 0) {
            auto* node = new QTreeWidgetItem(ETree, {path});
            node->setData(0, Qt::UserRole, effect.fxId);
            group = nullptr;
            continue;
        }
        const QString caption = path.left(slash);
        if (!group || group->text(0) != caption) {
            group = new QTreeWidgetItem(ETree, {caption});
            group->setData(0, Qt::UserRole, effectsui::GroupNodeFxId(caption));
        }
        auto* node = new QTreeWidgetItem(group, {path.mid(slash + 1)});
        node->setData(0, Qt::UserRole, effect.fxId);
    }
}

void TPainterEffectsF::FormCreate()
{
    Label9->setText(texts_.text(2000));
    Label1->setText(texts_.text(2001));
    Label2->setText(texts_.text(2002));
    Label6->setText(texts_.text(2003));
    Label7->setText(texts_.text(2004));
    SaveBitBtn->setText(texts_.text(2005));
    AbortBitBtn->setText(texts_.text(2006));
    Label8->setText(texts_.text(2007));
    ZuruecksetzenButton->setText(texts_.text(2011));
    writeTrackLabels();
}

void TPainterEffectsF::SetEffectsForm(TvelDrawImage* control) { control_ = control; }

void TPainterEffectsF::SetAmountRange(int maximum, int minimum, int position)
{
    EBar->setMinimum(minimum);
    EBar->setMaximum(maximum);
    EBar->setValue(position);
}

int TPainterEffectsF::SelectedFxId() const
{
    const auto selected = ETree->selectedItems();
    if (selected.isEmpty()) return -1;
    return selected.first()->data(0, Qt::UserRole).toInt();
}

bool TPainterEffectsF::SelectEffect(const QString& path)
{
    const QStringList parts = path.split(u'/');
    QTreeWidgetItem* found = nullptr;
    for (int i = 0; i < ETree->topLevelItemCount() && !found; ++i) {
        QTreeWidgetItem* top = ETree->topLevelItem(i);
        if (top->text(0) != parts.first()) continue;
        if (parts.size() == 1) {
            found = top;
            break;
        }
        for (int c = 0; c < top->childCount(); ++c)
            if (top->child(c)->text(0) == parts.value(1)) {
                found = top->child(c);
                break;
            }
    }
    if (!found) return false;
    ETree->clearSelection();
    ETree->setCurrentItem(found);
    found->setSelected(true);
    return true;
}

void TPainterEffectsF::writeTrackLabels()
{
    HelligkeitLabel->setText(texts_.text(2008) + QStringLiteral(": ") + QString::number(HelligkeitTrackBar->value()));
    KontrastLabel->setText(texts_.text(2009) + QStringLiteral(": ") + QString::number(KontrastTrackBar->value()));
    FarbeLabel->setText(texts_.text(2010) + QStringLiteral(": ") + QString::number(FarbeTrackBar->value() - 250));
}

void TPainterEffectsF::ShowPreview(const QImage& image)
{
    preview_ = image;
    showFitted(Image, image);
    Image->repaint();
}

void TPainterEffectsF::FormActivate()
{
    // The picture the dialog is opened for: the drawing control holds its small copy, and the
    // save writes this picture, whichever the main window selects meanwhile.
    effectsui::PictureEditHost* host = effectsui::editHost();
    picture_ = host ? host->SelectedPicture() : QString();
    belongToModalWindow();
    activation_.shown();
    openOnPicture();
}

void TPainterEffectsF::belongToModalWindow()
{
    // Opened from a modal window (the full-size viewer), the dialog is that window's: a modal
    // window blocks every window that is not its own.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this) return;
    if (!windowHandle()) create();
    if (QWindow* window = windowHandle()) window->setTransientParent(modal ? modal->windowHandle() : nullptr);
}

bool TPainterEffectsF::loadOriginal()
{
    const QString file = picture_;
    effects::Bitmap24 picture;
    const int loaded = file.isEmpty() ? -10 : effectsui::LoadBitmapFile(file, picture);
    if (loaded != 1) {
        original_ = QImage();
        Image1->clear();
        Image->clear();
        preview_ = QImage();
        platform::showError(effectsui::BitmapFileErrorText(loaded) + QStringLiteral("\n") + file);
        return false;
    }
    original_ = effectsui::ToImage(picture);
    showFitted(Image1, original_);
    // The previews are made from the full picture, so that they show what a save writes.
    if (control_) {
        control_->BeginPreview(std::move(picture));
        ShowPreview(effectsui::ToImage(control_->Picture()));
    } else {
        ShowPreview(original_);
    }
    return true;
}

void TPainterEffectsF::openOnPicture()
{
    if (loadOriginal()) resetTrackBars();
}

void TPainterEffectsF::returnToPicture()
{
    // The picture is read again (it may have changed meanwhile), but the values the user set
    // stay: labels and preview show them, and a save writes them.
    if (!loadOriginal()) return;
    if (!HelligkeitPanel->isHidden()) {
        PreviewEnabled = true;
        ApplyTrackBars();
    } else if (SelectedFxId() >= 0) {
        EBarChange();
    }
}

bool TPainterEffectsF::event(QEvent* e)
{
    if (activation_.isReturn(e)) returnToPicture();
    return QDialog::event(e);
}

void TPainterEffectsF::trackBarChange(QSlider* bar)
{
    if (bar->isSliderDown()) {
        PreviewEnabled = true;
        return;
    }
    ApplyTrackBars();
}

void TPainterEffectsF::HelligkeitTrackBarChange() { trackBarChange(HelligkeitTrackBar); }
void TPainterEffectsF::KontrastTrackBarChange() { trackBarChange(KontrastTrackBar); }
void TPainterEffectsF::FarbeTrackBarChange() { trackBarChange(FarbeTrackBar); }

void TPainterEffectsF::ApplyTrackBars()
{
    if (!PreviewEnabled) return;
    Brightness = HelligkeitTrackBar->value();
    Colour = FarbeTrackBar->value();
    Contrast = KontrastTrackBar->value();
    writeTrackLabels();
    if (control_) control_->ApplyLightnessSaturationContrast(Brightness, Colour, Contrast);
}

void TPainterEffectsF::ZuruecksetzenButtonClick() { resetTrackBars(); }

void TPainterEffectsF::resetTrackBars()
{
    for (QSlider* bar : {HelligkeitTrackBar, KontrastTrackBar, FarbeTrackBar}) bar->blockSignals(true);
    HelligkeitTrackBar->setValue(0);
    KontrastTrackBar->setValue(0);
    FarbeTrackBar->setValue(250);
    for (QSlider* bar : {HelligkeitTrackBar, KontrastTrackBar, FarbeTrackBar}) bar->blockSignals(false);
    Brightness = 0;
    Colour = 250;
    Contrast = 0;
    writeTrackLabels();
    PreviewEnabled = true;
    HelligkeitTrackBarChange();
}

void TPainterEffectsF::EListClick()
{
    const int fx = SelectedFxId();
    if (fx < 0) return;
    const effectsui::EffectEntry* effect = effectsui::FindEffect(fx);
    if (effect && effect->amount) SetAmountRange(effect->amount->maximum, effect->amount->minimum, effect->amount->position);
}

void TPainterEffectsF::EBarChange()
{
    const int fx = SelectedFxId();
    if (fx < 0 || !control_) return;
    control_->ApplyEffect(fx);
}

void TPainterEffectsF::SaveBitBtnClick()
{
    effectsui::PictureEditHost* host = effectsui::editHost();
    const bool brightness = !HelligkeitPanel->isHidden();
    const int fx = SelectedFxId();
    // Without an effect chosen there is nothing to save: the range holds no result of this
    // picture, and writing it would put a stale picture over the file.
    if (!control_ || !host || (!brightness && fx < 0)) {
        hide();
        return;
    }
    // The picture the dialog shows is the one written, also when the user has selected another
    // one in the main window meanwhile.
    if (!host->SelectPicture(picture_)) {
        hide();
        return;
    }
    try {
        platform::HourglassCursor hourglass;
        if (!host->LoadPictureIntoArt()) return;
        if (brightness) {
            Brightness = HelligkeitTrackBar->value();
            Colour = FarbeTrackBar->value();
            Contrast = KontrastTrackBar->value();
            writeTrackLabels();
            PreviewEnabled = false;
            control_->ApplyLightnessSaturationContrast(Brightness, Colour, Contrast);
        } else {
            EBarChange();
        }
        // The undo copy first: without it the picture is not overwritten; a failed write takes
        // it back.
        if (!host->PushUndo()) return;
        if (!host->SaveArtToPicture()) {
            host->DiscardUndo();
            return;
        }
    } catch (const std::bad_alloc&) {
        // A picture too large for the effect's working copies: nothing has been written.
        platform::showErrorCaptioned(QStringLiteral("An error occured in your application, \n")
                                     + effectsui::BitmapFileErrorText(-1),
                                     QStringLiteral("Error"));
        return;
    }
    hide();
}

void TPainterEffectsF::AbortBitBtnClick() { hide(); }
