// A named pipe where a picture, a picture list or a track is expected never holds the program
// still: it is refused before it is opened and said to be what it is.
#include "pictures_fixture.h"
#include "support/pipewatch.h"

#include <QListWidget>

using platform::MessageKind;

TEST_F(PicturesTest, APipeWhereAFileIsExpectedNeitherBlocksNorPassesForAFile)
{
    if (!haveTools()) GTEST_SKIP() << "ImageMagick is not installed";
    form = std::make_unique<TMainForm>(outputWindows());
    const QString show = hostD("Quorbel/Quorbel_0005");
    writeAll(show + "/Quorbel.ini", "[QUORBEL]\r\nTitel=Pipes\r\nTime=3\r\n");
    makeJpeg(show + "/real.jpg", 40, 30);
    makeJpeg(srcHost("real.jpg"), 40, 30);
    QStringList pipes;
    for (const QString& p : {show + "/pipe.jpg", show + "/Audio001.mp3", srcHost("pipe.jpg")}) {
        ASSERT_TRUE(testsupport::makePipe(p));
        pipes << p;
    }
    const auto listed = [](const controls::THTMListBox& box) {
        QStringList names;
        for (int i = 0; i < box.Count(); ++i) names << box.Items()[i].mid(box.Items()[i].indexOf('>') + 1);
        return names;
    };

    struct Row {
        const char* where;
        std::function<void()> act;
        std::function<void()> check;
    };
    const Row rows[] = {
        {"a pipe named in Pictures.ini",
         [&] {
             writeAll(show + "/Pictures.ini", "real.jpg\r\npipe.jpg\r\n");
             form->OpenShow("Quorbel_0005");
         },
         [&] {
             EXPECT_EQ(listed(*form->QuorbelListBox), QStringList{"real.jpg"});
             ASSERT_EQ(dialogs.messages.size(), 1);
             EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
             EXPECT_TRUE(dialogs.messages[0].text.contains("D:\\Quorbel\\Quorbel_0005\\pipe.jpg"));
         }},
        {"a pipe as Pictures.ini",
         [&] {
             QFile::remove(show + "/Pictures.ini");
             ASSERT_TRUE(testsupport::makePipe(show + "/Pictures.ini"));
             pipes << show + "/Pictures.ini";
             form->OpenShow("Quorbel_0005");
         },
         [&] { EXPECT_EQ(form->QuorbelListBox->Count(), 0); }},
        {"a pipe in the picture folder",
         [&] {
             dialogs.fileAnswers.push_back({true, {srcWin("real.jpg")}});
             form->OpenBitBtnClick();
         },
         [&] { EXPECT_EQ(listed(*form->FileListBox), QStringList{"real.jpg"}); }},
        {"a pipe as a music file", [&] { form->LoadAudioList(); },
         [&] {
             // The analysis says why, the warning which file.
             const QStringList texts = dialogs.messageTexts();
             ASSERT_EQ(texts.size(), 2);
             EXPECT_TRUE(texts[0].contains("D:\\Quorbel\\Quorbel_0005\\Audio001.mp3")) << texts[0].toStdString();
             EXPECT_TRUE(texts[1].contains("Audio001.mp3")) << texts[1].toStdString();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.where);
        dialogs.clear();
        EXPECT_TRUE(testsupport::endsInTime(pipes, std::chrono::seconds(10), row.act));
        row.check();
    }
}
