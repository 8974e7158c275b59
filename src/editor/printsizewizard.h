#pragma once
// "Print pictures": the size the pictures print at (9 x 13, 10 x 15, 13 x 18 cm or a free width
// in centimetres) and whether their captions print too. The caller reads the width it chose
// (PrintWidth, set with every choice) and the captions (PrintCaptions, taken when the dialog is
// left with OK) afterwards.
#include <QDialog>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TPrintSizeWizard : public QDialog, public RegisteredWindow<TPrintSizeWizard> {
    Q_OBJECT
public:
    explicit TPrintSizeWizard(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TPrintSizeWizard() override;

    // The longer side in report pixels (96 per inch) for a free width in centimetres: a 13 cm
    // picture prints as 9 x 13 does.
    static int WidthForCm(double cm);

    double FreeWidthCm = 0;
    // The longer side the pictures print at, in report pixels: the size last chosen.
    int PrintWidth = 0;
    // Whether the captions print: the check box as it stood when the dialog was left with OK.
    bool PrintCaptions = false;

    QLabel* Image1;
    QLabel* Label3;
    QGroupBox* FormatAnpassungGroupBox1;
    QRadioButton* RadioButton9_13;
    QRadioButton* RadioButton10_15;
    QRadioButton* RadioButton13_18;
    QRadioButton* RadioButton_Frei;
    QCheckBox* TextCheckBox;
    QFrame* SizePanel;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* SaveBitBtn;
    QPushButton* AbortBitBtn;

    void FormCreate();
    void RadioButton9_13Click();
    void RadioButton10_15Click();
    void RadioButton13_18Click();
    void RadioButton_FreiClick();
    void Edit1Change();
    void SaveBitBtnClick();
    // Shows the dialog modally (through the dialog service) and returns its modal result.
    int Execute();

private:
    void setPrintWidth(int width);
    const util::TextTable& texts_; // the texts this window shows
};
