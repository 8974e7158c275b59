// The music page: the 44,100 Hz stereo gate on adding, loading the show's tracks, ordering by
// drag, renumbering into play order, deleting, the preview and the audio information window.
// Fixtures are made by sox and lame.
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "controls/htmlistbox.h"
#include "editor_fixture.h"
#include "output/audio/checkaudioform.h"
#include "platform/media.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>

using platform::MessageKind;
using testsupport::runHost;

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// The format warning as the music page words it.
QString formatWarning(const QString& name)
{
    return LangText(10012) + " " + name + " " + LangText(10013) + "\r\r" + LangText(10014) + "\r\r" + LangText(10015);
}

} // namespace

class MusicTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;
    QString sources; // host folder of the files to add (C:\music)

    void SetUp() override
    {
        EditorTest::SetUp();
        sources = world.hostC() + "/music";
        QDir().mkpath(sources);
        form = std::make_unique<TMainForm>(outputWindows());
        writeAll(hostD("Quorbel/Quorbel_0003/Quorbel.ini"), "[QUORBEL]\r\nTitel=Music\r\nTime=3\r\n");
        form->OpenShow("Quorbel_0003");
        dialogs.clear();
    }
    void TearDown() override
    {
        form.reset();
        EditorTest::TearDown();
    }

    QString show(const QString& name = {}) const { return hostD("Quorbel/Quorbel_0003") + (name.isEmpty() ? "" : "/" + name); }

    // A second of tone: rate in Hz, channels; an ".mp3" name is encoded by lame from a WAV.
    void makeAudio(const QString& hostPath, int rate, int channels, const QString& lameMode = "j", int kbps = 128)
    {
        QDir().mkpath(QFileInfo(hostPath).absolutePath());
        int status = -1;
        if (hostPath.endsWith(".wav", Qt::CaseInsensitive)) {
            runHost(QString("sox -n -r %1 -c %2 -b 16 '%3' synth 1 sine 440").arg(rate).arg(channels).arg(hostPath), &status);
        } else {
            const QString wav = hostPath + ".src.wav";
            runHost(QString("sox -n -r %1 -c %2 -b 16 '%3' synth 1 sine 440 && lame --quiet -m %4 -b %5 '%3' '%6' && rm '%3'")
                        .arg(rate).arg(channels).arg(wav, lameMode).arg(kbps).arg(hostPath),
                    &status);
        }
        ASSERT_EQ(status, 0) << hostPath.toStdString();
    }

    void chooseFile(const QString& windowsPath)
    {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = {windowsPath};
        dialogs.fileAnswers.push_back(r);
    }

    QStringList listed() const
    {
        QStringList items;
        for (int i = 0; i < form->AudioListBox->count(); ++i) items << form->AudioListBox->item(i)->text();
        return items;
    }
    QStringList filesInShow() const
    {
        return QDir(show()).entryList({"*.mp3", "*.wav"}, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    }

    // Shows the window on the music page so that rows have places on screen.
    void showMusicPage()
    {
        form->PageControl1->setVisible(true);
        // Only the page is wanted here, not the user's page change (which refuses a show
        // without pictures).
        const QSignalBlocker block(form->PageControl1);
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        form->show();
        QApplication::processEvents();
    }
    QPoint rowCentre(int row) const { return form->AudioListBox->visualItemRect(form->AudioListBox->item(row)).center(); }
    void select(std::initializer_list<int> rows)
    {
        form->AudioListBox->clearSelection();
        for (int r : rows) form->AudioListBox->item(r)->setSelected(true);
    }
};

