#include "controls/htmlchecklist.h"
#include "editor/printselectform.h"
#include "editor/printsizewizard.h"
#include "output/print/printers.h"
#include "output/print/printlayout.h"
#include "output/print/qrlistform.h"
#include "output/print/reportpreview.h"
#include "show/showfiles.h"
#include "pictures_fixture.h"
#include "platform/textcodec.h"

#include <QCheckBox>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTest>

namespace {

// The main window on a show of five pictures with captions, no printer check in the way.
class PrintTest : public PicturesTest {
protected:
    void SetUp() override
    {
        PicturesTest::SetUp();
        print::setPrinterSource([this] { return printers; });
    }
    void TearDown() override
    {
        print::setPrinterSource(nullptr);
        QLocale::setDefault(QLocale::c());
        PicturesTest::TearDown();
    }
    print::PrinterList printers{{"Laser", "Tinte"}, 1};

    void makeShow(int pictures)
    {
        if (!haveTools()) GTEST_SKIP() << "ImageMagick missing";
        createWithNewShow();
        const char* captions[] = {"Am Meer", "Café & <b>Tee</b>", "Turm", "Abend", "Nacht"};
        for (int i = 0; i < pictures; ++i) {
            const QString name = QString("p%1.jpg").arg(i + 1);
            makeJpeg(srcHost(name), i % 2 ? 600 : 800, i % 2 ? 800 : 600);
            form->AddPictureToShow(srcWin(name), -1);
            form->QuorbelListBox->Items().setStrings(
                i, show::ShowItem(form->ShowFolderPath(), name, name + " | " + QString::fromUtf8(captions[i % 5])));
        }
        ASSERT_EQ(form->QuorbelListBox->Count(), pictures);
        dialogs.clear();
    }
    QString pdf() const { return world.root() + "/list.pdf"; }
    QStringList pdfImages() const
    {
        QStringList out;
        const QStringList lines = testsupport::runHost("pdfimages -list '" + pdf() + "'").split('\n');
        for (const QString& l : lines.mid(2)) {
            const QStringList f = l.simplified().split(' ');
            if (f.size() > 5) out << f[3] + "x" + f[4];
        }
        return out;
    }
};

TEST_F(PrintTest, TheSizeDialogSetsThePrintWidth)
{
    form = std::make_unique<TMainForm>(outputWindows());
    TPrintSizeWizard wizard;
    EXPECT_EQ(wizard.PrintWidth, 495);
    EXPECT_EQ(wizard.windowTitle(), LangText(6600));
    EXPECT_FALSE(wizard.SizePanel->isVisibleTo(&wizard));
    wizard.RadioButton10_15->click();
    EXPECT_EQ(wizard.PrintWidth, 571);
    wizard.RadioButton13_18->click();
    EXPECT_EQ(wizard.PrintWidth, 686);
    wizard.RadioButton_Frei->click();
    EXPECT_TRUE(wizard.SizePanel->isVisibleTo(&wizard));
    EXPECT_EQ(wizard.PrintWidth, 686); // until a number is typed

    // Free widths: the formula, not the fixed sizes (18 cm gives 685, not 686).
    struct Case {
        const char* text;
        int width;
        bool message;
    } cases[] = {{"13", 495, false}, {"15", 571, false}, {"18", 685, false}, {"abc", 495, true},
                 {"0", 495, true},   {"-5", 495, true},  {"1e999", 495, true}, {"6.5", 248, false}};
    for (const Case& c : cases) {
        wizard.PrintWidth = 1;
        dialogs.clear();
        wizard.Edit1->setText(c.text);
        EXPECT_EQ(wizard.PrintWidth, c.width) << c.text;
        EXPECT_EQ(dialogs.messageTexts(), c.message ? QStringList{LangText(6611)} : QStringList{}) << c.text;
    }
    // The user's decimal separator.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    wizard.Edit1->setText("12,5");
    EXPECT_EQ(wizard.PrintWidth, 476); // 475.96
    EXPECT_DOUBLE_EQ(wizard.FreeWidthCm, 12.5);
}

TEST_F(PrintTest, DeletingTheFreeWidthComplainsPerKeystrokeThatLeavesNoNumber)
{
    form = std::make_unique<TMainForm>(outputWindows());
    TPrintSizeWizard wizard;
    wizard.RadioButton_Frei->click();
    wizard.Edit1->setText("15");
    dialogs.clear();
    wizard.Edit1->setFocus();
    wizard.Edit1->end(false);
    QTest::keyClick(wizard.Edit1, Qt::Key_Backspace); // "1": a number
    EXPECT_EQ(wizard.PrintWidth, 38);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    QTest::keyClick(wizard.Edit1, Qt::Key_Backspace); // "": none
    QTest::keyClick(wizard.Edit1, Qt::Key_Backspace); // nothing changes, no message
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(6611)});
    EXPECT_EQ(wizard.PrintWidth, 495);
}

