#include "qrlistform.h"

#include "printlayout.h"
#include "reportpreview.h"

#include "app/productinfo.h"
#include "imaging/piximage.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "platform/rounding.h"
#include "sdk/errors.h"
#include "platform/textcodec.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace print {

namespace {
constexpr int JpegFormat = 23;

QFont pixelFont(int pixels)
{
    QFont f;
    f.setPixelSize(pixels);
    return f;
}
} // namespace

void TQuickRep::SetupPrinter(QPrinter& printer) const
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter));
    printer.setFullPage(false);
    printer.setDocName(ReportTitle);
}

TQRListForm::TQRListForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("QRListForm"));
    PixImage1 = new imaging::TPixImage(this);
    PixImage1->setObjectName(QStringLiteral("PixImage1"));
    PixImage1->setVisible(false);
    QRLabel1.Left = TitleLeft;
    QRLabel1.Top = TitleTop;
    QRLabel1.Font = pixelFont(TitleFontPixels);
    QRLabel3.Left = CaptionLeft;
    QRLabel3.Font = pixelFont(platform::roundHalfEven(10.0 * ReportDpi / 72.0)); // 10 point
    QRImage1.Left = ImageLeft;
    FormCreate();
}

TQRListForm::~TQRListForm()
{
}

void TQRListForm::FormCreate() { QuickRep1.ReportTitle = ProductInfo.Title; }

void TQRListForm::QuickRep1BeforePrint()
{
    ItemCounter = 0;
    skipped_.clear();
    const show::ShowContext ctx = ShowContext ? ShowContext() : show::ShowContext{};
    QRLabel1.Caption = ctx.Title;
    PrintItems = std::make_unique<QStringList>();
    if (ctx.PrintAll) {
        *PrintItems = ctx.PictureItems;
        return;
    }
    const QString file = ctx.ProgramDir + QStringLiteral("Print.txt");
    const auto lines = platform::readTextLines(file);
    if (!lines) throw EReportError(QStringLiteral("Cannot open file \"%1\". %2").arg(file, platform::lastFileError()));
    *PrintItems = *lines;
}

bool TQRListForm::loadBand(QString& failure)
{
    LoadPrintItemPath(ItemCounter);
    LoadPrintItemCaption(ItemCounter);
    const show::ShowContext ctx = ShowContext ? ShowContext() : show::ShowContext{};
    QRLabel3.Caption = ctx.PrintCaptions ? ItemCaption : QString();
    try {
        MakePrintImage(ItemPath, PrintSize);
    } catch (const sdk::EPixImageError& e) {
        failure = e.message();
        return false;
    } catch (const EReportError& e) {
        failure = e.message();
        return false;
    }
    const auto bytes = platform::readFile(ItemCopy, 256LL * 1024 * 1024);
    QImage picture;
    if (!bytes || !picture.loadFromData(*bytes)) {
        failure = QStringLiteral("Cannot open file \"%1\". %2").arg(ItemCopy, platform::lastFileError());
        return false;
    }
    QRImage1.Picture = picture;
    return true;
}

void TQRListForm::QuickRep1NeedData(bool& MoreData)
{
    const int count = PrintItems ? int(PrintItems->size()) : 0;
    MoreData = false;
    ProgressValue = 100;
    // A picture that cannot be printed is left out and named; the others print.
    while (ItemCounter < count) {
        QString failure;
        if (loadBand(failure)) {
            MoreData = true;
            break;
        }
        skipped_.append(ItemPath + QStringLiteral(": ") + failure);
        ++ItemCounter;
    }
    if (MoreData) ProgressValue = ItemCounter * 100 / count;
    emit PrinterProgress(ProgressValue);
    ++ItemCounter;
}

void TQRListForm::LoadPrintItemPath(int n)
{
    const show::ShowContext ctx = ShowContext ? ShowContext() : show::ShowContext{};
    ItemPath = PrintItemPath(PrintItems->value(n), ctx.ShowRoot, ctx.ShowFolder);
}

void TQRListForm::LoadPrintItemCaption(int n) { ItemCaption = PrintItemCaption(PrintItems->value(n)); }

void TQRListForm::MakePrintImage(const QString& path, int size)
{
    // A file of the copy's name that this print did not make is the user's: it is never written over.
    ItemCopy = PrintFileName(path);
    const qsizetype slash = ItemCopy.lastIndexOf(u'\\');
    for (int k = 1; platform::fileExists(ItemCopy) && !madeCopies_.contains(ItemCopy, Qt::CaseInsensitive); ++k)
        ItemCopy = ItemCopy.left(slash + 1) + QStringLiteral("_PRINT_") + QString::number(k) + u'_' + path.mid(path.lastIndexOf(u'\\') + 1);
    // The control raises its error for a picture that cannot be loaded, scaled or saved.
    PixImage1->SetEnableMethodErrors(true);
    PixImage1->Load(path, 0, 1, -1);
    const PrintPicture scaled = ScaledPrintPicture(PixImage1->BitmapWidth(), PixImage1->BitmapHeight(), size);
    PixImage1->Size(scaled.size.width(), scaled.size.height(), 4);
    DetailBand1.Height = scaled.bandHeight;
    QRLabel3.Top = CaptionTop;
    QRImage1.Top = ImageTop;
    if (!madeCopies_.contains(ItemCopy, Qt::CaseInsensitive)) madeCopies_.append(ItemCopy);
    PixImage1->Save(ItemCopy, JpegFormat, 24, 2, 0);
}