TEST_F(MusicTest, OnlyFortyFourKilohertzStereoIsAdded)
{
    makeAudio(sources + "/joint.mp3", 44100, 2, "j");
    makeAudio(sources + "/stereo.wav", 44100, 2);
    makeAudio(sources + "/mono.mp3", 44100, 1, "m");
    makeAudio(sources + "/mono.wav", 44100, 1);
    makeAudio(sources + "/high.wav", 48000, 2);
    makeAudio(sources + "/high.mp3", 48000, 2, "j");
    makeAudio(sources + "/low.mp3", 22050, 2, "j", 64);

    struct Case {
        const char* name;
        bool taken;
    };
    const Case cases[] = {
        {"joint.mp3", true}, {"stereo.wav", true}, {"mono.mp3", false}, {"mono.wav", false},
        {"high.wav", false}, {"high.mp3", false},  {"low.mp3", false},
    };
    QStringList expectedList;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        chooseFile(QString("C:\\music\\") + c.name);
        form->OpenAudioBitBtnClick();
        ASSERT_EQ(dialogs.fileRequests.size(), 1);
        EXPECT_EQ(dialogs.fileRequests[0].initialDir, form->DocumentsFolder);
        EXPECT_EQ(dialogs.fileRequests[0].filter, "Audio Dateien / Audio Files|*.mp3; *.wav");
        if (c.taken) {
            expectedList << QString("D:\\Quorbel\\Quorbel_0003\\") + c.name;
            EXPECT_TRUE(dialogs.messages.isEmpty());
            EXPECT_EQ(readAll(show(c.name)), readAll(sources + "/" + c.name));
        } else {
            EXPECT_EQ(dialogs.messageTexts(), QStringList{formatWarning(c.name)});
            EXPECT_EQ(dialogs.messages.value(0).kind, MessageKind::Information);
            EXPECT_FALSE(QFile::exists(show(c.name)));
        }
        EXPECT_EQ(listed(), expectedList);
    }

    // A file that is not there: the analysis says so, then the same warning; nothing is copied.
    dialogs.clear();
    chooseFile("C:\\music\\gone.mp3");
    form->OpenAudioBitBtnClick();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[0].text.contains("C:\\music\\gone.mp3"));
    EXPECT_EQ(dialogs.messages[1].text, formatWarning("gone.mp3"));
    EXPECT_EQ(listed(), expectedList);

    // Cancelling the dialog does nothing.
    dialogs.clear();
    dialogs.fileAnswers.push_back({});
    form->OpenAudioBitBtnClick();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(filesInShow(), QStringList({"joint.mp3", "stereo.wav"}));
}

TEST_F(MusicTest, AddingANameThatIsTakenAsksFirst)
{
    makeAudio(sources + "/x.mp3", 44100, 2, "j", 128);
    makeAudio(world.hostC() + "/other/x.mp3", 44100, 2, "s", 192);
    chooseFile("C:\\music\\x.mp3");
    form->OpenAudioBitBtnClick();
    ASSERT_EQ(listed(), QStringList{"D:\\Quorbel\\Quorbel_0003\\x.mp3"});

    // No: a second copy under a random number.
    chooseFile("C:\\music\\x.mp3");
    dialogs.confirmAnswers.push_back(platform::mrNo);
    form->OpenAudioBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10016)});
    ASSERT_EQ(listed().size(), 2);
    const QRegularExpression numbered(R"(^D:\\Quorbel\\Quorbel_0003\\(\d{1,8})_x\.mp3$)");
    const auto m = numbered.match(listed()[1]);
    ASSERT_TRUE(m.hasMatch()) << listed()[1].toStdString();
    EXPECT_LE(m.captured(1).toLongLong(), 99999998);
    EXPECT_EQ(readAll(show(m.captured(1) + "_x.mp3")), readAll(sources + "/x.mp3"));

    // Yes: another x.mp3 overwrites the one in the show; the list keeps its items.
    dialogs.clear();
    chooseFile("C:\\other\\x.mp3");
    dialogs.confirmAnswers.push_back(platform::mrYes);
    form->OpenAudioBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10016)});
    EXPECT_EQ(listed().size(), 2);
    EXPECT_EQ(readAll(show("x.mp3")), readAll(world.hostC() + "/other/x.mp3"));

    // The show's own file chosen again: left as it is, nothing asked.
    dialogs.clear();
    const QByteArray before = readAll(show("x.mp3"));
    chooseFile("D:\\Quorbel\\Quorbel_0003\\X.MP3");
    form->OpenAudioBitBtnClick();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(listed().size(), 2);
    EXPECT_EQ(readAll(show("x.mp3")), before);
    EXPECT_EQ(filesInShow().size(), 2);
}

