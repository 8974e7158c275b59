#include "output/print/printlayout.h"
#include "output/print/qrlistform.h"
#include "output/print/reportpreview.h"
#include "support/fixture.h"
#include "support/jpegbytes.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QXmlStreamReader>

using namespace print;

namespace {

TEST(PrintItems, PathAndCaptionOfAnItem)
{
    struct Case {
        const char* item;
        const char* name;
        const char* caption;
    } cases[] = {
        {R"(<IMG src="file://D:\Quorbel\Quorbel_0002\_THUMB_beach.jpg" align="top">beach.jpg | At the sea)", "beach.jpg", "At the sea"},
        {"  <IMG src=\"x\">two words.jpg |  spaced  | more", "two words.jpg", "spaced"},
        {"plain.jpg", "plain.jpg", ""},
        {"plain.jpg|", "plain.jpg", ""},
        // The text behind the tag is escaped markup: it is read back as it was typed.
        {"<IMG src=\"x\">R&amp;<!>B &lt;1&gt;.jpg | c &amp; <!>d", "R&B <1>.jpg", "c & d"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrintItemFileName(c.item), c.name) << c.item;
        EXPECT_EQ(PrintItemCaption(c.item), c.caption) << c.item;
    }
    EXPECT_EQ(PrintItemPath(cases[0].item, "D:\\Quorbel\\", "Quorbel_0002"), "D:\\Quorbel\\Quorbel_0002\\beach.jpg");
    EXPECT_EQ(PrintFileName("D:\\Quorbel\\Quorbel_0002\\beach.jpg"), "D:\\Quorbel\\Quorbel_0002\\_PRINT_beach.jpg");
}

TEST(PrintItems, PicturesScaleToTheirLongerSide)
{
    struct Case {
        int w, h, size, pw, ph, band;
    } cases[] = {
        {1600, 1200, 495, 495, 371, 401}, // 495 / 1.333 = 371.25
        {1200, 1600, 495, 371, 495, 525},
        {1000, 1000, 571, 571, 571, 601},
        {2000, 1000, 686, 686, 343, 373},
        {1000, 8, 495, 495, 4, 34},       // 3.96 rounds to 4
    };
    for (const Case& c : cases) {
        const PrintPicture p = ScaledPrintPicture(c.w, c.h, c.size);
        EXPECT_EQ(p.size, QSize(c.pw, c.ph)) << c.w << "x" << c.h;
        EXPECT_EQ(p.bandHeight, c.band) << c.w << "x" << c.h;
    }
}

TEST(PrintItems, BandsFlowOntoPages)
{
    // A body of 1000 - 24: the title takes 40 of the first page.
    const auto places = PlaceBands({401, 401, 401, 525, 2000, 100}, 1000);
    const std::vector<std::pair<int, int>> want = {{0, 40}, {0, 441}, {1, 0}, {1, 401}, {2, 0}, {3, 0}};
    ASSERT_EQ(places.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(places[i].page, want[i].first) << i;
        EXPECT_EQ(places[i].top, want[i].second) << i;
    }
}

// A show folder on D: with pictures, the report window reading it.
class ReportTest : public testsupport::WorldTest {
protected:
    TQRListForm form;
    show::ShowContext ctx;
    QString showHost() const { return world.hostD() + "/Quorbel/Quorbel_0001"; }
    void SetUp() override
    {
        ctx.Title = "Holiday";
        ctx.ShowRoot = "D:\\Quorbel\\";
        ctx.ShowFolder = "Quorbel_0001";
        ctx.ProgramDir = world.programDir();
        ctx.PrintCaptions = true;
        QDir().mkpath(showHost());
        form.ShowContext = [this] { return ctx; };
    }
    void addPicture(const QString& name, int w, int h, const QString& caption)
    {
        world.writeHostFile("d/Quorbel/Quorbel_0001/" + name, testsupport::jpegBytes(w, h, QColor(30, 120, 200)));
        ctx.PictureItems << QString(R"(<IMG src="file://D:\Quorbel\Quorbel_0001\_THUMB_%1" align="top">%1 | %2)").arg(name, caption);
    }
    QString pdf() const { return world.root() + "/list.pdf"; }
    bool printToPdf()
    {
        QPrinter printer(QPrinter::HighResolution);
        form.QuickRep1.SetupPrinter(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf());
        return form.PrintReport(printer);
    }
    // "page width height" of every picture in the PDF.
    QStringList images() const
    {
        QStringList out;
        const QStringList lines = testsupport::runHost("pdfimages -list '" + pdf() + "'").split('\n');
        for (const QString& l : lines.mid(2)) {
            const QStringList f = l.simplified().split(' ');
            if (f.size() > 5) out << f[0] + " " + f[3] + " " + f[4];
        }
        return out;
    }
    QString text() const { return testsupport::runHost("pdftotext -layout '" + pdf() + "' -"); }
};

TEST_F(ReportTest, OnePicturePerBandAtThePrintSize)
{
    if (!testsupport::haveHostProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    addPicture("land.jpg", 1600, 1200, "At the sea");
    addPicture("tall.jpg", 1200, 1600, "Tower");
    addPicture("more.jpg", 1600, 1200, "Evening");
    form.PrintSize = 495;
    ASSERT_TRUE(printToPdf()) << form.LastError().toStdString();
    // 40 + 401 + 525 does not leave room for a third band above the footer.
    EXPECT_EQ(images(), QStringList({"1 495 371", "1 371 495", "2 495 371"}));
    const QString t = text();
    for (const char* s : {"Holiday", "At the sea", "Tower", "Evening", "Seite 1", "Seite 2"}) EXPECT_TRUE(t.contains(s)) << s;
    EXPECT_EQ(form.DetailBand1.Height, 401);
    EXPECT_EQ(form.QRImage1.Top, 18);

    // The page as it prints: the picture's blue at its place on the page.
    testsupport::runHost("pdftoppm -r 96 -f 1 -l 1 -png '" + pdf() + "' '" + world.root() + "/page'");
    QImage page(world.root() + "/page-1.png");
    ASSERT_FALSE(page.isNull());
    const int margin = 48; // 12.7 mm at 96 dpi
    const QColor inside = page.pixelColor(margin + 8 + 200, margin + 40 + 18 + 150);
    EXPECT_NEAR(inside.blue(), 200, 12);
    EXPECT_NEAR(inside.red(), 30, 12);
    if (qEnvironmentVariableIsSet("PRINT_PAGE_PNG")) page.save(qEnvironmentVariable("PRINT_PAGE_PNG"));

    // Captions off: the labels stay empty.
    ctx.PrintCaptions = false;
    ASSERT_TRUE(printToPdf());
    EXPECT_FALSE(text().contains("At the sea"));
    EXPECT_TRUE(text().contains("Holiday"));
}

TEST_F(ReportTest, TheSelectionComesFromPrintTxt)
{
    if (!testsupport::haveHostProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    addPicture("a.jpg", 800, 600, "one");
    addPicture("b.jpg", 600, 800, "two");
    ctx.PrintAll = false;
    form.PrintSize = 686;
    // Missing: a clear error, nothing printed as if it were done.
    EXPECT_FALSE(printToPdf());
    EXPECT_TRUE(form.LastError().contains("Print.txt"));
    world.writeHostFile("program/Print.txt", ctx.PictureItems[1].toUtf8() + "\r\n");
    ASSERT_TRUE(printToPdf()) << form.LastError().toStdString();
    EXPECT_EQ(images(), QStringList({"1 514 686"}));
}

// The first page as the PDF reader sees it: its size and the boxes of its text lines and
// pictures, in points from the page's top left corner.
struct PdfPage {
    QRectF page;
    QList<QPair<QRectF, QString>> texts;
    QList<QRectF> images;
};
PdfPage readFirstPage(const QString& pdf, const QString& folder)
{
    PdfPage out;
    testsupport::runHost("pdftohtml -q -xml -zoom 1 -f 1 -l 1 '" + pdf + "' '" + folder + "/boxes'");
    QFile file(folder + "/boxes.xml");
    if (!file.open(QIODevice::ReadOnly)) return out;
    QXmlStreamReader xml(&file);
    auto box = [&xml] {
        const auto a = xml.attributes();
        return QRectF(a.value("left").toDouble(), a.value("top").toDouble(), a.value("width").toDouble(), a.value("height").toDouble());
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"page") out.page = box();
        else if (xml.name() == u"image") out.images << box();
        else if (xml.name() == u"text") {
            const QRectF r = box();
            out.texts << qMakePair(r, xml.readElementText(QXmlStreamReader::IncludeChildElements));
        }
    }
    return out;
}

// A long caption wraps within the band, and its picture stands below it: the PDF reader's box
// of every caption line lies above the picture's box, all inside the page; a caption too long
// for three lines ends in an ellipsis.
TEST_F(ReportTest, LongCaptionsPrintWholeAbovePicture)
{
    if (!testsupport::haveHostProgram("pdftohtml")) GTEST_SKIP() << "poppler-utils missing";
    QString caption;
    for (int i = 1; caption.size() < 200; ++i) caption += QString("harbour%1 lighthouse%1 ").arg(i);
    caption = caption.trimmed();
    QString tooLong;
    for (int i = 1; tooLong.size() < 900; ++i) tooLong += QString("rock%1 ").arg(i);
    tooLong = tooLong.trimmed();
    struct Case { const char* file; int w, h; QString caption; bool whole; };
    const Case cases[] = {
        {"land.jpg", 1600, 1200, caption, true},
        {"tall.jpg", 1200, 1600, tooLong, false},
        {"short.jpg", 1600, 1200, "Tower", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ctx.PictureItems.clear();
        addPicture(c.file, c.w, c.h, c.caption);
        form.PrintSize = 495;
        ASSERT_TRUE(printToPdf()) << form.LastError().toStdString();
        const PdfPage page = readFirstPage(pdf(), world.root());
        if (qEnvironmentVariableIsSet("PRINT_PAGE_PNG"))
            testsupport::runHost("pdftoppm -r 60 -f 1 -l 1 -png '" + pdf() + "' '" + qEnvironmentVariable("PRINT_PAGE_PNG") + "-" + c.file + "'");
        ASSERT_FALSE(page.page.isEmpty());
        ASSERT_EQ(page.images.size(), 1);
        const QRectF picture = page.images[0];
        EXPECT_TRUE(page.page.contains(picture));
        QStringList captionLines;
        for (const auto& [box, text] : page.texts) {
            EXPECT_TRUE(page.page.contains(box)) << text.toStdString();
            if (text == "Holiday" || text.startsWith("Seite")) continue;
            captionLines << text;
            EXPECT_FALSE(box.intersects(picture)) << text.toStdString() << " overlaps the picture";
            EXPECT_LE(box.bottom(), picture.top()) << text.toStdString();
        }
        const QString printed = captionLines.join(' ').simplified();
        if (c.whole) {
            EXPECT_EQ(printed, c.caption);
        } else {
            EXPECT_EQ(captionLines.size(), 3);
            EXPECT_TRUE(printed.endsWith(QChar(0x2026)) || printed.endsWith("...")) << printed.toStdString();
            EXPECT_TRUE(c.caption.startsWith(printed.left(printed.size() - 10))) << printed.toStdString();
        }
        // The band grew by the lines beyond the first.
        EXPECT_EQ(form.QRImage1.Top - 18, form.QRLabel3.Lines.height() - form.QRLabel3.Lines.lineHeight);
    }
    EXPECT_EQ(form.QRImage1.Top, 18); // one line: where the picture always stood
    EXPECT_EQ(form.DetailBand1.Height, 401);
}

TEST_F(ReportTest, AnEmptyListStillPrintsItsTitle)
{
    if (!testsupport::haveHostProgram("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
    ASSERT_TRUE(printToPdf());
    EXPECT_TRUE(text().contains("Holiday"));
    EXPECT_TRUE(text().contains("Seite 1"));
}

TEST_F(ReportTest, APictureLargerThanThePagePrintsWholeOnAPageOfItsOwn)
{
    if (!testsupport::haveHostProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    addPicture("a.jpg", 400, 300, "small");
    addPicture("b.jpg", 1600, 1200, "huge");
    form.PrintSize = 1500; // a free width of 39 cm
    ASSERT_TRUE(printToPdf());
    const QStringList im = images();
    ASSERT_EQ(im.size(), 2);
    EXPECT_EQ(im[1], "2 1500 1125");
    // Drawn within the page: its ppi is above 96.
    const QString list = testsupport::runHost("pdfimages -list '" + pdf() + "'");
    const QStringList row = list.split('\n')[3].simplified().split(' ');
    EXPECT_GT(row[12].toInt(), 96) << list.toStdString();
}

TEST_F(ReportTest, ABrokenPictureIsLeftOutAndNamedAndTheRestPrints)
{
    if (!testsupport::haveHostProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    addPicture("good.jpg", 800, 600, "fine");
    world.writeHostFile("d/Quorbel/Quorbel_0001/bad.jpg", QByteArray("\xFF\xD8\xFF\xE0 not a picture", 19));
    ctx.PictureItems << R"(<IMG src="x" align="top">bad.jpg | broken)";
    ctx.PictureItems << R"(<IMG src="x" align="top">missing.jpg | gone)";
    addPicture("after.jpg", 600, 800, "reached");
    ASSERT_TRUE(printToPdf()) << form.LastError().toStdString();
    EXPECT_EQ(images(), QStringList({"1 495 371", "1 371 495"}));
    EXPECT_TRUE(text().contains("reached"));
    const QStringList skipped = form.Skipped();
    ASSERT_EQ(skipped.size(), 2);
    EXPECT_TRUE(skipped[0].startsWith("D:\\Quorbel\\Quorbel_0001\\bad.jpg: ")) << skipped[0].toStdString();
    EXPECT_TRUE(skipped[1].startsWith("D:\\Quorbel\\Quorbel_0001\\missing.jpg: ")) << skipped[1].toStdString();
    form.FinishPrint();
    EXPECT_EQ(QDir(showHost()).entryList(QDir::Files, QDir::Name), QStringList({"after.jpg", "bad.jpg", "good.jpg"}));
    EXPECT_FALSE(form.PrintItems);
}

TEST_F(ReportTest, FinishPrintDeletesOnlyTheCopiesItMade)
{
    addPicture("a.jpg", 80, 60, "one");
    // The user's files, named like copies; one of them has the very name of a.jpg's copy.
    const QStringList mine = {"_PRINT_a.jpg", "_print_B.JPG", "holiday_print_1.jpg", "_THUMB_a.jpg"};
    for (const QString& name : mine) world.writeHostFile("d/Quorbel/Quorbel_0001/" + name, "mine");
    QDir().mkpath(showHost() + "/_PRINT_folder");
    ASSERT_TRUE(printToPdf()) << form.LastError().toStdString();
    EXPECT_TRUE(form.Skipped().isEmpty());
    EXPECT_TRUE(QFile::exists(showHost() + "/_PRINT_1_a.jpg"));
    form.FinishPrint();
    QStringList left = QDir(showHost()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    EXPECT_EQ(left, QStringList({"_PRINT_a.jpg", "_print_B.JPG", "_PRINT_folder", "_THUMB_a.jpg", "a.jpg", "holiday_print_1.jpg"}));
    for (const QString& name : mine) {
        QFile f(showHost() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "mine") << name.toStdString();
    }
}

TEST_F(ReportTest, ThePreviewCanBeLeftOrPrintedFrom)
{
    if (!testsupport::haveHostProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    addPicture("a.jpg", 800, 600, "one");
    form.PrintSize = 571;
    testsupport::PdfPrinterDialogs dialogs;
    dialogs.file = pdf();
    dialogs.modalScript.push_back([](QDialog&) { return int(platform::mrCancel); });
    form.Preview();
    EXPECT_FALSE(QFile::exists(pdf()));
    dialogs.printerAnswers = {false, true};
    dialogs.modalScript.push_back([](QDialog& d) {
        auto& preview = dynamic_cast<TReportPreview&>(d);
        EXPECT_FALSE(preview.PrintButtonClick()); // the printer dialog cancelled: the preview stays
        EXPECT_TRUE(preview.PrintButtonClick());
        return preview.result();
    });
    form.Preview();
    EXPECT_EQ(images(), QStringList({"1 571 428"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A picture that cannot be read: the error reaches the user once, not a report of success.
    world.writeHostFile("d/Quorbel/Quorbel_0001/a.jpg", "no picture");
    dialogs.printerAnswers = {true};
    dialogs.modalScript.push_back([](QDialog& d) {
        dynamic_cast<TReportPreview&>(d).PrintButtonClick();
        return int(platform::mrOk);
    });
    form.Preview();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
}

} // namespace
