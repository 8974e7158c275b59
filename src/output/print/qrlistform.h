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

#include "show/showcontext.h"
#include "util/captionlayout.h"

#include <functional>
#include <memory>
#include <stdexcept>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QPainter;
class QPaintDevice;
class QPrinter;

namespace imaging {
class TPixImage;
}

namespace print {

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
    util::CaptionLayout Lines; // the caption as it prints, wrapped within its band
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

class TQRListForm : public QDialog, public RegisteredWindow<TQRListForm> {
    Q_OBJECT
public:
    explicit TQRListForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TQRListForm() override;

    int PrintSize = 495;
    std::unique_ptr<QStringList> PrintItems;
    int ItemCounter = 0;
    QString ItemPath;
    QString ItemCaption;
    QString ItemCopy;      // the scaled copy of the current item's picture
    // Where the report reads the show from; asked each time the pages are produced.
    std::function<show::ShowContext()> ShowContext;

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
    // Scales the picture into its copy beside it (ItemCopy): folder + "_PRINT_" + name, or, when
    // a file of that name is there that this print did not make, "_PRINT_" + k + "_" + name.
    void MakePrintImage(const QString& path, int size);
    // Deletes the copies this print made that match the mask; a file it did not make stays,
    // whatever its name.
    void DeletePrintFiles(const QString& mask);
    void FinishPrint();
    // Lays the current caption out within width on device and puts the picture below it: each
    // line beyond the first moves the picture down and makes the band taller by a line.
    void PlaceCaption(int width, QPaintDevice* device);

    // Produces every page of the report on printer. A picture that cannot be read or scaled is
    // left out and named in Skipped; the rest prints. False (and LastError set) when the
    // selection could not be read or the printer not started.
    bool PrintReport(QPrinter& printer);
    QString LastError() const { return lastError_; }
    // The pictures left out of the last pages produced: "path: reason" each.
    QStringList Skipped() const { return skipped_; }
    // Shows the preview (through the dialog service); the user prints from there. A failure
    // while producing the pages, and the pictures left out, are shown as an error message.
    void Preview();

signals:
    void PrinterProgress(int percent);

private:
    static constexpr int TitleBandHeightValue = 40;
    static constexpr int PageFooterHeightValue = 24;
    void paintPages(QPainter& p, QPrinter& printer);
    // Fills the band of item ItemCounter; false (reason in failure) when its picture cannot be
    // read, scaled or copied.
    bool loadBand(QString& failure);
    QString lastError_;
    QStringList skipped_;
    QStringList madeCopies_;   // the copies this print wrote (full paths)
    bool errorShown_ = false;
    const util::TextTable& texts_; // the texts this window shows
};

} // namespace print