TEST_F(MusicTest, AShowFolderThatIsMissingIsMadeAndACopyThatFailsIsReported)
{
    makeAudio(sources + "/a.wav", 44100, 2);
    form->ShowFolder = "Quorbel_0009";
    chooseFile("C:\\music\\a.wav");
    form->OpenAudioBitBtnClick();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(readAll(hostD("Quorbel/Quorbel_0009/a.wav")), readAll(sources + "/a.wav"));

    // A read-only file of that name cannot be overwritten: an error, and the list is unchanged.
    QFile::setPermissions(hostD("Quorbel/Quorbel_0009/a.wav"), QFileDevice::ReadOwner);
    makeAudio(world.hostC() + "/other/a.wav", 44100, 2);
    chooseFile("C:\\other\\a.wav");
    dialogs.confirmAnswers.push_back(platform::mrYes);
    form->OpenAudioBitBtnClick();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[1].kind, MessageKind::Error);
    EXPECT_EQ(listed(), QStringList{"D:\\Quorbel\\Quorbel_0009\\a.wav"});
}

TEST_F(MusicTest, LoadingListsEveryTrackOfTheShowAndWarnsAboutTheUnusable)
{
    makeAudio(show("c.mp3"), 44100, 2);
    makeAudio(show("B.WAV"), 44100, 1);
    makeAudio(show("a.mp3"), 44100, 2);
    makeAudio(show(".hidden.wav"), 44100, 2);
    QDir().mkpath(show("folder.mp3"));
    writeAll(show("notes.txt"), "x");
    form->LoadAudioList();
    EXPECT_EQ(listed(), QStringList({"D:\\Quorbel\\Quorbel_0003\\.hidden.wav", "D:\\Quorbel\\Quorbel_0003\\a.mp3",
                                     "D:\\Quorbel\\Quorbel_0003\\B.WAV", "D:\\Quorbel\\Quorbel_0003\\c.mp3"}));
    EXPECT_EQ(dialogs.messageTexts(), QStringList{formatWarning("B.WAV")});

    // A broken track is listed with the analysis' own message and the warning; the list goes on.
    dialogs.clear();
    writeAll(show("b2.mp3"), "ID3");
    form->LoadAudioList();
    EXPECT_EQ(listed().size(), 5);
    EXPECT_TRUE(dialogs.messageTexts().contains(formatWarning("b2.mp3")));
}

