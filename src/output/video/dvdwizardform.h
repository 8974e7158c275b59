#pragma once
// The video wizard page: the user picks one of four video modes and the television norm, sees
// the estimated size of the video beside the free space of the target drive, and starts the
// video run.
#include <QDialog>
#include <QPointer>

#include "output/video/videoestimate.h"
#include "app/windowregistry.h"
#include "util/texttable.h"

class TDVDForm;

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace show {
class ShowHost;
}

class TDVDWizardForm : public QDialog, public RegisteredWindow<TDVDWizardForm> {
    Q_OBJECT
public:
    // host: the window that holds the show, which outlives this one.
    explicit TDVDWizardForm(show::ShowHost& host, QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());

    QLabel* Image1;
    QLabel* QuestionLabel;    // text 5200
    QRadioButton* VCDRadioButton;
    QRadioButton* SVCDRadioButton;
    QRadioButton* NanoVCDRadioButton;
    QRadioButton* NanoSVCDRadioButton;
    QGroupBox* FormatGroupBox;
    QRadioButton* PalRadioButton;
    QRadioButton* NTSCRadioButton;
    // The four mode buttons form one exclusive group, the two norm buttons another: clicking the
    // button that is checked keeps it checked.
    QButtonGroup* ModeButtonGroup;
    QButtonGroup* NormButtonGroup;
    QLabel* SizeLabel;        // text 5205
    QLineEdit* QuorbelSizeEdit;
    QLabel* FreeDiskLabel;    // text 5206
    QLineEdit* FreeDiskEdit;
    QPushButton* ZurueckBitBtn;
    QPushButton* HilfeBitBtn;
    QPushButton* AbortBitBtn;
    QPushButton* WeiterBitBtn;

    video::DriveInfo DriveInfo;

    // The make wizard, closed with this page: the one set here, else the one the show host shows.
    QPointer<QDialog> MakeWizard;
    // The video window that makes the video this page starts, handed over where the page is made;
    // without it no video is started.
    QPointer<TDVDForm> VideoWindow;

    void FormCreate();
    void FormActivate();
    bool EstimateShowSize();
    void ReadDriveInfo(QChar letter);
    void StartVideo(const QString& modeName);
    void WeiterBitBtnClick();
    void ZurueckBitBtnClick();
    void AbortBitBtnClick();
    void HilfeBitBtnClick();

protected:
    QDialog* makeWizard() const;
    void showEvent(QShowEvent* event) override;

private:
    show::ShowHost& host_;
    const util::TextTable& texts_; // the texts this window shows
};
