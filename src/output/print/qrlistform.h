#pragma once
// The picture list report: one picture per detail band, scaled so that its longer side has the
// chosen print size, optionally under its caption, below a title band with the show's title and
// above a page footer with the page number. The window is made once and never shown; it holds
// the report's settings and a hidden image control that scales each picture into a copy beside
// it. The editor sets PrintSize and the show context, runs Preview and then FinishPrint.
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

class QPainter;
class QPrinter;

namespace imaging {
class TPixImage;
}

namespace print {

// What the report reads from the editor's current show.
struct PrintShowContext {
    QString Title;          // the title edit's text
    QStringList Items;      // the show list's items
    bool PrintAll = true;
    bool PrintCaptions = false;
    QString ShowRoot;
    QString ShowFolder;
    QString ProgramDir;
};

// A failure while the pages are produced (a picture or "Print.txt" that cannot be read or
// written); its text is shown to the user.
class EReportError : public std::runtime_error {
public:
    explicit EReportError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

struct TQRLabel {
    QString Caption;
    int Left = 0, Top = 0;
    QFont Font;
};
struct TQRImage {
    QImage Picture;
    int Left = 0, Top = 0;
};
struct TQRBand {
    int Height = 0;
};

// The report's page settings: A4 portrait, margins 12.7 mm, titled with the product title.
struct TQuickRep {
    QString ReportTitle;
    // Prepares a printer for the report (paper, orientation, margins, document name).
    void SetupPrinter(QPrinter& printer) const;
};

class TQRListForm : public QDialog {
    Q_OBJECT
public:
    explicit TQRListForm(QWidget* parent = nullptr);
    ~TQRListForm() override;
    static TQRListForm* instance();

    int PrintSize = 495;
    std::unique_ptr<QStringList> PrintItems;
    int ItemCounter = 0;
    QString ItemPath;
    QString ItemCaption;
    // Where the report reads the show from; asked each time the pages are produced.
    std::function<PrintShowContext()> ShowContext;

    TQuickRep QuickRep1;
    TQRLabel QRLabel1;     // the title
    TQRLabel QRLabel3;     // the caption of the current band
    TQRImage QRImage1;     // the picture of the current band
    TQRBand TitleBand1{TitleBandHeightValue};
    TQRBand DetailBand1;
    TQRBand PageFooterBand1{PageFooterHeightValue};
    imaging::TPixImage* PixImage1;
    int ProgressValue = 0;

    void FormCreate();
    void QuickRep1BeforePrint();
    void QuickRep1NeedData(bool& MoreData);
    void LoadPrintItemPath(int n);
    void LoadPrintItemCaption(int n);
    void MakePrintImage(const QString& path, int size);
    void DeletePrintFiles(const QString& mask);
    void FinishPrint();

    // Produces every page of the report on printer. False (and LastError set) when a picture or
    // the selection could not be read; the pages up to there have been produced.
    bool PrintReport(QPrinter& printer);
    QString LastError() const { return lastError_; }
    // Shows the preview (through the dialog service); the user prints from there. A failure
    // while producing the pages is shown as an error message.
    void Preview();

signals:
    void PrinterProgress(int percent);

private:
    static constexpr int TitleBandHeightValue = 40;
    static constexpr int PageFooterHeightValue = 24;
    void paintPages(QPainter& p, QPrinter& printer);
    QString lastError_;
    bool errorShown_ = false;
};

} // namespace print
