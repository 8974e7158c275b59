#pragma once
// The make wizard: asks where the show is to be played (this PC, a CD-ROM, a DVD player, an
// HTML page or a screensaver). The window lives for the whole run, so the choice stays between
// showings.
#include "makestep.h"
#include "app/windowregistry.h"
#include "util/texttable.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class QRadioButton;

class TMakeWizzard : public QDialog, public RegisteredWindow<TMakeWizzard> {
    Q_OBJECT
public:
    explicit TMakeWizzard(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TMakeWizzard() override;

    QLabel* Image1;
    QLabel* Label3;
    QLabel* Label1;
    QRadioButton* PCRadioButton;
    QRadioButton* CDROMRadioButton;
    QRadioButton* DVDRadioButton;
    QRadioButton* HTMLRadioButton;
    QRadioButton* ScreenSaverRadioButton;
    QPushButton* WeiterBitBtn;
    QPushButton* AbortBitBtn;
    QPushButton* HilfeBitBtn;

    // The video wizard that Next opens for the DVD-player target, handed over by the window that
    // shows this one; without it that target does nothing.
    QPointer<QDialog> VideoWizard;

    // The checked target (None when no button is checked).
    editor::MakeTarget ChosenTarget() const;

    void FormCreate();
    void FormShow();
    void WeiterBitBtnClick();
    void AbortBitBtnClick();
    void HilfeBitBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyAdministratorHint();
    const util::TextTable& texts_; // the texts this window shows
};

