#pragma once
// The pictures to print: the show's items with a check box each; "Print" writes the ticked ones,
// in list order, into "Print.txt" in the program directory, which the report then reads. The
// caller gives it the show's items (Offer) before it comes up.
#include <QDialog>
#include <QStringList>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QPushButton;
class QWidget;
namespace controls {
class THTMLCheckList;
}

// The show's picture items, the caption the window takes, and the program directory that
// receives "Print.txt".
struct PrintSelectionOffer {
    QStringList Items;
    QString Title;
    QString ProgramDir;
};

class TPrintSelectForm : public QDialog, public RegisteredWindow<TPrintSelectForm> {
    Q_OBJECT
public:
    explicit TPrintSelectForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TPrintSelectForm() override;

    // What the window offers, given by the window that shows it.
    PrintSelectionOffer Offer;

    controls::THTMLCheckList* HTMLCheckList1;
    QWidget* Panel1;
    QPushButton* PrintBitBtn;
    QPushButton* AbortBitBtn;

    void FormCreate();
    // What the window does each time it comes up: the show's items, nothing ticked.
    void FormActivate();
    void PrintBitBtnClick();
    void AbortBitBtnClick();
    // FormActivate, then the window modally (through the dialog service); its modal result.
    int Execute();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();
    const util::TextTable& texts_; // the texts this window shows
};
