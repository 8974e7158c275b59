#pragma once
// The gallery window: the settings of the web gallery, the button that writes it into the
// program directory's "gallery" folder and the one that opens the FTP upload window.
#include "gallerysettings.h"
#include "app/windowregistry.h"
#include "util/texttable.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TFTPForm;
namespace show {
class ShowHost;
}
namespace imaging {
class TPixImage;
}

class THTMLForm : public QDialog, public RegisteredWindow<THTMLForm> {
    Q_OBJECT
    // Read by the make step through the window's properties (the editor does not link this library).
    Q_PROPERTY(bool PagesWritten MEMBER PagesWritten)
public:
    // host: the window that holds the show, which outlives this one.
    explicit THTMLForm(show::ShowHost& host, QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~THTMLForm() override;

    // True once the pages were written completely since the window last came up; the make
    // step reads it after the modal showing to decide on its instructions.
    bool PagesWritten = false;

    web::GallerySettings Settings;
    QString G; // the gallery folder, with trailing backslash

    QLabel* Image1;
    QLabel* Label16;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* SmallPicMaskEdit;
    QLabel* Label2;
    QLineEdit* LargePicMaskEdit;
    QLabel* Label3;
    QLineEdit* PicProRowMaskEdit;
    QCheckBox* TextCheckBox;
    QCheckBox* FileNameCheckBox;
    QCheckBox* RahmenCheckBox;
    QGroupBox* GroupBox2;
    QPushButton* BKGColorButton;
    QFrame* BKGColorPanel;
    QPushButton* TextcolorButton;
    QFrame* TextColorPanel;
    QLabel* KonvertLabel;
    QProgressBar* ProgressBar1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    imaging::TPixImage* PixImage1;
    QPointer<TFTPForm> FTPForm; // made by the upload button, owned by this window

    QString SettingsPath() const;

    void FormCreate();
    void FormActivate();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void TextcolorButtonClick();
    void BKGColorButtonClick();
    void TextCheckBoxClick();
    void FileNameCheckBoxClick();
    void RahmenCheckBoxClick();
    void PicProRowMaskEditChange();
    void SmallPicMaskEditChange();
    void LargePicMaskEditChange();
    void LoadGallerySettings();
    void SaveGallerySettings();

    // Opens the argument in the user's browser.
    static bool OpenInBrowser(const QString& argument);

protected:
    void showEvent(QShowEvent* event) override;

private:
    show::ShowHost& host_;
    void showSettings();
    bool writing_ = false;
    const util::TextTable& texts_; // the texts this window shows
};