TEST_F(MusicTest, RenumberingADraggedListFollowsThePlayOrderAndLosesNothing)
{
    makeAudio(show("Audio002.mp3"), 44100, 2);
    makeAudio(show("Audio001.wav"), 44100, 2);
    const QByteArray mp3 = readAll(show("Audio002.mp3")), wav = readAll(show("Audio001.wav"));
    form->LoadAudioList();
    showMusicPage();
    ASSERT_EQ(listed(), QStringList({"D:\\Quorbel\\Quorbel_0003\\Audio001.wav", "D:\\Quorbel\\Quorbel_0003\\Audio002.mp3"}));

    // A drop below the last row, or from another list, moves nothing.
    form->AudioListBoxMouseDown(rowCentre(1));
    form->AudioListBoxDragDrop(QPoint(5, form->AudioListBox->viewport()->height() - 2));
    EXPECT_EQ(form->AudioDropIndex, -1);
    EXPECT_FALSE(form->AudioListBoxDragOver(form->QuorbelListBox));
    EXPECT_TRUE(form->AudioListBoxDragOver(form->AudioListBox));

    // The mp3 dragged onto the first row.
    form->AudioListBoxMouseDown(rowCentre(1));
    EXPECT_EQ(form->AudioDragIndex, 1);
    form->AudioListBoxDragDrop(rowCentre(0));
    EXPECT_EQ(form->AudioDropIndex, 0);
    ASSERT_EQ(listed(), QStringList({"D:\\Quorbel\\Quorbel_0003\\Audio002.mp3", "D:\\Quorbel\\Quorbel_0003\\Audio001.wav"}));

    form->RenumberAudioFiles();
    EXPECT_EQ(filesInShow(), QStringList({"Audio001.mp3", "Audio002.wav"}));
    EXPECT_EQ(listed(), QStringList({"D:\\Quorbel\\Quorbel_0003\\Audio001.mp3", "D:\\Quorbel\\Quorbel_0003\\Audio002.wav"}));
    int status = -1;
    writeAll(world.root() + "/mp3", mp3);
    writeAll(world.root() + "/wav", wav);
    runHost(QString("cmp '%1' '%2' && cmp '%3' '%4'").arg(show("Audio001.mp3"), world.root() + "/mp3", show("Audio002.wav"), world.root() + "/wav"),
            &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MusicTest, RenumberingNeverOverwritesAFileThatIsInTheWay)
{
    // Files that appeared after the list was loaded, at the names the renumbering needs.
    const char* strays[] = {"Audio002.wav", "_F_Audio002.mp3", "Audio001.mp3"};
    for (const char* stray : strays) {
        SCOPED_TRACE(stray);
        QDir(show()).removeRecursively();
        makeAudio(show("Audio002.mp3"), 44100, 2);
        makeAudio(show("Audio001.wav"), 44100, 2, "j");
        const QByteArray mp3 = readAll(show("Audio002.mp3")), wav = readAll(show("Audio001.wav"));
        form->LoadAudioList();
        form->AudioDragIndex = 1; // the mp3 first
        showMusicPage();
        form->AudioListBoxDragDrop(rowCentre(0));
        writeAll(show(stray), "stray");

        form->RenumberAudioFiles();
        EXPECT_EQ(readAll(show(stray)), "stray");
        QList<QByteArray> contents;
        for (const QString& f : filesInShow()) contents << readAll(show(f));
        EXPECT_EQ(contents.size(), 3);
        EXPECT_TRUE(contents.contains(mp3));
        EXPECT_TRUE(contents.contains(wav));
        EXPECT_EQ(listed().size(), 3);
        for (const QString& f : filesInShow()) EXPECT_FALSE(f.startsWith("_F_") && f != stray) << f.toStdString();
    }
}

TEST_F(MusicTest, RenumberingAfterASwitchOfShowsKeepsTheTracksInTheirOwnShow)
{
    makeAudio(show("b.wav"), 44100, 2);
    form->LoadAudioList();
    writeAll(hostD("Quorbel/Quorbel_0004/Quorbel.ini"), "[QUORBEL]\r\nTitel=Other\r\nTime=3\r\n");
    form->OpenShow("Quorbel_0004");
    form->RenumberAudioFiles();
    EXPECT_EQ(filesInShow(), QStringList{"Audio001.wav"});
    EXPECT_FALSE(QDir(hostD("Quorbel/Quorbel_0004")).exists("_F_b.wav"));
    EXPECT_FALSE(QDir(hostD("Quorbel/Quorbel_0004")).exists("Audio001.wav"));
    EXPECT_TRUE(listed().isEmpty()); // the list now shows the current show
}

TEST_F(MusicTest, DeleteRemovesTheLowestSelectedTrackAfterAsking)
{
    for (const char* n : {"a.wav", "b.wav", "c.wav"}) makeAudio(show(n), 44100, 2);
    form->LoadAudioList();

    form->AudioListBox->clearSelection();
    form->DeleteAudioBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10018)});

    dialogs.clear();
    select({0, 1});
    dialogs.confirmAnswers.push_back(platform::mrNo);
    form->DeleteAudioBitBtnClick();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(10017)});
    EXPECT_EQ(filesInShow().size(), 3);

    select({0, 1});
    dialogs.confirmAnswers.push_back(platform::mrYes);
    form->DeleteAudioBitBtnClick();
    EXPECT_EQ(filesInShow(), QStringList({"a.wav", "c.wav"}));
    EXPECT_EQ(listed(), QStringList({"D:\\Quorbel\\Quorbel_0003\\a.wav", "D:\\Quorbel\\Quorbel_0003\\c.wav"}));
}

