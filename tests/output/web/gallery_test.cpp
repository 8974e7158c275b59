// The gallery window writing the pages of the open show.
#include "web_fixture.h"

#include "output/web/ftpform.h"
#include "output/web/htmlform.h"

#include <QTest>

#include <tuple>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <cmath>

using platform::MessageKind;

class GalleryTest : public WebTest {
protected:
    QString openerLog;
    std::unique_ptr<THTMLForm> form;

    void SetUp() override
    {
        WebTest::SetUp();
        // The desktop's opener records what it was given instead of starting a browser.
        openerLog = world.root() + "/opened.txt";
        const QString script = world.writeHostFile("opener.sh", "#!/bin/sh\necho \"$1\" >> '" + openerLog.toUtf8() + "'\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        platform::ProgramTable::instance().set("open", script);
    }
    void TearDown() override
    {
        form.reset();
        platform::ProgramTable::instance().loadFromEnvironment();
        WebTest::TearDown();
    }
    void makeForm()
    {
        form = std::make_unique<THTMLForm>(mainForm->showHost());
        form->FormActivate();
    }
    // The opener runs detached: give it a moment to leave its trace. The shell makes the file
    // before it writes the line, so wait for the line's end, not for the file.
    QString opened(int waitMs = 60000) const
    {
        std::ignore = QTest::qWaitFor([&] { return readAll(openerLog).endsWith('\n'); }, waitMs);
        return QString::fromUtf8(readAll(openerLog)).trimmed();
    }
    QByteArray page(const QString& name) const { return readAll(galleryHost(name)); }
    // The colour of a thumbnail's pixel, as decoded.
    QColor pixel(const QString& name, int x, int y) const
    {
        QImage img(galleryHost(name));
        if (x < 0) x += img.width();
        if (y < 0) y += img.height();
        return img.pixelColor(x, y);
    }
};

TEST_F(GalleryTest, WritesEveryPageAndPictureOfTheShow)
{
    openShow({{"Strand 1.jpg", 1600, 1200, "Am Meer"}, {"Turm.jpg", 1200, 1600, "Hoch"}, {"Gallery.jpg", 800, 600, "Index?"}});
    writeAll(galleryHost("old_thumb.jpg"), "left from an earlier gallery");
    const auto before = snapshot(world.programHost());
    makeForm();
    form->TextCheckBox->click();
    form->SmallPicMaskEdit->setText("80");
    form->BitBtn1Click();

    ASSERT_EQ(dialogs.messages.size(), 1) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(dialogs.messages[0].text, "Erstellen der Galerie wurde erfolgreich abgeschlossen!");
    EXPECT_TRUE(form->PagesWritten);
    EXPECT_EQ(opened(), galleryHost("gallery.html"));

    // Thumbnails keep the small size on the short side, large pictures the large size.
    struct Expect { QString file; QSize size; };
    const Expect sizes[] = {
        {"strand_1_thumb.jpg", {107, 80}}, {"strand_1.jpg", {333, 250}}, {"turm_thumb.jpg", {80, 107}},
        {"turm.jpg", {250, 333}}, {"gallery_2_thumb.jpg", {107, 80}}, {"gallery_2.jpg", {333, 250}},
    };
    for (const Expect& e : sizes) {
        EXPECT_EQ(jpegSize(galleryHost(e.file)), e.size) << e.file.toStdString();
        EXPECT_TRUE(jpegIntact(galleryHost(e.file))) << e.file.toStdString();
    }
    const QStringList files = QDir(galleryHost()).entryList(QDir::Files);
    EXPECT_EQ(files, QStringList({"gallery.html", "gallery_2.html", "gallery_2.jpg", "gallery_2_thumb.jpg", "home.gif",
                                  "layout.css", "next.gif", "previous.gif", "strand_1.html", "strand_1.jpg",
                                  "strand_1_thumb.jpg", "turm.html", "turm.jpg", "turm_thumb.jpg"}));
    expectLinksResolve();

    const QByteArray index = page("gallery.html");
    EXPECT_TRUE(index.contains("<td align=\"center\" width=\"25%\">\r\n<a href=\"strand_1.html\"><img src=\"strand_1_thumb.jpg\" width=\"107\" height=\"80\" border=\"0\""));
    EXPECT_TRUE(index.contains("</a><br>Am Meer\r\n</td>"));
    EXPECT_EQ(index.count("<td align=\"center\">&nbsp;</td>"), 1);
    EXPECT_TRUE(index.contains("Urlaub</div><br><br>"));
    EXPECT_TRUE(page("turm.html").contains("<A HREF=\"strand_1.html\"><IMG SRC=\"previous.gif\""));
    EXPECT_TRUE(page("turm.html").contains("<A HREF=\"gallery_2.html\"><IMG SRC=\"next.gif\""));
    EXPECT_TRUE(page("gallery_2.html").contains("<A HREF=\"strand_1.html\"><IMG SRC=\"next.gif\""));
    EXPECT_TRUE(page("layout.css").contains("\tcolor:#FFFFFF;\r\n")); // white on the black page

    // Beside the gallery folder only the settings changed; the templates are gone again.
    auto after = snapshot(world.programHost());
    EXPECT_TRUE(QString::fromLatin1(after.value("Gallery.ini")).contains("TextVisible=TRUE"));
    for (auto* map : {&after, const_cast<QMap<QString, QByteArray>*>(&before)}) {
        map->remove("Gallery.ini");
        for (const QString& k : map->keys())
            if (k.startsWith("gallery/")) map->remove(k);
    }
    EXPECT_EQ(after.keys(), before.keys());
    EXPECT_EQ(after, before);
}

TEST_F(GalleryTest, OnePictureLinksToItselfAndTheFrameFollowsTheSetting)
{
    useLanguage("ENGLISH");
    openShow({{"Solo.jpg", 640, 480, "One"}});
    world.writeHostFile("program/Gallery.ini", "[SETTINGS]\r\nBKGColor=16777215\r\nFilenameVisible=TRUE\r\n");
    makeForm();
    form->BitBtn1Click();
    ASSERT_TRUE(form->PagesWritten) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Gallery generated successful!"}));
    const QByteArray solo = page("solo.html");
    EXPECT_TRUE(solo.contains("<A HREF=\"solo.html\"><IMG SRC=\"previous.gif\" BORDER=\"0\" ALT=\"Previous Picture\">"));
    EXPECT_TRUE(solo.contains("<A HREF=\"solo.html\"><IMG SRC=\"next.gif\" BORDER=\"0\" ALT=\"Next Picture\">"));
    EXPECT_TRUE(solo.contains("<br>solo.jpg<br><br>")); // file name shown, captions off
    EXPECT_TRUE(page("gallery.html").contains("<br>solo.html<br></a>\r\n"));
    // With the frame the corners beside the shadow take the white background.
    EXPECT_GT(pixel("solo_thumb.jpg", 1, -2).lightness(), 230);
    EXPECT_GT(pixel("solo_thumb.jpg", -2, 1).lightness(), 230);

    form->RahmenCheckBox->click();
    form->BitBtn1Click();
    ASSERT_TRUE(form->PagesWritten);
    EXPECT_LT(pixel("solo_thumb.jpg", 1, -2).lightness(), 200); // the picture reaches the corner
    EXPECT_EQ(jpegSize(galleryHost("solo_thumb.jpg")), QSize(107, 80));
}

TEST_F(GalleryTest, ABrokenPictureOrSettingIsReportedAndNeverCalledSuccess)
{
    openShow({{"Gut.jpg", 400, 300, ""}, {"Kaputt.jpg", 400, 300, ""}});
    // Cut the second picture short.
    const QString broken = hostD("Quorbel/Quorbel_0005/Kaputt.jpg");
    writeAll(broken, readAll(broken).left(300));
    makeForm();
    form->BitBtn1Click();
    EXPECT_FALSE(form->PagesWritten);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_FALSE(dialogs.messages[0].text.isEmpty());
    EXPECT_EQ(opened(300), "");
    EXPECT_FALSE(QFile::exists(galleryHost("gallery.html")));
    for (const char* t : {"gallery.ht1", "gallery.ht2", "einzel.ht1", "einzel.ht2"})
        EXPECT_FALSE(QFile::exists(hostProgram(t))) << t;

    // A size that is no number stops before the gallery folder is touched.
    writeAll(hostD("Quorbel/Quorbel_0005/Kaputt.jpg"), {});
    writeAll(galleryHost("keep.jpg"), "earlier");
    world.writeHostFile("program/Gallery.ini", "[SETTINGS]\r\nLargePicX=12a\r\n");
    dialogs.clear();
    form->FormActivate();
    form->BitBtn1Click();
    EXPECT_FALSE(form->PagesWritten);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({QString("'12a' is not a valid integer value")}));
    EXPECT_TRUE(QFile::exists(galleryHost("keep.jpg")));
}

