// The gallery's texts and settings, and the upload's command lines, without a window.
#include "output/web/ftpcommands.h"
#include "output/web/gallerypages.h"
#include "output/web/gallerysettings.h"
#include "platform/inifile.h"
#include "support/fixture.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace web;

TEST(GalleryTable, RowsColumnsAndCellWidth)
{
    struct Case { int pictures, perRow, rows, columns, width; };
    const Case cases[] = {
        {10, 4, 3, 4, 25}, {4, 4, 2, 3, 33}, {1, 4, 1, 2, 50}, {0, 4, 1, 1, 100},
        // A row setting of 0 counts as 1 instead of dividing by zero.
        {3, 0, 4, 1, 100},
    };
    for (const Case& c : cases) {
        const TableLayout t = GalleryTable(c.pictures, c.perRow);
        EXPECT_EQ(t.rows, c.rows) << c.pictures << "/" << c.perRow;
        EXPECT_EQ(t.columns, c.columns) << c.pictures << "/" << c.perRow;
        EXPECT_EQ(t.cellWidth, c.width) << c.pictures << "/" << c.perRow;
        EXPECT_GE(t.rows * t.columns, c.pictures); // every picture gets a cell
    }
}

TEST(GalleryTexts, ColorToHtmlPutsRedFirst)
{
    EXPECT_EQ(ColorToHtml(255), "#FF0000");
    EXPECT_EQ(ColorToHtml(0xFF0000), "#0000FF");
    EXPECT_EQ(ColorToHtml(0x0A0B0C), "#0C0B0A");
    EXPECT_EQ(ColorToHtml(platform::clNone), "#000000");
}

TEST(GalleryTexts, WebNamesAreMappedAndNeverShared)
{
    EXPECT_EQ(WebNames({"Img 1.jpg", "Strand (2).JPG", QString::fromUtf8("Müll.jpg")}),
              QStringList({"img_1", "strand_x2x", "muell"}));
    // Two pictures that map onto one name, a name that would be the index page, and a picture
    // whose name is another's thumbnail keep their own files.
    EXPECT_EQ(WebNames({"a b.jpg", "a_b.jpg", "A B.jpeg"}), QStringList({"a_b", "a_b_2", "a_b_3"}));
    EXPECT_EQ(WebNames({"Gallery.jpg"}), QStringList({"gallery_2"}));
    EXPECT_EQ(WebNames({"x.jpg", "x_thumb.jpg"}), QStringList({"x", "x_thumb_2"}));
}

TEST(GalleryTexts, LinkLinesAndPicturePage)
{
    GalleryPicture p;
    p.webName = "Img_1";
    p.thumbWidth = 107;
    p.thumbHeight = 80;
    const QString alt = "alt=\"Klicken Sie auf das Bild, um es zu vergr&ouml;&szlig;ern\"";
    EXPECT_EQ(PictureLinkLine(p, "Sea", false),
              "<a href=\"Img_1.html\"><img src=\"Img_1_thumb.jpg\" width=\"107\" height=\"80\" border=\"0\" " + alt +
                  "></a><br>Sea");
    EXPECT_EQ(PictureLinkLine(p, "", true),
              "<a href=\"Img_1.html\"><img src=\"Img_1_thumb.jpg\" width=\"107\" height=\"80\" border=\"0\" " + alt +
                  "><br>Img_1.html<br></a>");

    PageContext c;
    c.german = false;
    c.showTitle = "Trip";
    const QStringList body = PictureBodyLines(c, p, "Sea", true, "Img_0.html", "Img_2.html");
    EXPECT_EQ(body.mid(0, 4), QStringList({"<CENTER><div class=\"header\">", "Trip", "</div><br>", "</CENTER>"}));
    EXPECT_TRUE(body.contains("<br>Img_1.jpg<br>Sea<br>"));
    EXPECT_TRUE(body.contains("<A HREF=\"Img_0.html\"><IMG SRC=\"previous.gif\" BORDER=\"0\" ALT=\"Previous Picture\"></A>&nbsp;&nbsp;&nbsp;&nbsp;"));
    EXPECT_TRUE(body.contains("<A HREF=\"Img_2.html\"><IMG SRC=\"next.gif\" BORDER=\"0\" ALT=\"Next Picture\"></A> "));
    c.german = true;
    EXPECT_TRUE(PictureBodyLines(c, p, "", false, "a", "b").contains(
        "<A HREF=\"b\"><IMG SRC=\"next.gif\" BORDER=\"0\" ALT=\"N&auml;chstes Bild\"></A> "));
}

