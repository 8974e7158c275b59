#pragma once
// Asks for the title of a new show.
#include <QDialog>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TNewForm : public QDialog, public RegisteredWindow<TNewForm> {
    Q_OBJECT
public:
    explicit TNewForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TNewForm() override;

    QLabel* Label1;
    QLineEdit* Edit1;      // the title; the caller reads it
    QPushButton* BitBtn1;  // OK
    QPushButton* BitBtn2;  // abort

    void FormCreate();
    // Enter sets the modal result OK, Escape abort.
    void FormKeyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const util::TextTable& texts_; // the texts this window shows
};
