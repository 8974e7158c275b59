#pragma once
// The show chooser: lists the shows of the show root to open one (mode 0) or to choose the one
// to delete (mode 1). Each item keeps its show's exact folder name beside the text it shows. The
// caller gives it the show root before it comes up; a double click that chooses asks the caller
// for the first page of the editor (FirstPageWanted).
#include <QDialog>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QLabel;
class QListWidget;
class QPushButton;

class TOpenForm : public QDialog, public RegisteredWindow<TOpenForm> {
    Q_OBJECT
public:
    explicit TOpenForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TOpenForm() override;

    quint8 Mode = 0;       // 0 open, 1 delete
    QString ShowRoot;      // the folder whose shows are listed, given by the caller
    QString ChosenFolder;  // mode 1: the folder of the chosen show

    QLabel* DoLabel;
    QListWidget* OpenListBox;
    QPushButton* OpenBitBtn;
    QPushButton* BitBtn2;

    // Sets the mode, shows the form modally and returns its modal result.
    int ShowWithMode(quint8 mode);
    // The exact folder name of the selected show; empty without a selection.
    QString SelectedFolder() const;

    void FormCreate();
    void FormActivate();
    bool HasSelection();
    void OpenBitBtnClick();
    void OpenListBoxDblClick();
    void BitBtn2Click();

signals:
    // A show was chosen with a double click: the editor goes back to its first page.
    void FirstPageWanted();

private:
    const util::TextTable& texts_; // the texts this window shows
};
