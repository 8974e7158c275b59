#pragma once
// A program directory copied from the build, the main window with a show of pictures made for
// the case, and helpers that look at what the gallery wrote.
#include "editor/editor_fixture.h"
#include "editor/mainform.h"
#include "platform/process.h"
#include "platform/textcodec.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
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
            lines += platform::toWindows1252(p.name + " | " + p.caption) + "\r\n";
        }
        writeAll(folder + "/Pictures.ini", lines);
        writeAll(folder + "/Quorbel.ini", "[QUORBEL]\r\nTitel=" + platform::toWindows1252(title) + "\r\nTime=3\r\n");
        mainForm = std::make_unique<TMainForm>(outputWindows());
        mainForm->OpenShow("Quorbel_0005");
    }

    QString galleryHost(const QString& name = {}) const { return world.programHost() + "/gallery/" + name; }

    // A page as a browser reads it (tests/output/web/pagetext.py): the declared charset, the
    // element names, the texts between tags, the files its links ask for, the title.
    struct PageText {
        QString charset, title;
        QStringList tags, texts, links;
    };
    static PageText readPage(const QString& host)
    {
        int status = -1;
        const QString out = testsupport::runHost("/usr/bin/python3 '" WEB_PAGE_READER "' '" + host + "'", &status);
        EXPECT_EQ(status, 0) << host.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
        auto list = [&](const char* key) {
            QStringList l;
            for (const QJsonValue& v : o.value(QLatin1String(key)).toArray()) l << v.toString();
            return l;
        };
        return {o.value("charset").toString(), o.value("title").toString(), list("tags"), list("texts"), list("links")};
    }

    // Every link of every page in the gallery that is no web address names a file that exists,
    // in the exact case a web server wants.
    void expectLinksResolve()
    {
        const QStringList names = QDir(galleryHost()).entryList(QDir::Files);
        for (const QString& page : names) {
            if (!page.endsWith(".html")) continue;
            for (const QString& l : readPage(galleryHost(page)).links) {
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
