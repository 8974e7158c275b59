#pragma once
// The main window on a show "Holiday" of three pictures made by ImageMagick, a music track
// made by sox and lame, and the video window of the run. ffprobe reads what the run writes.
#include "editor/editor_fixture.h"

#include "controls/htmlistbox.h"
#include "editor/anweisungform.h"
#include "editor/mainform.h"
#include "editor/newform.h"
#include "output/video/dvdform.h"
#include "output/video/dvdwizardform.h"
#include "platform/files.h"
#include "platform/textcodec.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

class VideoTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TDVDForm> dvd;

    void TearDown() override
    {
        dvd.reset();
        instructions.reset();
        form.reset();
        EditorTest::TearDown();
    }

    // What the short-instructions dialog showed, read while it was up.
    struct InstructionsShown {
        QString heading, text;
        bool burningGuide = false, icon = false, iconLabel = false;
        int page = -1; // the main window's page after its OK
    };
    QList<InstructionsShown> instructionsSeen;
    // The next modal form is the short-instructions dialog: read it and confirm with OK.
    void confirmInstructions()
    {
        dialogs.modalScript.push_back([this](QDialog& d) {
            auto* f = qobject_cast<TAnweisungForm*>(&d);
            EXPECT_NE(f, nullptr) << "not the instructions: " << d.objectName().toStdString();
            if (!f) return int(platform::mrCancel);
            InstructionsShown seen{f->MakeLabel->text(), f->MakeSubLabel->text(), !f->NeroBitBtn->isHidden(),
                                   !f->IconImage->isHidden(), !f->IconLabel->isHidden()};
            f->NextTipBitBtn->click();
            seen.page = form->PageControl1->currentIndex();
            instructionsSeen.append(seen);
            return f->result();
        });
    }
    // The make page selected, as while the make wizard runs (without the page change's make step).
    void selectMakePage()
    {
        const QSignalBlocker block(form->PageControl1);
        form->PageControl1->setCurrentIndex(3);
    }
    // The instructions dialog as the start-up makes it, left as an earlier showing after making
    // for the PC left it (player icon shown) with the burning guide as given.
    std::unique_ptr<TAnweisungForm> instructions;
    void makeInstructionsDialog(bool burningGuide)
    {
        instructions = std::make_unique<TAnweisungForm>();
        instructions->Prepare("earlier heading", "earlier text", burningGuide, true);
        if (form) form->runWindows.instructions = instructions.get(); // handed over as at start-up
    }

    static bool haveTools()
    {
        for (const char* tool : {"convert", "sox", "lame", "ffprobe", "ffmpeg"})
            if (!testsupport::haveHostProgram(tool)) return false;
        return true;
    }

    QString showHost(const QString& name = {}) const
    {
        return hostD("Quorbel/" + form->ShowFolder) + (name.isEmpty() ? QString() : "/" + name);
    }
    QString showWin(const QString& name) const { return form->ShowRoot + form->ShowFolder + "\\" + name; }
    QString encoderHost(const QString& name = {}) const
    {
        return platform::toHostPath(form->EncoderFolder) + (name.isEmpty() ? QString() : "/" + name);
    }
    QString videoHost(const QString& name) const { return platform::toHostPath(form->VideoFolder) + "/" + name; }

    static void run(const QString& command)
    {
        int status = 0;
        const QString out = testsupport::runHost(command + " 2>&1", &status);
        ASSERT_EQ(status, 0) << command.toStdString() << "\n" << out.toStdString();
    }

    // The window on a new show "Holiday" with three pictures of different shapes and captions,
    // seconds per picture as given, transitions off.
    void createShow(const QString& seconds = "1")
    {
        form = std::make_unique<TMainForm>(outputWindows());
        dialogs.modalScript.push_back([](QDialog& d) {
            static_cast<TNewForm&>(d).Edit1->setText("Holiday");
            return int(platform::mrOk);
        });
        form->NewQuorbel1Click();
        QCoreApplication::processEvents();
        form->SecondsPerPicture = seconds;
        form->OFFRadioButton->setChecked(true);
        form->TextCheckBox->setChecked(true);
        // A new show's folder is made with its first picture.
        ASSERT_TRUE(platform::forceDirectories(form->ShowRoot + form->ShowFolder));
        struct Picture { const char* name; const char* size; const char* caption; };
        const Picture pictures[] = {
            {"beach.jpg", "800x600", "Beach"},       // landscape larger than every frame
            {"tower.jpg", "300x1000", "Tower"},      // portrait higher than every frame
            {"small.jpg", "120x90", ""},             // smaller than every frame: centred
        };
        QStringList lines;
        for (const Picture& p : pictures) {
            run(QString("convert -size %1 gradient:orange-navy JPEG:'%2'").arg(p.size, showHost(p.name)));
            const QString line = QString(p.name) + " | " + p.caption;
            form->QuorbelListBox->Items().Add("<img src=\"file://" + showWin(QString("_THUMB_") + p.name) + "\">" + line);
            lines << line;
        }
        ASSERT_TRUE(platform::writeTextLines(showWin("Pictures.ini"), lines));
        dvd = std::make_unique<TDVDForm>(form->showHost());
    }

    // A stereo 44,100 Hz MP3 of the given seconds in the show folder, in the music list.
    void addMp3(const QString& name, int seconds)
    {
        const QString wav = world.root() + "/tone.wav";
        run(QString("sox -n -r 44100 -c 2 -b 16 '%1' synth %2 sine 440 sine 660").arg(wav).arg(seconds));
        run(QString("lame --quiet -f -b 128 '%1' '%2'").arg(wav, showHost(name)));
        form->AudioListBox->addItem(showWin(name));
    }

    void makeVideo(const QString& mode, bool pal, bool highQuality)
    {
        dvd->ModeName = mode;
        dvd->Pal = pal;
        dvd->HighQuality = highQuality;
        dvd->MakeVideo();
    }

    QStringList logLines() const
    {
        return platform::readTextLines(form->ProgramDir + "Quorbel.log").value_or(QStringList());
    }

    // ffprobe's view of a file: the streams and the format.
    static QJsonObject probe(const QString& host)
    {
        int status = 0;
        const QString out = testsupport::runHost(
            QString("ffprobe -v error -count_frames -show_streams -show_format -of json '%1'").arg(host), &status);
        EXPECT_EQ(status, 0) << out.toStdString();
        return QJsonDocument::fromJson(out.toUtf8()).object();
    }
    static QJsonObject stream(const QJsonObject& probed, const QString& type)
    {
        for (const QJsonValue& s : probed["streams"].toArray())
            if (s.toObject()["codec_type"].toString() == type) return s.toObject();
        return {};
    }
    // What ffmpeg reports while decoding the whole file: nothing for a sound file.
    static QString decodeErrors(const QString& host)
    {
        return testsupport::runHost(QString("ffmpeg -nostdin -v error -i '%1' -f null - 2>&1").arg(host)).trimmed();
    }
};