TEST_F(PrintTest, CaptionsAreTakenOnlyWithOk)
{
    form = std::make_unique<TMainForm>(outputWindows());
    TPrintSizeWizard wizard;
    wizard.TextCheckBox->setChecked(true);
    wizard.AbortBitBtn->click();
    EXPECT_EQ(wizard.result(), platform::mrCancel);
    EXPECT_FALSE(wizard.PrintCaptions);
    wizard.SaveBitBtn->click();
    EXPECT_EQ(wizard.result(), platform::mrOk);
    EXPECT_TRUE(wizard.PrintCaptions);
}

TEST_F(PrintTest, TheSelectionWritesTheTickedItemsInListOrder)
{
    makeShow(5);
    TPrintSelectForm select;
    select.Offer = form->printSelectionOffer();
    select.resize(600, 500);
    select.FormActivate();
    EXPECT_EQ(select.HTMLCheckList1->Items().toStringList(), form->QuorbelListBox->Items().toStringList());
    EXPECT_EQ(select.HTMLCheckList1->CheckedCount(), 0);
    EXPECT_EQ(select.HTMLCheckList1->ItemHeight(), 70);
    EXPECT_EQ(select.windowTitle(), form->windowTitle());
    EXPECT_EQ(select.AbortBitBtn->geometry().right() + 1, select.Panel1->width() - 10);
    EXPECT_EQ(select.PrintBitBtn->x(), select.Panel1->width() - select.PrintBitBtn->width() - select.AbortBitBtn->width() - 20);

    // Nothing ticked: a message, the window stays and writes nothing.
    select.setResult(0);
    select.PrintBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10011)});
    EXPECT_EQ(select.result(), 0);
    EXPECT_FALSE(QFile::exists(hostProgram("Print.txt")));

    for (int i : {4, 1, 2}) select.HTMLCheckList1->setChecked(i, true);
    select.PrintBitBtnClick();
    EXPECT_EQ(select.result(), platform::mrOk);
    const QStringList items = form->QuorbelListBox->Items().toStringList();
    const QByteArray want = platform::toWindows1252(items[1].trimmed() + "\r\n" + items[2].trimmed() + "\r\n" + items[4].trimmed() + "\r\n");
    EXPECT_EQ(readAll(hostProgram("Print.txt")), want);
    EXPECT_TRUE(want.contains("Caf\xE9")); // the "é" of "Café" as one byte
    // The report reads the caption back from the file as it was typed.
    const QStringList lines = platform::fromWindows1252(readAll(hostProgram("Print.txt"))).split("\r\n");
    EXPECT_EQ(print::PrintItemCaption(lines[0]), "Café & <b>Tee</b>");
    EXPECT_EQ(print::PrintItemFileName(lines[0]), "p2.jpg");

    // Shown again, nothing is ticked.
    select.FormActivate();
    EXPECT_EQ(select.HTMLCheckList1->CheckedCount(), 0);
    select.AbortBitBtnClick();
    EXPECT_EQ(select.result(), platform::mrAbort);
}