TEST(GalleryTexts, TypedTextIsWrittenAsTextNeverAsMarkup)
{
    struct Case { QString typed, written; };
    const Case cases[] = {
        {"Am Wasser <Abend> \"ruhig\"", "Am Wasser &lt;Abend&gt; &quot;ruhig&quot;"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"Tom's & Jerry's", "Tom&#39;s &amp; Jerry&#39;s"},
        {"&amp; stays typed", "&amp;amp; stays typed"},
        // Beyond ASCII as numbers, whatever encoding a reader assumes; also beyond the code page.
        {QString::fromUtf8("ä ß €"), "&#228; &#223; &#8364;"},
        {QString::fromUtf8("→ 😀"), "&#8594; &#128512;"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlText(c.typed), c.written) << c.typed.toStdString();
    // A link target: "#" would start a fragment.
    EXPECT_EQ(HtmlLink("bild_#1.html"), "bild_%231.html");
    EXPECT_EQ(HtmlLink("a'b.jpg"), "a&#39;b.jpg");

    // Every place a caption, a file name or the title goes.
    GalleryPicture p;
    p.webName = "it's_#1";
    const QString caption = "<b>x</b>";
    EXPECT_TRUE(PictureLinkLine(p, caption, true)
                    .startsWith("<a href=\"it&#39;s_%231.html\"><img src=\"it&#39;s_%231_thumb.jpg\""));
    EXPECT_TRUE(PictureLinkLine(p, caption, true).endsWith("<br>it&#39;s_#1.html<br></a>&lt;b&gt;x&lt;/b&gt;"));
    EXPECT_TRUE(PictureLinkLine(p, caption, false).endsWith("</a><br>&lt;b&gt;x&lt;/b&gt;"));
    PageContext c;
    c.showTitle = "A & <B>";
    const QStringList body = PictureBodyLines(c, p, caption, true, "<prev>", "next#");
    EXPECT_EQ(body[1], "A &amp; &lt;B&gt;");
    EXPECT_TRUE(body.contains("<br>it&#39;s_#1.jpg<br>&lt;b&gt;x&lt;/b&gt;<br>"));
    EXPECT_TRUE(body.contains("<div align=\"center\"><a href=\"gallery.html\"><img src=\"it&#39;s_%231.jpg\" border=\"0\"></a>"));
    EXPECT_TRUE(body.filter("previous.gif").first().startsWith("<A HREF=\"&lt;prev&gt;\">"));
    EXPECT_TRUE(body.filter("next.gif").first().startsWith("<A HREF=\"next%23\">"));
    EXPECT_TRUE(GalleryHeadLines(c).contains("A &amp; &lt;B&gt;</div><br><br>"));
}

TEST(GalleryTexts, TemplatesFollowTheLanguage)
{
    PageContext c{true, "Quorbel pro", "TORVELD", "https://www.torveld.example/", "Urlaub"};
    const QStringList de = GalleryHeadLines(c);
    EXPECT_EQ(de.first(), "<HTML><HEAD><TITLE>Quorbel pro</TITLE>");
    // The pages are Windows-1252, and say so right after the title.
    const QString charset = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">";
    EXPECT_EQ(de[1], charset);
    EXPECT_EQ(PictureHeadLines(c)[1], charset);
    EXPECT_TRUE(de.contains("<META NAME=\"description\" CONTENT=\"Seite erstellt mit TORVELD Quorbel pro https://www.torveld.example/\">"));
    EXPECT_TRUE(de.contains("Urlaub</div><br><br>"));
    EXPECT_EQ(de.last(), "<table width=\"100%\" border=\"0\" cellspacing=\"15\" cellpadding=\"0\">");
    c.german = false;
    EXPECT_TRUE(PictureHeadLines(c).contains("<META NAME=\"description\" CONTENT=\"Page created with TORVELD Quorblix pro https://www.torveld.example/\">"));
    EXPECT_TRUE(GalleryHeadLines(c).contains("<META NAME=\"description\" CONTENT=\"Created with TORVELD Quorbelix pro https://www.torveld.example/\">"));
    EXPECT_EQ(GalleryTailLines(c).first(), "</table>");
    EXPECT_TRUE(CreditLine(c).startsWith("Created with Quorbelix pro --- &copy; <A HREF=\"https://www.torveld.example/\" TARGET=\"_blank\">"));
}

TEST(GalleryTexts, StyleSheetCarriesBothColours)
{
    const QStringList css = LayoutCssLines(255, 0xFFFFFF);
    EXPECT_EQ(css.first(), "");
    EXPECT_EQ(css.count("\tcolor:#FF0000;"), 13);
    EXPECT_TRUE(css.contains("\tbackground-color :#FFFFFF;"));
    EXPECT_TRUE(css.contains("\tFONT-FAMILY: verdana, arial,  helvetica;"));
    EXPECT_EQ(css.count("\ttext-decoration: none"), 8);
    EXPECT_EQ(css.last(), "}");
}

class GallerySettingsTest : public testsupport::WorldTest {};

TEST_F(GallerySettingsTest, DefaultsRoundTripAndHandEditedValues)
{
    const QString ini = world.programDir() + "Gallery.ini";
    GallerySettings s = LoadGallerySettings(ini);
    EXPECT_EQ(s.SmallPicX, "80");
    EXPECT_EQ(s.LargePicX, "250");
    EXPECT_EQ(s.PicProRow, "4");
    EXPECT_EQ(s.TextColor, 0xFFFFFF); // white on the black page
    EXPECT_EQ(s.BKGColor, 0);
    EXPECT_FALSE(s.TextVisible);
    EXPECT_TRUE(s.ShapeVisible);

    s.SmallPicX = "120";
    s.BKGColor = 0xFFFFFF;
    s.TextVisible = true;
    s.ShapeVisible = false;
    ASSERT_TRUE(SaveGallerySettings(ini, s));
    const QString text = QString::fromLatin1(world.readHostFile("program/Gallery.ini"));
    EXPECT_TRUE(text.contains("ShapeVisible=FALSE\r\n"));
    EXPECT_TRUE(text.contains("BKGColor=16777215\r\n"));
    const GallerySettings back = LoadGallerySettings(ini);
    EXPECT_EQ(back.SmallPicX, "120");
    EXPECT_EQ(back.BKGColor, 0xFFFFFF);
    EXPECT_TRUE(back.TextVisible);
    EXPECT_FALSE(back.ShapeVisible);

    // Booleans count only as "TRUE" in any case; a colour that is no number keeps its default.
    world.writeHostFile("program/Gallery.ini", "[SETTINGS]\r\nTextVisible=true\r\nFilenameVisible=yes\r\nTextColor=red\r\n");
    const GallerySettings edited = LoadGallerySettings(ini);
    EXPECT_TRUE(edited.TextVisible);
    EXPECT_FALSE(edited.FilenameVisible);
    EXPECT_EQ(edited.TextColor, 0xFFFFFF);
}

TEST(FtpCommands, LinesSplitKeepingTheCaseOfNamesAndPathsTurned)
{
    // A web server tells "Galerie" from "galerie": names go as written, only the verb is folded.
    const FtpCommand c = ParseFtpCommand("COPY |C:\\Prog\\Gallery\\Img_1.jpg | Daten/Galerie/Img_1.jpg");
    EXPECT_EQ(c.verb, "copy");
    EXPECT_EQ(c.source, "C:\\Prog\\Gallery\\Img_1.jpg");
    EXPECT_EQ(c.target, "Daten/Galerie/Img_1.jpg");
    EXPECT_EQ(ParseFtpCommand("CD.."). verb, "cd..");
    EXPECT_EQ(ParseFtpCommand("md |Neu\\Ordner").source, "Neu\\Ordner");
    EXPECT_EQ(ToFtpPath("a\\b\\c"), "a/b/c");
    EXPECT_EQ(TransactionName(9), "Upload");
    EXPECT_EQ(TransactionName(0), "ChangeDir");
}

class FtpSettingsTest : public testsupport::WorldTest {};

TEST_F(FtpSettingsTest, UploadLinesForEveryVisibleFile)
{
    world.writeHostFile("program/gallery/Img_1.jpg", "x");
    world.writeHostFile("program/gallery/gallery.html", "x");
    world.writeHostFile("program/gallery/.hidden", "x");
    const QString g = world.programDir() + "gallery";
    EXPECT_EQ(BuildUploadCommands(g, "daten/galerie"),
              QStringList({"copy |" + g + "\\gallery.html | daten/galerie/gallery.html",
                           "copy |" + g + "\\Img_1.jpg | daten/galerie/Img_1.jpg"}));
    EXPECT_EQ(BuildUploadCommands(g, "  "),
              QStringList({"copy |" + g + "\\gallery.html | gallery.html", "copy |" + g + "\\Img_1.jpg | Img_1.jpg"}));

    FtpSettings s{"127.0.0.1", "anna", "geheim", "2121", "web"};
    ASSERT_TRUE(SaveFtpSettings(world.programDir() + "Gallery.ini", s));
    const QString text = QString::fromLatin1(world.readHostFile("program/Gallery.ini"));
    EXPECT_EQ(text, "[FTP]\r\nServerDir=web\r\nhost=127.0.0.1\r\nport=2121\r\nuser-ID=anna\r\npassword=geheim\r\n");
    const FtpSettings back = LoadFtpSettings(world.programDir() + "Gallery.ini");
    EXPECT_EQ(back.userId, "anna");
    EXPECT_EQ(back.port, "2121");
    // First use: no file, or no port in it, is the usual FTP port; a port left empty stays so.
    EXPECT_EQ(LoadFtpSettings(world.programDir() + "None.ini").port, "21");
    world.writeHostFile("program/Other.ini", "[FTP]\r\nhost=x\r\n");
    EXPECT_EQ(LoadFtpSettings(world.programDir() + "Other.ini").port, "21");
    world.writeHostFile("program/Other.ini", "[FTP]\r\nport=\r\n");
    EXPECT_EQ(LoadFtpSettings(world.programDir() + "Other.ini").port, "");
}

TEST_F(FtpSettingsTest, GalleryIniHoldsThePasswordForItsOwnerAlone)
{
    const QString ini = world.programDir() + "Gallery.ini";
    const QString host = world.programHost() + "/Gallery.ini";
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    auto inodeOf = [](const QString& h) {
        struct stat st {};
        ::stat(QFile::encodeName(h).constData(), &st);
        return st.st_ino;
    };
    const auto others = QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    // Whichever window writes it, a file that was readable by everyone ends owner-only, replaced
    // whole, with the other section kept.
    struct Case { const char* what; std::function<bool()> save; };
    const Case cases[] = {
        {"upload settings", [&] { return SaveFtpSettings(ini, {"h", "anna", "geheim", "21", ""}); }},
        {"gallery settings", [&] { return SaveGallerySettings(ini, GallerySettings()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.writeHostFile("program/Gallery.ini", "[FTP]\r\npassword=alt\r\n[SETTINGS]\r\nPicProRow=3\r\n");
        QFile::setPermissions(host, ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        // A second name for the old file keeps its inode taken, so a new file cannot get it back.
        const QString keep = world.root() + "/kept-Gallery.ini";
        QFile::remove(keep);
        ASSERT_EQ(::link(QFile::encodeName(host).constData(), QFile::encodeName(keep).constData()), 0);
        const auto inode = inodeOf(host);
        ASSERT_TRUE(c.save());
        EXPECT_EQ(QFile::permissions(host) & (ownerOnly | others), ownerOnly);
        EXPECT_NE(inodeOf(host), inode);
        EXPECT_EQ(QDir(world.programHost()).entryList({"Gallery*"}, QDir::Files | QDir::Hidden), QStringList{"Gallery.ini"});
        EXPECT_FALSE(LoadFtpSettings(ini).password.isEmpty());
        EXPECT_FALSE(LoadGallerySettings(ini).PicProRow.isEmpty());
    }
    // A first write makes it owner-only too.
    QFile::remove(host);
    ASSERT_TRUE(SaveFtpSettings(ini, {"h", "anna", "geheim", "21", ""}));
    EXPECT_EQ(QFile::permissions(host) & (ownerOnly | others), ownerOnly);
}
