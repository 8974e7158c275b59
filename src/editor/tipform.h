#pragma once
// The tip window: shows the numbered tip files of the current language one after the other.
#include <QDialog>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The tip file of a number for a language: folder "tips_GR\" ... "tips_SP\" and the number with
// four digits, e.g. "tips_EN\0003.tpp" (relative to the program directory).
QString TipFileName(const QString& languageCode, int number);

class TTipForm : public QDialog, public RegisteredWindow<TTipForm> {
    Q_OBJECT
public:
    explicit TTipForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TTipForm() override;

    QPlainTextEdit* Memo1;
    QCheckBox* CheckBox1;
    QPushButton* CloseBitBtn;
    QPushButton* NextTipBitBtn;
    QLabel* Image1;
    int TipNumber = 0;

    // Runs what the window does when it comes up and shows it modally.
    int ShowTips();

    void FormCreate();
    void FormActivate();
    void ShowNextTip();
    void NextTipBitBtnClick();
    void CloseBitBtnClick();

private:
    const util::TextTable& texts_; // the texts this window shows
};