TEST_F(PrintTest, ASelectionThatCannotBeWrittenIsReported)
{
    makeShow(1);
    writeAll(hostProgram("Print.txt"), "old\r\n");
    QFile::setPermissions(hostProgram("Print.txt"), QFileDevice::ReadOwner);
    QFile::setPermissions(world.programHost(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    TPrintSelectForm select;
    select.Offer = form->printSelectionOffer();
    select.FormActivate();
    select.HTMLCheckList1->setChecked(0, true);
    select.setResult(0);
    select.PrintBitBtnClick();
    QFile::setPermissions(world.programHost(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(select.result(), 0);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains("Print.txt"));
}

TEST_F(PrintTest, AnEmptyShowOrNoDefaultPrinterStopsThePrint)
{
    form = std::make_unique<TMainForm>(outputWindows());
    {
        // The page alone: the user's change to it would refuse the empty show by itself.
        const QSignalBlocker block(form->PageControl1);
        form->PageControl1->setCurrentIndex(2);
    }
    form->PrintAll1Click();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10010)});
    EXPECT_EQ(form->PageControl1->currentIndex(), 1) << "page 1, the music page";

    makeShow(1);
    dialogs.clear();
    printers = {{"Laser", "Kein Standard-Drucker"}, 1};
    form->PrintAll1Click();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Kein Standard-Drucker", "Der Ausdruck kann nicht gestartet werden."}));
    EXPECT_TRUE(dialogs.modalForms.isEmpty());
}

TEST_F(PrintTest, ThePrinterNameIsThatOfTheCurrentIndex)
{
    form = std::make_unique<TMainForm>(outputWindows());
    struct Case {
        const char* what;
        print::PrinterList list;
        int chosen;
        const char* name;
    };
    for (const Case& c : {Case{"the default's place", {{"Laser", "Tinte", "Foto"}, 2}, -1, "Foto"},
                          Case{"a printer chosen since", {{"Laser", "Tinte", "Foto"}, 2}, 1, "Tinte"},
                          Case{"a choice no longer listed", {{"Laser", "Tinte"}, 1}, 5, "Tinte"},
                          Case{"index 0 gives no name", {{"Laser", "Tinte"}, 0}, -1, ""},
                          Case{"no printers", {{}, -1}, -1, ""}}) {
        printers = c.list;
        print::setPrinterSource([this] { return printers; });
        if (c.chosen >= 0) print::setPrinterIndex(c.chosen);
        EXPECT_EQ(form->CurrentPrinterName(), c.name) << c.what;
    }
}

TEST_F(PrintTest, CancellingADialogStopsThePrint)
{
    makeShow(2);
    dialogs.modalScript.push_back([](QDialog&) { return int(platform::mrCancel); });
    form->PrintAll1Click();
    EXPECT_EQ(dialogs.modalForms, QStringList{"PrintSizeWizard"});

    dialogs.modalForms.clear();
    dialogs.modalScript.push_back([](QDialog& d) {
        static_cast<TPrintSizeWizard&>(d).SaveBitBtn->click();
        return d.result();
    });
    dialogs.modalScript.push_back([](QDialog& d) {
        static_cast<TPrintSelectForm&>(d).AbortBitBtn->click();
        return d.result();
    });
    form->PrintSelected1Click();
    EXPECT_EQ(dialogs.modalForms, QStringList({"PrintSizeWizard", "PrintSelectForm"}));
}

