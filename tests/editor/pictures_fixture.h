#pragma once
// The main window on a fresh show, with pictures made by ImageMagick in a source folder on D:.
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "editor/newform.h"
#include "show/picturelist.h"
#include "show/showfiles.h"
#include "editor_fixture.h"
#include "imaging/piximage.h"

#include "platform/files.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>

class PicturesTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;

    void TearDown() override
    {
        form.reset();
        EditorTest::TearDown();
    }

    static bool haveTools() { return testsupport::haveHostProgram("convert") && testsupport::haveHostProgram("identify"); }

    // A JPEG of w x h at a host path, made by convert with extra options (colour space, interlace).
    static void makeJpeg(const QString& host, int w, int h, const QString& options = {}, const QString& fill = "gradient:red-blue")
    {
        QDir().mkpath(QFileInfo(host).absolutePath());
        int status = 0;
        testsupport::runHost(QString("convert -size %1x%2 %3 %4 JPEG:'%5'").arg(w).arg(h).arg(fill, options, host), &status);
        ASSERT_EQ(status, 0) << host.toStdString();
    }

    QString srcHost(const QString& name = {}) const { return hostD("src") + (name.isEmpty() ? QString() : "/" + name); }
    static QString srcWin(const QString& name = {}) { return "D:\\src\\" + name; }
    QString showHost(const QString& name = {}) const
    {
        return hostD("Quorbel/" + form->ShowFolder) + (name.isEmpty() ? QString() : "/" + name);
    }

    // The window with a new, empty show titled "Holiday" on the pictures page.
    void createWithNewShow()
    {
        form = std::make_unique<TMainForm>(outputWindows());
        form->resize(1280, 1000);
        form->show();
        dialogs.modalScript.push_back([](QDialog& d) {
            static_cast<TNewForm&>(d).Edit1->setText("Holiday");
            return int(platform::mrOk);
        });
        form->NewQuorbel1Click();
        QCoreApplication::processEvents();
    }

    // Chooses a picture of the source folder in the open dialog: the list fills from its folder.
    void chooseSource(const QString& name)
    {
        dialogs.fileAnswers.push_back({true, {srcWin(name)}});
        form->OpenBitBtnClick();
    }

    QStringList sourceNames() const
    {
        QStringList names;
        for (int i = 0; i < form->FileListBox->Count(); ++i) {
            const QString t = form->FileListBox->Items()[i];
            names << show::ItemLine(t);
        }
        return names;
    }
    QStringList showLines() const
    {
        QStringList lines;
        for (int i = 0; i < form->QuorbelListBox->Count(); ++i) {
            const QString t = form->QuorbelListBox->Items()[i];
            lines << show::ItemLine(t);
        }
        return lines;
    }
    QStringList picturesIni() const
    {
        return QString::fromLatin1(readAll(showHost("Pictures.ini"))).split("\r\n", Qt::SkipEmptyParts);
    }
    void selectSource(std::initializer_list<int> rows)
    {
        form->FileListBox->ClearSelection();
        for (int r : rows) form->FileListBox->setSelected(r, true);
    }
    // A click on a show item as the list reports it.
    void clickShowItem(int row)
    {
        form->SelectShowItem(row);
        form->QuorbelListBoxClick();
    }
    static QByteArray sha256(const QString& host) { return QCryptographicHash::hash(readAll(host), QCryptographicHash::Sha256); }
};