TEST_F(GalleryTest, WindowTextsAndSettingsHandlers)
{
    openShow({});
    makeForm();
    EXPECT_EQ(form->objectName(), "HTMLForm");
    EXPECT_EQ(form->Label16->text(), LangText(3500));
    EXPECT_EQ(form->BitBtn3->text(), LangText(3514));
    EXPECT_EQ(form->SmallPicMaskEdit->text(), "80");
    EXPECT_EQ(form->PicProRowMaskEdit->text(), "4");
    EXPECT_TRUE(form->RahmenCheckBox->isChecked());

    dialogs.colorAnswers = {platform::ColorRef(255), std::nullopt};
    form->TextcolorButtonClick();
    form->BKGColorButtonClick(); // cancelled: unchanged
    EXPECT_EQ(form->Settings.TextColor, 255);
    EXPECT_EQ(form->Settings.BKGColor, 0);
    form->PicProRowMaskEdit->setText("");
    EXPECT_EQ(form->Settings.PicProRow, "4"); // an empty edit keeps the number
    form->PicProRowMaskEdit->setText(" 3");
    EXPECT_EQ(form->Settings.PicProRow, "3");

    // An empty show makes an index without pictures.
    form->BitBtn1Click();
    EXPECT_TRUE(form->PagesWritten);
    EXPECT_TRUE(page("gallery.html").contains("<tr>\r\n<td align=\"center\">&nbsp;</td>\r\n</tr>"));
    EXPECT_TRUE(page("layout.css").contains("\tcolor:#FF0000;"));
    form->FormActivate();
    EXPECT_FALSE(form->PagesWritten); // a new showing starts unwritten

    // The upload button makes the upload window, owned by this one and shown without a modal loop.
    form->BitBtn2Click();
    ASSERT_TRUE(form->FTPForm);
    EXPECT_EQ(form->FTPForm->parent(), form.get());
    EXPECT_TRUE(form->FTPForm->isVisible());
    EXPECT_FALSE(form->FTPForm->isModal());
    EXPECT_TRUE(dialogs.modalForms.isEmpty());
    // It is found like the start-up's windows; a second press replaces it and the lookup follows.
    EXPECT_EQ(TFTPForm::instance(), form->FTPForm.data());
    form->BitBtn2Click();
    ASSERT_TRUE(form->FTPForm);
    EXPECT_EQ(TFTPForm::instance(), form->FTPForm.data());
}

