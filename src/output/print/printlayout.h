#pragma once
// The picture list's report laid out without a printer: what an item names, how large each
// picture prints, and where each band lands on which page. Units are report pixels, 96 per inch.
#include <QSize>
#include <QString>
#include <vector>

namespace print {

constexpr int ReportDpi = 96;
constexpr int TitleBandHeight = 40;
constexpr int PageFooterHeight = 24;
constexpr int TitleLeft = 8, TitleTop = 8, TitleFontPixels = 16;
constexpr int CaptionTop = 0, ImageTop = 18, ImageLeft = 8, CaptionLeft = 8;
constexpr int BandAllowance = 30;   // room for the caption above the picture
constexpr double MarginMm = 12.7;

// The picture file an item names: the part of its text (behind the image tag) before the first
// "|", trimmed.
QString PrintItemFileName(const QString& item);
// The picture's path in the show folder.
QString PrintItemPath(const QString& item, const QString& showRoot, const QString& showFolder);
// The caption: the trimmed part of the item's text between the first and the second "|"; ""
// without one.
QString PrintItemCaption(const QString& item);
// The scaled copy of a picture beside it: its folder, "_PRINT_" and its name.
QString PrintFileName(const QString& picturePath);
// Whether a file name is one of those copies (they begin with "_PRINT_", in any case).
bool IsPrintFileName(const QString& name);

// A picture of width x height whose longer side prints at size; the detail band is 30 higher.
struct PrintPicture {
    QSize size;
    int bandHeight = 0;
};
PrintPicture ScaledPrintPicture(int width, int height, int size);

// The place of one detail band: page (0-based) and top within the page's body.
struct BandPlace {
    int page = 0;
    int top = 0;
};
// Places bands one below the other under the title band of the first page; a band that does
// not fit above the page footer starts the next page; one taller than a whole page still gets a
// page of its own (its picture is then drawn smaller). pageHeight is the printable height.
std::vector<BandPlace> PlaceBands(const std::vector<int>& bandHeights, int pageHeight);

// The same, one band at a time, as the report produces them.
class BandPlacer {
public:
    explicit BandPlacer(int pageHeight) : body_(pageHeight - PageFooterHeight) {}
    BandPlace place(int bandHeight);
    int pages() const { return page_ + 1; }

private:
    int body_;
    int page_ = 0;
    int y_ = TitleBandHeight;
};

} // namespace print