TEST_F(MusicTest, PreviewAndInformationNeedASelectedTrack)
{
    makeAudio(show("a.wav"), 44100, 2);
    form->LoadAudioList();
    form->AudioListBox->clearSelection();
    struct Case {
        void (TMainForm::*handler)();
        int text;
    };
    const Case cases[] = {
        {&TMainForm::PlayBitBtnClick, 10023}, {&TMainForm::PauseBitBtnClick, 10023}, {&TMainForm::StopBitBtnClick, 10023},
        {&TMainForm::InfoBitBtnClick, 10023}, {&TMainForm::AudioListBoxClick, 10020},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        (form.get()->*c.handler)();
        EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(c.text)});
    }
    EXPECT_FALSE(form->checkAudioForm().isVisible());

    // A click names the file for the preview; a file that cannot be played stays silent.
    dialogs.clear();
    select({0});
    form->AudioListBoxClick();
    EXPECT_EQ(form->MediaPlayer1->FileName, "D:\\Quorbel\\Quorbel_0003\\a.wav");
    QFile::remove(show("a.wav"));
    form->PlayBitBtnClick();
    form->PauseBitBtnClick();
    form->StopBitBtnClick();
    EXPECT_EQ(form->MediaPlayer1->mode(), platform::MediaPlayer::NotOpen);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MusicTest, TheInformationButtonAnalysesEveryTimeAlsoWhenTheWindowIsOpen)
{
    makeAudio(show("a.mp3"), 44100, 2);
    makeAudio(show("b.wav"), 48000, 2);
    form->LoadAudioList();
    dialogs.clear();
    auto& info = dynamic_cast<TCheckAudioForm&>(form->checkAudioForm());

    select({0});
    form->InfoBitBtnClick();
    EXPECT_TRUE(info.isVisible());
    EXPECT_EQ(info.FileName, "D:\\Quorbel\\Quorbel_0003\\a.mp3");
    EXPECT_EQ(info.SampleRateHz, "44100");
    EXPECT_EQ(info.StereoMark, "STEREO");

    select({1});
    form->AudioListBoxDblClick();
    EXPECT_EQ(info.SampleRateHz, "48000");
    EXPECT_TRUE(info.WavePanel->isVisibleTo(&info));
    EXPECT_FALSE(info.MP3Panel->isVisibleTo(&info));
    info.close();
}

TEST(MusicList, TrackNamesCarryThePositionAndKeepTheirOwnExtension)
{
    struct Case {
        int position;
        const char* file;
        const char* name;
    };
    const Case cases[] = {
        {1, "x.mp3", "Audio001.mp3"},   {12, "Song.WAV", "Audio012.WAV"},     {999, "a.b.mp3", "Audio999.mp3"},
        {1000, "t.wav", "Audio1000.wav"}, {2, "_F_Audio001.Mp3", "Audio002.Mp3"},
    };
    for (const Case& c : cases) EXPECT_EQ(editor::TrackFileName(c.position, c.file), c.name) << c.file;
}

TEST(MediaPlayer, OpensOnlyFilesThatAreThereAndLetsGo)
{
    testsupport::TempWorld world;
    platform::MediaPlayer player;
    player.FileName = "C:\\none.wav";
    EXPECT_FALSE(player.Open());
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.mode(), platform::MediaPlayer::NotOpen);

    int status = -1;
    runHost(QString("sox -n -r 44100 -c 2 '%1/a.wav' synth 0.2 sine 440").arg(world.hostC()), &status);
    ASSERT_EQ(status, 0);
    player.FileName = "C:\\A.WAV";
    EXPECT_TRUE(player.Open());
    EXPECT_NE(player.mode(), platform::MediaPlayer::NotOpen);
    player.Close();
    EXPECT_EQ(player.mode(), platform::MediaPlayer::NotOpen);
}
