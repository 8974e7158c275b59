#pragma once
// The first-run language dialog: five flags, one click chooses the user-interface language.
// Once a language has been chosen ("LanguageIsSet.ini" exists) it closes itself at once.
#include <QDialog>
#include <QLabel>
#include <QTimer>

// A picture that reports a click, with the hand cursor.
class TClickImage : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TLanguageForm : public QDialog {
    Q_OBJECT
public:
    explicit TLanguageForm(QWidget* parent = nullptr);

    QString ProgramDir;   // with trailing backslash
    QString ChosenCode;   // empty until a flag is clicked
    bool AlreadySet = false;

    QLabel* Image1;       // the background picture
    TClickImage* GERMANImage;
    TClickImage* ENGLISHImage;
    TClickImage* FRANCEImage;
    TClickImage* ITALIANImage;
    TClickImage* SPAINImage;
    QTimer* Timer1;

    void FormCreate();
    void FormActivate();
    void GERMANImageClick();
    void ENGLISHImageClick();
    void FRANCEImageClick();
    void ITALIANImageClick();
    void SPAINImageClick();
    bool FormCloseQuery();
    void FormClose();
    void Timer1Timer();

    // The pictures, in the program directory's "recom\" folder.
    static QString BackgroundPictureName();
    static QString FlagPictureName(const QString& code);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void choose(const QString& code);
    bool activated_ = false;
};
