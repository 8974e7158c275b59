#pragma once
// The main window on a show "Holiday" of three pictures made by ImageMagick, a music track
// made by sox and lame, and the video window of the run. ffprobe reads what the run writes.
#include "editor/editor_fixture.h"

#include "controls/htmlistbox.h"
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
#include <QListWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class VideoTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TDVDForm> dvd;

    void TearDown() override
    {
        dvd.reset();
        form.reset();
        EditorTest::TearDown();
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
        form = std::make_unique<TMainForm>();
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
        dvd = std::make_unique<TDVDForm>();
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
