#pragma once
// The report's preview window: the pages as they will print, a button that asks for the printer
// (through the dialog service) and prints, page and zoom buttons, and a close button.
#include <QDialog>

class QPrinter;
class QPrintPreviewWidget;
class QPushButton;
class QLabel;

namespace print {

class TReportPreview : public QDialog {
    Q_OBJECT
public:
    // The preview draws through printer; paint answers every request for the pages.
    TReportPreview(QPrinter& printer, QWidget* parent = nullptr);

    QPrintPreviewWidget* Preview;
    QPushButton* PrintButton;
    QPushButton* PriorButton;
    QPushButton* NextButton;
    QPushButton* FitButton;
    QPushButton* CloseButton;
    QLabel* PageLabel;

    // Asks for the printer and prints to it; the window then closes with OK. False when the
    // printer dialog was cancelled (the window stays).
    bool PrintButtonClick();

signals:
    void paintRequested(QPrinter* printer);

private:
    void updatePageLabel();
    QPrinter& printer_;
};

} // namespace print
