#pragma once
// "Missing driver": explains that reading audio CDs needs a driver and offers its download page.
#include <QDialog>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TNoDriverForm : public QDialog, public RegisteredWindow<TNoDriverForm> {
    Q_OBJECT
public:
    explicit TNoDriverForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TNoDriverForm() override;

    // Where the driver comes from: on this host, the package that reads audio CDs.
    static const char* const DownloadAddress;

    QLabel* Image1;
    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
    QPushButton* DownloadButton;
    QPushButton* AboartButton;

    void FormCreate();
    void DownloadButtonClick();
    void AboartButtonClick();

private:
    const util::TextTable& texts_; // the texts this window shows
};