// Size, selection, preview and print to a PDF file, as the user goes through them.
TEST_F(PrintTest, PrintingASelectionEndToEnd)
{
    if (!testsupport::haveHostProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    makeShow(5);
    testsupport::PdfPrinterDialogs pdfDialogs;
    pdfDialogs.file = pdf();
    pdfDialogs.printerAnswers = {true};
    pdfDialogs.modalScript.push_back([](QDialog& d) {
        auto& w = static_cast<TPrintSizeWizard&>(d);
        w.RadioButton10_15->click();
        w.TextCheckBox->setChecked(true);
        w.SaveBitBtn->click();
        return w.result();
    });
    pdfDialogs.modalScript.push_back([](QDialog& d) {
        auto& s = static_cast<TPrintSelectForm&>(d);
        s.HTMLCheckList1->setChecked(3, true);
        s.HTMLCheckList1->setChecked(0, true);
        s.PrintBitBtn->click();
        return s.result();
    });
    bool copiesWhilePreviewing = false;
    pdfDialogs.modalScript.push_back([&](QDialog& d) {
        auto& preview = dynamic_cast<print::TReportPreview&>(d);
        preview.PrintButtonClick();
        copiesWhilePreviewing = QFile::exists(showHost("_PRINT_p1.jpg"));
        return preview.result();
    });
    form->PrintSelected1Click();
    EXPECT_EQ(pdfDialogs.modalForms, QStringList({"PrintSizeWizard", "PrintSelectForm", "ReportPreview"}));
    EXPECT_TRUE(pdfDialogs.messages.isEmpty()) << pdfDialogs.messageTexts().join('|').toStdString();
    EXPECT_FALSE(form->PrintAll);
    EXPECT_EQ(form->PrintWidth, 571);
    EXPECT_EQ(pdfImages(), QStringList({"571x428", "428x571"}));
    const QString text = testsupport::runHost("pdftotext '" + pdf() + "' -");
    EXPECT_TRUE(text.contains("Holiday"));
    EXPECT_TRUE(text.contains("Am Meer"));
    EXPECT_TRUE(text.contains("Abend"));
    EXPECT_FALSE(text.contains("Turm"));
    // The scaled copies existed while printing and are gone afterwards.
    EXPECT_TRUE(copiesWhilePreviewing);
    EXPECT_FALSE(QFile::exists(showHost("_PRINT_p1.jpg")));
    EXPECT_FALSE(QFile::exists(showHost("_PRINT_p4.jpg")));
    EXPECT_TRUE(QFile::exists(showHost("p1.jpg")));
    if (qEnvironmentVariableIsSet("PRINT_PAGE_PNG"))
        testsupport::runHost("pdftoppm -r 60 -f 1 -l 1 -png '" + pdf() + "' '" + qEnvironmentVariable("PRINT_PAGE_PNG") + "'");
}

TEST_F(PrintTest, AMissingPictureIsNamedAndLeftOutAndTheUsersFilesStay)
{
    if (!testsupport::haveHostProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    makeShow(3);
    // Files of the user's in the show folder named like the scaled copies, one like p1's.
    writeAll(showHost("_PRINT_p1.jpg"), "mine");
    writeAll(showHost("_PRINT_notes.jpg"), "mine too");
    const QString missing = form->ShowFolderPath() + "p3.jpg";
    QFile::remove(showHost("p3.jpg"));
    const auto before = snapshot(showHost());
    testsupport::PdfPrinterDialogs pdfDialogs;
    pdfDialogs.file = pdf();
    pdfDialogs.printerAnswers = {true};
    pdfDialogs.modalScript.push_back([](QDialog& d) {
        auto& w = static_cast<TPrintSizeWizard&>(d);
        w.TextCheckBox->setChecked(true);
        w.SaveBitBtn->click();
        return w.result();
    });
    pdfDialogs.modalScript.push_back([&](QDialog& d) {
        auto& preview = dynamic_cast<print::TReportPreview&>(d);
        preview.PrintButtonClick();
        return preview.result();
    });
    form->PrintAll1Click();
    // The rest printed, captions as typed; the missing picture is named in one error.
    EXPECT_EQ(pdfImages(), QStringList({"495x371", "371x495"}));
    const QString text = testsupport::runHost("pdftotext '" + pdf() + "' -");
    EXPECT_TRUE(text.contains("Am Meer"));
    EXPECT_TRUE(text.contains("Café & <b>Tee</b>")) << text.toStdString();
    ASSERT_EQ(pdfDialogs.messages.size(), 1) << pdfDialogs.messageTexts().join('|').toStdString();
    EXPECT_EQ(pdfDialogs.messages[0].kind, platform::MessageKind::Error);
    EXPECT_TRUE(pdfDialogs.messages[0].text.contains(missing)) << pdfDialogs.messages[0].text.toStdString();
    // Only the copies the print made are gone; the user's files are as they were.
    EXPECT_EQ(snapshot(showHost()), before);
}

} // namespace