TEST_F(GalleryTest, APressDuringTheConversionStartsNoSecondGallery)
{
    openShow({{"a.jpg", 400, 300, ""}, {"b.jpg", 400, 300, ""}});
    makeForm();
    int nested = 0;
    QObject::connect(form->ProgressBar1, &QProgressBar::valueChanged, form.get(), [&](int) {
        if (nested++ == 0) form->BitBtn1Click();
    });
    form->BitBtn1Click();
    EXPECT_TRUE(form->PagesWritten);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Erstellen der Galerie wurde erfolgreich abgeschlossen!"}));
    expectLinksResolve();
}

// A caption, the title and a file name are text: a browser reading the pages in the encoding
// they declare shows each exactly as typed, no typed text becomes an element, and tidy finds no
// element or byte it does not know.
TEST_F(GalleryTest, TypedTextShowsExactlyAsTypedAndNeverBecomesMarkup)
{
    const QString evening = "Am Wasser <Abend> \"ruhig\"";
    const QString bold = "<b>bold?</b> & <big>";
    const QString umlauts = QString::fromUtf8("'ä' ß € &amp; &#39;"); // written-out references stay text
    const QString script = "<script>alert(1)</script>";
    openShow({{"Abend.jpg", 400, 300, evening},
              {"Bild #1.jpg", 300, 400, bold},
              {QString::fromUtf8("Grüße & Küsse.jpg"), 400, 300, umlauts},
              {"It's.jpg", 400, 300, script}});
    // Typed into the title field: also a character the pages' code page lacks.
    const QString title = QString::fromUtf8("Ferien <i>2024</i> & \"mehr\" – 'ä€' → Süd");
    mainForm->TitleEdit->setText(title);
    makeForm();
    form->TextCheckBox->click();
    form->FileNameCheckBox->click();
    form->BitBtn1Click();
    ASSERT_TRUE(form->PagesWritten) << dialogs.messageTexts().join("|").toStdString();

    struct Page { QString file, caption, picture; };
    const Page pages[] = {
        {"abend.html", evening, "abend.jpg"},
        {"bild_#1.html", bold, "bild_#1.jpg"},
        {"gruesse_a_kuesse.html", umlauts, "gruesse_a_kuesse.jpg"},
        {"it_s.html", script, "it_s.jpg"},
    };
    const QStringList markup = {"html", "head", "title", "meta", "link", "body", "center", "div", "br",
                                "table", "tr", "td", "a", "img", "hr"};
    auto check = [&](const QString& file, const QStringList& texts) {
        SCOPED_TRACE(file.toStdString());
        const QString host = galleryHost(file);
        int status = -1;
        const QString report = testsupport::runHost("tidy -errors -q '" + host + "' 2>&1", &status);
        EXPECT_LT(status, 2) << report.toStdString(); // 2: errors
        for (const char* bad : {"Error", "not recognized", "discarding", "missing </", "unexpected", "invalid", "replacing"})
            EXPECT_FALSE(report.contains(bad)) << report.toStdString();

        const PageText page = readPage(host);
        EXPECT_EQ(page.charset, "windows-1252");
        for (const QString& tag : page.tags) EXPECT_TRUE(markup.contains(tag)) << tag.toStdString();
        for (const QString& t : texts) EXPECT_TRUE(page.texts.contains(t)) << t.toStdString();
    };
    QStringList indexTexts{title};
    for (const Page& p : pages) {
        indexTexts << p.caption << p.file;
        check(p.file, {title, p.caption, p.picture});
    }
    check("gallery.html", indexTexts);
    expectLinksResolve();
}