void TQRListForm::DeletePrintFiles(const QString& mask)
{
    platform::HourglassCursor hourglass;
    const qsizetype slash = mask.lastIndexOf(u'\\');
    const QString folder = mask.left(slash + 1);
    const QString pattern = mask.mid(slash + 1);
    for (const platform::DirEntry& e : platform::findFiles(folder, pattern)) {
        if (e.attributes & (platform::faDirectory | platform::faSymLink)) continue;
        const QString path = folder + e.name;
        // Only the scaled copies this print made: a picture of the user's stays, whatever its name.
        if (!IsPrintFileName(e.name) || !madeCopies_.contains(path, Qt::CaseInsensitive)) continue;
        (void)platform::deleteFile(path, folder); // a copy that stays is only clutter beside the picture
        madeCopies_.removeAll(path);
    }
}

void TQRListForm::FinishPrint()
{
    PrintItems.reset();
    const show::ShowContext ctx = ShowContext ? ShowContext() : show::ShowContext{};
    if (!ctx.ShowFolder.isEmpty()) DeletePrintFiles(ctx.ShowRoot + ctx.ShowFolder + QStringLiteral("\\*.*"));
    madeCopies_.clear();
}

void TQRListForm::PlaceCaption(int width, QPaintDevice* device)
{
    QRLabel3.Lines = util::LayOutCaption(QRLabel3.Caption, QRLabel3.Font, width, util::CaptionMaxLines, device);
    const int below = std::max(0, QRLabel3.Top + QRLabel3.Lines.height() - QRLabel3.Lines.lineHeight);
    QRImage1.Top = ImageTop + below;
    DetailBand1.Height += below;
}

void TQRListForm::paintPages(QPainter& p, QPrinter& printer)
{
    const double scale = printer.resolution() / double(ReportDpi);
    const QRect paintRect = printer.pageLayout().paintRectPixels(printer.resolution());
    const int pageWidth = int(paintRect.width() / scale);
    const int pageHeight = int(paintRect.height() / scale);
    p.scale(scale, scale);

    int page = 0;
    auto footer = [&] {
        p.save();
        p.setFont(QRLabel3.Font);
        p.setPen(Qt::black);
        const QRect band(0, pageHeight - PageFooterHeight, pageWidth, PageFooterHeight);
        p.drawText(band.adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Seite ") + QString::number(page + 1));
        p.restore();
    };

    QuickRep1BeforePrint();
    // The title band opens the first page.
    p.setFont(QRLabel1.Font);
    p.setPen(Qt::black);
    p.drawText(QRect(QRLabel1.Left, QRLabel1.Top, pageWidth - QRLabel1.Left, TitleBandHeight - QRLabel1.Top),
               Qt::AlignLeft | Qt::AlignTop, QRLabel1.Caption);

    BandPlacer placer(pageHeight);
    const int maxWidth = pageWidth - ImageLeft;
    for (;;) {
        bool more = false;
        QuickRep1NeedData(more);
        if (!more) break;
        PlaceCaption(pageWidth - QRLabel3.Left, p.device());
        // A picture larger than an empty page is drawn smaller, so that it prints whole.
        const int allowance = DetailBand1.Height - QRImage1.Picture.height();
        const int maxHeight = pageHeight - PageFooterHeight - allowance;
        QSize drawn = QRImage1.Picture.size();
        if (drawn.width() > maxWidth || drawn.height() > maxHeight) drawn.scale(maxWidth, std::max(1, maxHeight), Qt::KeepAspectRatio);
        const int bandHeight = std::min(DetailBand1.Height, drawn.height() + allowance);
        const BandPlace at = placer.place(bandHeight);
        while (page < at.page) {
            footer();
            printer.newPage();
            ++page;
        }
        const QRect band(0, at.top, pageWidth, bandHeight);
        p.fillRect(band, Qt::white);
        if (!QRLabel3.Lines.isEmpty()) {
            p.setFont(QRLabel3.Font);
            p.setPen(Qt::black);
            util::DrawCaption(p, QRLabel3.Lines, QRect(QRLabel3.Left, at.top + QRLabel3.Top, pageWidth - QRLabel3.Left, QRLabel3.Lines.height()),
                              Qt::AlignLeft);
        }
        p.drawImage(QRect(QPoint(QRImage1.Left, at.top + QRImage1.Top), drawn), QRImage1.Picture);
        QRImage1.Picture = QImage(); // the band is out; its picture need not stay in memory
    }
    footer();
}

bool TQRListForm::PrintReport(QPrinter& printer)
{
    lastError_.clear();
    QPainter p;
    if (!p.begin(&printer)) {
        lastError_ = QStringLiteral("The printer \"%1\" cannot be started.").arg(printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName());
        return false;
    }
    try {
        paintPages(p, printer);
    } catch (const EReportError& e) {
        lastError_ = e.message();
    } catch (const sdk::EPixImageError& e) {
        lastError_ = e.message();
    }
    p.end();
    return lastError_.isEmpty();
}

void TQRListForm::Preview()
{
    QPrinter printer(QPrinter::HighResolution);
    QuickRep1.SetupPrinter(printer);
    TReportPreview preview(printer, this);
    preview.setWindowTitle(QuickRep1.ReportTitle);
    errorShown_ = false;
    connect(&preview, &TReportPreview::paintRequested, this, [this, &preview](QPrinter* target) {
        const bool printed = PrintReport(*target);
        if (errorShown_) return;
        if (printed) {
            // The rest printed; the pictures left out are named once.
            if (skipped_.isEmpty()) return;
            errorShown_ = true;
            platform::showError(QStringLiteral("These pictures cannot be printed and are left out:\n") + skipped_.join(u'\n'));
            return;
        }
        // Shown once, and the preview goes: nothing can be printed.
        errorShown_ = true;
        platform::showError(lastError_);
        QMetaObject::invokeMethod(&preview, [&preview] { preview.done(platform::mrCancel); }, Qt::QueuedConnection);
    });
    platform::dialogs().showModal(preview);
}

} // namespace print
