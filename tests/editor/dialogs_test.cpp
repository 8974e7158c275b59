#include "editor/aboutbox.h"
#include "editor/mainform.h"
#include "editor/newform.h"
#include "editor/openform.h"
#include "editor/tipform.h"
#include "editor_fixture.h"
#include "platform/process.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class DialogsTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;
    void TearDown() override
    {
        form.reset();
        EditorTest::TearDown();
    }
    void writeTips(const QString& folder, int count)
    {
        QDir(hostProgram(folder)).removeRecursively();
        for (int i = 1; i <= count; ++i) writeAll(hostProgram(folder + QString("/%1.tpp").arg(i, 4, 10, QChar('0'))), "Tip " + QByteArray::number(i) + "\r\nline two");
    }
};

TEST_F(DialogsTest, TipFilesFollowTheLanguage)
{
    EXPECT_EQ(TipFileName("ENGLISH", 3), "tips_EN\\0003.tpp");
    EXPECT_EQ(TipFileName("GERMAN", 12), "tips_GR\\0012.tpp");
    EXPECT_EQ(TipFileName("FRANCE", 1), "tips_FR\\0001.tpp");
    EXPECT_EQ(TipFileName("ITALIAN", 1), "tips_IT\\0001.tpp");
    EXPECT_EQ(TipFileName("SPAIN", 1), "tips_SP\\0001.tpp");
}

TEST_F(DialogsTest, TheTipWindowStopsAtTheLastTip)
{
    useLanguage("ENGLISH");
    writeTips("tips_EN", 3);
    TTipForm tips;
    EXPECT_EQ(tips.windowTitle(), LangText(4803));
    tips.FormActivate();
    EXPECT_EQ(tips.Memo1->toPlainText(), "Tip 1\nline two");
    tips.NextTipBitBtnClick();
    tips.NextTipBitBtnClick();
    EXPECT_TRUE(tips.NextTipBitBtn->isEnabled());
    tips.NextTipBitBtnClick();
    EXPECT_FALSE(tips.NextTipBitBtn->isEnabled());
    EXPECT_EQ(tips.Memo1->toPlainText(), "Tip 3\nline two");
    // Showing it again starts at the first tip.
    tips.FormActivate();
    EXPECT_TRUE(tips.NextTipBitBtn->isEnabled());
    EXPECT_EQ(tips.TipNumber, 1);
}

TEST_F(DialogsTest, TipsCanBeSwitchedOffAndOnAgain)
{
    QFile::remove(hostProgram("NoTip.ini"));
    form = std::make_unique<TMainForm>(outputWindows());
    // Opening the sample show brings the tips; the user switches them off.
    dialogs.modalScript.push_back([](QDialog& d) {
        auto& t = static_cast<TTipForm&>(d);
        EXPECT_FALSE(t.Memo1->toPlainText().isEmpty());
        t.CheckBox1->setChecked(true);
        t.CloseBitBtn->click();
        return t.result();
    });
    form->BeispielBitBtnClick();
    EXPECT_TRUE(QFile::exists(hostProgram("NoTip.ini")));
    EXPECT_EQ(dialogs.modalForms, QStringList({"TipForm"}));
    form->BeispielBitBtnClick(); // no tips now
    EXPECT_EQ(dialogs.modalForms.size(), 1);

    dialogs.modalScript.push_back([](QDialog& d) { return int(platform::mrOk); });
    form->TipsCheckBoxClick();
    EXPECT_FALSE(QFile::exists(hostProgram("NoTip.ini")));
    EXPECT_EQ(dialogs.modalForms.size(), 2);
}

TEST_F(DialogsTest, TheShowChooserAsksForASelection)
{
    form = std::make_unique<TMainForm>(outputWindows());
    TOpenForm& chooser = form->openForm();
    chooser.Mode = 1;
    chooser.FormActivate();
    EXPECT_EQ(chooser.DoLabel->text(), LangText(4205));
    EXPECT_EQ(chooser.OpenBitBtn->text(), LangText(4206));
    ASSERT_EQ(chooser.OpenListBox->count(), 2);
    EXPECT_TRUE(chooser.OpenListBox->item(0)->text().startsWith("Quorbel_0001 "));

    chooser.OpenBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({LangText(10026)}));
    EXPECT_EQ(chooser.result(), 0);
    chooser.OpenListBoxDblClick(); // an empty part of the list: nothing happens
    EXPECT_EQ(chooser.result(), 0);
    EXPECT_EQ(dialogs.messages.size(), 1);

    form->PageControl1->setCurrentIndex(2);
    chooser.OpenListBox->setCurrentRow(1);
    chooser.OpenListBoxDblClick();
    EXPECT_EQ(chooser.result(), platform::mrOk);
    EXPECT_EQ(chooser.ChosenFolder, "Quorbel_0002");
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);

    chooser.Mode = 0;
    chooser.FormActivate();
    EXPECT_EQ(chooser.DoLabel->text(), LangText(4203));
    chooser.BitBtn2Click();
    EXPECT_EQ(chooser.result(), platform::mrAbort);
}

TEST_F(DialogsTest, TheNewShowDialogAnswersEnterAndEscape)
{
    TNewForm dialog;
    EXPECT_EQ(dialog.Label1->text(), LangText(1800));
    EXPECT_EQ(dialog.windowTitle(), LangText(1803));
    dialog.show();
    QTest::keyClicks(dialog.Edit1, "Summer");
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), platform::mrOk);
    EXPECT_EQ(dialog.Edit1->text(), "Summer");
    dialog.show();
    QTest::keyClick(dialog.BitBtn1, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), platform::mrAbort);
}

TEST_F(DialogsTest, TheAboutBoxShowsTheProductAndReportsALinkThatCannotOpen)
{
    TAboutBox about;
    EXPECT_EQ(about.windowTitle(), "Quorbel pro");
    EXPECT_EQ(about.ProductName->text(), "Quorbel pro");
    EXPECT_EQ(about.VersionLabel->text(), ProductInfo.VersionText);
    EXPECT_FALSE(about.VersionLabel->text().isEmpty());
    EXPECT_FALSE(about.Image1->pixmap().isNull());
    EXPECT_EQ(about.URLLabel->text(), ProductInfo.WebAddress);
    EXPECT_EQ(about.MailLabel->text(), ProductInfo.MailAddress);
    platform::ProgramTable::instance().set("open", "/nonexistent/opener");
    about.MailLabelClick();
    about.URLLabelClick();
    platform::ProgramTable::instance().loadFromEnvironment();
    const QString text = "Unable to start mail client. Make sure you have it properly set-up on your system.";
    EXPECT_EQ(dialogs.messageTexts(), QStringList({text, text}));
}