namespace {

// The contrast of two "#RRGGBB" colours as the web's accessibility rules count it (1 to 21).
double contrast(const QString& a, const QString& b)
{
    auto luminance = [](const QString& hex) {
        const QColor c(hex);
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The value of a property in a rule of a style sheet ("BODY", "color").
QString cssValue(const QString& css, const QString& rule, const QString& property)
{
    const qsizetype start = css.indexOf(QRegularExpression("(^|\\n)" + QRegularExpression::escape(rule) + " \\{"));
    const qsizetype end = css.indexOf('}', start);
    const QRegularExpression line("\\n\\s*" + QRegularExpression::escape(property) + "\\s*:\\s*([^;]+);");
    const auto m = line.match(css.mid(start, end - start));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

} // namespace

// Without stored colours the page's text can be read on its background; stored colours are
// the user's and stay as they are.
TEST_F(GalleryTest, DefaultColoursGiveReadableTextAndStoredOnesStay)
{
    openShow({{"Abend.jpg", 400, 300, "Am Wasser"}});
    struct Case {
        const char* what;
        QByteArray ini;
        const char* text;
        const char* background;
    };
    const Case cases[] = {
        {"no settings", "", "#FFFFFF", "#000000"},
        {"no colour keys", "[SETTINGS]\r\nTextVisible=TRUE\r\n", "#FFFFFF", "#000000"},
        {"a white page stored", "[SETTINGS]\r\nBKGColor=16777215\r\n", "#000000", "#FFFFFF"},
        {"dark blue text stored", "[SETTINGS]\r\nTextColor=8388608\r\n", "#000080", "#FFFFFF"},
        {"a colour that is no number", "[SETTINGS]\r\nTextColor=red\r\n", "#FFFFFF", "#000000"},
        {"both stored, even unreadable", "[SETTINGS]\r\nBKGColor=0\r\nTextColor=4\r\n", "#040000", "#000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(world.programHost() + "/Gallery.ini");
        if (!c.ini.isEmpty()) world.writeHostFile("program/Gallery.ini", c.ini);
        dialogs.clear();
        makeForm();
        form->BitBtn1Click();
        ASSERT_TRUE(form->PagesWritten) << dialogs.messageTexts().join("|").toStdString();
        const QString css = QString::fromLatin1(page("layout.css"));
        const QString background = cssValue(css, "BODY", "background-color");
        EXPECT_EQ(background, c.background);
        for (const char* rule : {"BODY", "a:link", "a:visited", "td", ".header"}) {
            EXPECT_EQ(cssValue(css, rule, "color"), c.text) << rule;
            if (QByteArray(c.what).startsWith("both")) continue;
            EXPECT_GE(contrast(cssValue(css, rule, "color"), background), 4.5) << rule;
        }
        // The colour panels show what was written, and the settings keep it for the next time.
        auto shown = [](QWidget* panel) {
            const QImage img = panel->grab().toImage();
            return img.pixelColor(img.width() / 2, img.height() / 2).name(QColor::HexRgb).toUpper();
        };
        EXPECT_EQ(shown(form->TextColorPanel), c.text);
        EXPECT_EQ(shown(form->BKGColorPanel), c.background);
        auto stored = [&](const char* key) {
            const int v = testsupport::runHost("crudini --get '" + world.programHost() + "/Gallery.ini' SETTINGS " + key).trimmed().toInt();
            return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF).name(QColor::HexRgb).toUpper();
        };
        EXPECT_EQ(stored("TextColor"), c.text);
        EXPECT_EQ(stored("BKGColor"), c.background);
    }
}
