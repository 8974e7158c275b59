#pragma once
// TPainterEffectsF: the effects dialog. Brightness, contrast and colour on three track bars, or
// one effect of the effect tree with up to four scroll bars, previewed on the drawing control's
// small copy of the picture beside the unchanged picture, and saved over the picture file.
// Shown without a modal loop; the drawing control that runs the effects owns it.
#include "returnactivation.h"
#include "util/texttable.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollBar;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;
class TvelDrawImage;

class TPainterEffectsF : public QDialog {
    Q_OBJECT
public:
    explicit TPainterEffectsF(QWidget* owner = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TPainterEffectsF() override;

    QWidget* HelligkeitPanel;
    QLabel* Label8;
    QLabel* HelligkeitLabel;
    QSlider* HelligkeitTrackBar;
    QLabel* KontrastLabel;
    QSlider* KontrastTrackBar;
    QLabel* FarbeLabel;
    QSlider* FarbeTrackBar;
    QPushButton* ZuruecksetzenButton;

    QWidget* EffectPanel;
    QLabel* Label9;
    QTreeWidget* ETree;
    QScrollBar* EBar;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* LabelX;
    QScrollBar* cxbar;
    QLabel* LabelY;
    QScrollBar* cybar;
    QLabel* LabelExtra;
    QScrollBar* extrabar;

    QLabel* Label6;
    QLabel* Image1;
    QLabel* Label7;
    QLabel* Image;
    QPushButton* SaveBitBtn;
    QPushButton* AbortBitBtn;

    // The stored values of the brightness bars at the last preview.
    int Brightness = 0;
    int Colour = 250;
    int Contrast = 0;
    bool PreviewEnabled = false;

    void SetEffectsForm(TvelDrawImage* control);
    TvelDrawImage* EffectsForm() const { return control_; }
    void SetAmountRange(int maximum, int minimum, int position);
    // The effect number of the selected tree node; -1 when none is selected.
    int SelectedFxId() const;
    // Selects the first node with this caption path ("Wave/Extra"); false when there is none.
    bool SelectEffect(const QString& path);

    void FormCreate();
    // Opens the dialog on the selected picture (the drawing control has its small copy).
    void FormActivate();
    void HelligkeitTrackBarChange();
    void KontrastTrackBarChange();
    void FarbeTrackBarChange();
    void ZuruecksetzenButtonClick();
    void EListClick();
    void EBarChange();
    void SaveBitBtnClick();
    void AbortBitBtnClick();
    void ApplyTrackBars();

    // The picture of the preview (what the last effect left in the range).
    void ShowPreview(const QImage& image);
    QImage PreviewImage() const { return preview_; }
    QImage OriginalImage() const { return original_; }

protected:
    bool event(QEvent* e) override;

private:
    void trackBarChange(QSlider* bar);
    void writeTrackLabels();
    // Brightness, contrast and colour back to neutral, and the preview made from them.
    void resetTrackBars();
    void buildTree();
    // Both images from the picture the dialog is for; false (reported) when it cannot be read.
    bool loadOriginal();
    // Opening: the picture, and the brightness bars to neutral.
    void openOnPicture();
    // A return to the dialog: the picture read again, the bars as the user left them.
    void returnToPicture();
    void belongToModalWindow();

    TvelDrawImage* control_ = nullptr;
    // The picture the dialog was opened for.
    QString picture_;
    QImage preview_;
    QImage original_;
    effectsui::ReturnActivation activation_;
    const util::TextTable& texts_; // the texts this window shows
};
