#pragma once
// The short-instructions dialog shown after a make target: a heading, a text, the player icon
// with its explanation and the burning-guide button. The window is shared by every target;
// each caller sets all four through Prepare before showing it. Its "next" button asks the caller
// for the first page of the editor (FirstPageWanted).
#include <QDialog>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QLabel;
class QPushButton;

class TAnweisungForm : public QDialog, public RegisteredWindow<TAnweisungForm> {
    Q_OBJECT
public:
    explicit TAnweisungForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TAnweisungForm() override;

    QLabel* MakeLabel;
    QLabel* MakeSubLabel;
    QLabel* IconImage;
    QLabel* IconLabel;
    QPushButton* NeroBitBtn;
    QPushButton* NextTipBitBtn;

    // Sets the heading, the text, the burning-guide button and the player icon (with its label)
    // for the next showing.
    void Prepare(const QString& heading, const QString& text, bool burningGuide, bool playerIcon);

    void FormCreate();
    void NeroBitBtnClick();
    void NextTipBitBtnClick();

signals:
    // Back to the editor's first step; a change made here is no page change of the user's.
    void FirstPageWanted();

private:
    const util::TextTable& texts_; // the texts this window shows
};
