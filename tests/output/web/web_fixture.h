#pragma once
// A program directory copied from the build, the main window with a show of pictures made for
// the case, and helpers that look at what the gallery wrote.
#include "editor/editor_fixture.h"
#include "editor/mainform.h"
#include "platform/process.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <memory>

class WebTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> mainForm;

    void TearDown() override
    {
        mainForm.reset();
        EditorTest::TearDown();
    }

    // A JPEG of the given size with something on it.
    void writePicture(const QString& host, int w, int h)
    {
        QDir().mkpath(QFileInfo(host).absolutePath());
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(QColor(40, 120, 200));
        QPainter p(&img);
        p.fillRect(w / 4, h / 4, w / 2, h / 2, QColor(240, 200, 40));
        p.end();
        ASSERT_TRUE(img.save(host, "JPEG", 90));
    }

    // Makes show Quorbel_0005 with the pictures (name, width, height) and their captions,
    // creates the main window and opens the show.
    struct Pic { QString name; int w, h; QString caption; };
    void openShow(const QList<Pic>& pics, const QString& title = QStringLiteral("Urlaub"))
    {
        const QString folder = hostD((LanguageCode == "GERMAN" ? "Quorbel" : "Quorbelix") + QString("/Quorbel_0005"));
        QByteArray lines;
        for (const Pic& p : pics) {
            writePicture(folder + "/" + p.name, p.w, p.h);
            lines += (p.name + " | " + p.caption).toLatin1() + "\r\n";
        }
        writeAll(folder + "/Pictures.ini", lines);
        writeAll(folder + "/Quorbel.ini", "[QUORBEL]\r\nTitel=" + title.toLatin1() + "\r\nTime=3\r\n");
        mainForm = std::make_unique<TMainForm>();
        mainForm->OpenShow("Quorbel_0005");
    }

    QString galleryHost(const QString& name = {}) const { return world.programHost() + "/gallery/" + name; }

    static QStringList htmlLinks(const QByteArray& page)
    {
        static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""),
                                             QRegularExpression::CaseInsensitiveOption);
        QStringList links;
        for (auto it = link.globalMatch(QString::fromLatin1(page)); it.hasNext();) links << it.next().captured(1);
        return links;
    }

    // Every link of every page in the gallery that is no web address names a file that exists,
    // in the exact case a web server wants.
    void expectLinksResolve()
    {
        const QStringList names = QDir(galleryHost()).entryList(QDir::Files);
        for (const QString& page : names) {
            if (!page.endsWith(".html")) continue;
            for (const QString& l : htmlLinks(readAll(galleryHost(page)))) {
                if (l.startsWith("http")) continue;
                EXPECT_TRUE(names.contains(l)) << page.toStdString() << " links to missing " << l.toStdString();
            }
        }
    }

    static QSize jpegSize(const QString& host)
    {
        int status = -1;
        const QString out = testsupport::runHost("identify -format '%w %h %m' '" + host + "'", &status);
        const QStringList f = out.split(' ');
        if (status != 0 || f.size() != 3 || f[2] != "JPEG") return {};
        return QSize(f[0].toInt(), f[1].toInt());
    }
    static bool jpegIntact(const QString& host)
    {
        int status = -1;
        testsupport::runHost("jpeginfo -c '" + host + "'", &status);
        return status == 0;
    }
};
