#pragma once
// The export dialog: the shows of the show root, each with a check box, for the CD-ROM folder
// or the screensaver. Each item keeps its show's exact folder name beside the text it shows. The
// caller gives it the show root before it comes up.
#include <QDialog>
#include <QStringList>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QLabel;
class QListWidget;
class QPushButton;

class TExportForm : public QDialog, public RegisteredWindow<TExportForm> {
    Q_OBJECT
public:
    explicit TExportForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TExportForm() override;

    QString ShowRoot; // the folder whose shows are listed, given by the caller

    QLabel* DoLabel;
    QListWidget* CheckListBox;
    QPushButton* OpenBitBtn;

    // Sets the heading (text 2602 for the CD-ROM, 2603 for the screensaver), fills the list and
    // shows the dialog modally. The result is OK only through the confirm button; the close box
    // answers Cancel.
    int ShowForExport(int headingText);
    // The folder names of the ticked shows, in list order.
    QStringList CheckedFolders() const;

    void FormCreate();
    void FormActivate();
    bool HasCheckedShow();
    void OpenBitBtnClick();

private:
    const util::TextTable& texts_; // the texts this window shows
};
