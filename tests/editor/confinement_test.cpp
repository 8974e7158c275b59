// Every routine that deletes, renames or overwrites stays inside the folder it works on: host
// names that hold "\" (which path code would split into "..\..") and paths that reach out through
// ".." never touch the decoy files beside that folder.
#include "editor_fixture.h"

#include "editor/cdexport.h"
#include "editor/mainform.h"
#include "editor/musiclist.h"
#include "editor/undostack.h"
#include "imaging/piximage.h"
#include "output/print/qrlistform.h"
#include "output/video/dvdform.h"
#include "output/web/gallerywriter.h"
#include "platform/files.h"
#include "show/picturelist.h"
#include "support/smalldisk.h"
#include "util/strutils.h"

#include <functional>

namespace {

// Names that a listing of the folder would give out and a caller would append to the folder:
// each reaches "..\decoy\<file>" beside the folder and still matches the mask of the routine
// it is aimed at.
const char* const HostileNames[] = {
    "x\\..\\..\\decoy\\precious.jpg",
    "x\\..\\..\\decoy\\precious.mp3",
    "x\\..\\..\\decoy\\photo_JPEG.jpg",   // with "photo.jpeg" beside it: a converted copy
    "_THUMB_\\..\\..\\decoy\\thumb.jpg",  // its picture ("..\..\decoy\thumb.jpg") is missing
    "UNDO_\\..\\..\\decoy\\UNDO_1.jpg",
    "_PRINT_\\..\\..\\decoy\\_PRINT_1.jpg",
    "x\\..\\..\\decoy\\:*?\"<>|\x01.jpg",
};
const char* const DecoyFiles[] = {"precious.jpg", "precious.mp3", "photo_JPEG.jpg", "photo.jpeg",
                                  "thumb.jpg",    "UNDO_1.jpg",   "_PRINT_1.jpg"};

} // namespace

class ConfinementTest : public EditorTest {
protected:
    // The folder a routine works on (host path) with the hostile names in it, and the decoys
    // beside it in "decoy".
    void plant(const QString& folderHost)
    {
        QDir().mkpath(folderHost);
        for (const char* name : HostileNames) writeAll(folderHost + "/" + QString::fromLatin1(name), "hostile");
        const QString decoy = QFileInfo(folderHost).absolutePath() + "/decoy";
        for (const char* name : DecoyFiles) writeAll(decoy + "/" + name, QByteArray("precious ") + name);
    }
    static QMap<QString, QByteArray> decoys(const QString& folderHost)
    {
        return snapshot(QFileInfo(folderHost).absolutePath() + "/decoy");
    }
};

TEST_F(ConfinementTest, NoRoutineThatDeletesRenamesOrOverwritesReachesOutOfItsFolder)
{
    // The Windows path of a host folder, with trailing backslash.
    const auto win = [](const QString& host) { return platform::toWindowsPath(host) + "\\"; };
    const QString show = world.hostD() + "/Quorbel/Quorbel_0001";
    QDir().mkpath(show);
    writeAll(show + "/Quorbel.ini", "[QUORBEL]\r\nTitel=Holiday\r\n");
    const QString aside = world.hostC() + "/work/folder";

    struct Row {
        const char* routine;
        QString folder; // host folder the routine works on
        std::function<void(const QString& folder)> run;
    };
    const QList<Row> rows = {
        {"delete show", show, [](const QString& f) { (void)DeleteDirectory(f); }},
        {"CD-ROM export clears its folder", hostD("cd"),
         [&](const QString& f) { editor::ExportToCdFolder(win(hostD("Quorbel")), f, {"Quorbel_0001"}, "ENGLISH"); }},
        {"screensaver staging", hostD("docs/Quorbel_Screensaver"),
         [&](const QString& f) {
             editor::ExportReport report = editor::InstallScreensaver(
                 {win(hostD("Quorbel")), f, "GERMAN", win(world.hostC() + "/sys"), win(world.hostC() + "/sys32"), {}});
             (void)report;
         }},
        {"music renumbering", show,
         [](const QString& f) {
             editor::MusicList music([](const QString&) { return true; });
             music.SetShowFolder(f);
             music.Load();
             music.Renumber();
         }},
        {"track deletion", show,
         [](const QString& f) {
             editor::MusicList music([](const QString&) { return true; });
             music.SetShowFolder(f);
             music.Load();
             while (music.Count() > 0) music.Delete(0);
         }},
        {"converted-copy clean-up", aside,
         [](const QString& f) {
             // As if every name the folder holds had been made here as a copy.
             QStringList made;
             for (const auto& e : platform::findFiles(f, QStringLiteral("*.*"))) made << f + e.name;
             made << f + QStringLiteral("..\\..\\decoy\\photo_JPEG.jpg");
             show::DeleteConvertedCopies(f, made);
         }},
        {"stale-thumbnail clean-up", show, [](const QString& f) { show::DeleteStaleThumbnails(f, {}); }},
        {"pictures by mask", show, [](const QString& f) { (void)show::DeleteFilesMatching(f + "*.jpg"); }},
        {"undo clean-up", aside, [](const QString& f) { editor::UndoStack(f).Clear(); }},
        {"gallery clean-up", world.programHost() + "/gallery",
         [&](const QString&) {
             imaging::TPixImage control;
             web::GalleryWriter writer(control);
             web::GalleryJob job;
             job.programDir = world.programDir();
             job.showFolderPath = win(show);
             QString error;
             writer.Write(job, error);
         }},
        {"print-copy clean-up", show,
         [](const QString& f) {
             print::TQRListForm form;
             form.DeletePrintFiles(f + "_PRINT_*.*");
         }},
        {"encoder-folder clean-up", aside,
         [](const QString& f) {
             print::ReportWindows printWindows;
             AudioInformation audioWindows;
             TMainForm main({printWindows, audioWindows});
             main.EncoderFolder = f;
             TDVDForm dvd(main.showHost());
             dvd.CleanEncoderFolder();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.routine);
        plant(row.folder);
        const auto before = decoys(row.folder);
        ASSERT_EQ(before.size(), std::size(DecoyFiles));
        row.run(win(row.folder));
        EXPECT_EQ(decoys(row.folder), before);
        QDir(QFileInfo(row.folder).absolutePath() + "/decoy").removeRecursively();
        for (const char* name : HostileNames) QFile::remove(row.folder + "/" + QString::fromLatin1(name));
    }
}

TEST_F(ConfinementTest, TheFileRoutinesRefuseAPathOutsideTheFolderTheyAreGiven)
{
    const QString folderHost = world.hostC() + "/show";
    plant(folderHost);
    writeAll(folderHost + "/own.jpg", "own");
    const auto before = decoys(folderHost);
    const QString folder = "C:\\show\\";
    const QString out = folder + "..\\decoy\\precious.jpg";

    // The listing gives none of the hostile names, only the folder's own file.
    QStringList listed;
    for (const auto& e : platform::findFiles(folder)) listed << e.name;
    EXPECT_EQ(listed, QStringList{"own.jpg"});

    struct Row {
        const char* routine;
        std::function<bool()> run;
    };
    const Row rows[] = {
        {"deleteFile", [&] { return platform::deleteFile(out, folder); }},
        {"renameFile out of", [&] { return platform::renameFile(out, folder + "taken.jpg", folder); }},
        {"renameFile onto", [&] { return platform::renameFile(folder + "own.jpg", folder + "..\\decoy\\new.jpg", folder); }},
        {"copyFile", [&] { return platform::copyFile(folder + "own.jpg", out, false, folder); }},
        {"writeFileReplacing", [&] { return platform::writeFileReplacing(out, "overwritten", platform::FileAccess::AsBefore, folder); }},
        {"ReplacingWriter",
         [&] {
             platform::ReplacingWriter w(out, platform::FileAccess::AsBefore, folder);
             return w.open() && w.device()->write("overwritten") > 0 && w.commit();
         }},
        {"removeDirectory", [&] { return platform::removeDirectory(folder + "..\\decoy", folder); }},
        {"through a linked folder", [&] {
             QFile::link(QFileInfo(folderHost).absolutePath() + "/decoy", folderHost + "/link");
             return platform::deleteFile(folder + "link\\precious.jpg", folder);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.routine);
        EXPECT_FALSE(row.run());
        EXPECT_FALSE(platform::lastFileError().isEmpty());
        EXPECT_EQ(decoys(folderHost), before);
    }
    EXPECT_EQ(readAll(folderHost + "/own.jpg"), "own");
    // Inside, the same routines work.
    EXPECT_TRUE(platform::copyFile(folder + "own.jpg", folder + "two.jpg", false, folder));
    EXPECT_TRUE(platform::renameFile(folder + "two.jpg", folder + "three.jpg", folder));
    EXPECT_TRUE(platform::writeFileReplacing(folder + "three.jpg", "3", platform::FileAccess::AsBefore, folder));
    EXPECT_TRUE(platform::deleteFile(folder + "three.jpg", folder));
}

TEST_F(ConfinementTest, ACdRomExportOntoAFullDiskCopiesWholeFilesOrNamesThem)
{
    const QString media = hostD("media");
    const testsupport::SmallDisk disk(media);
    if (!disk.ready()) GTEST_SKIP() << disk.why();
    // Small INI files and pictures that together do not fit.
    const QString show = hostD("Quorbel/Quorbel_0001");
    writeAll(show + "/Quorbel.ini", "[QUORBEL]\r\nTitel=Holiday\r\nTime=3\r\n");
    QByteArray lines;
    for (int i = 1; i <= 6; ++i) {
        writeAll(show + QString("/pic%1.jpg").arg(i), QByteArray(20000, char('a' + i)));
        lines += QString("pic%1.jpg\r\n").arg(i).toLatin1();
    }
    writeAll(show + "/Pictures.ini", lines);
    writeAll(hostD("Quorbel/Settings.ini"), "[SETTINGS]\r\nFullscreen=FALSE\r\n");

    const editor::ExportReport report =
        editor::ExportToCdFolder(platform::toWindowsPath(hostD("Quorbel")), platform::toWindowsPath(media + "/cd"), {"Quorbel_0001"}, "ENGLISH");
    EXPECT_FALSE(report.ok());
    // Every file that is there is whole; every other one is named in the report.
    for (const QString& rel : {QString("Settings.ini"), QString("Quorbel_0001/Quorbel.ini"), QString("Quorbel_0001/Pictures.ini"),
                               QString("Quorbel_0001/pic1.jpg"), QString("Quorbel_0001/pic6.jpg")}) {
        SCOPED_TRACE(rel.toStdString());
        const QString copy = media + "/cd/" + rel;
        const QString windows = platform::toWindowsPath(copy);
        if (QFileInfo::exists(copy)) {
            EXPECT_EQ(readAll(copy), readAll(hostD("Quorbel/" + rel)));
            EXPECT_FALSE(report.failedCopies.contains(windows));
        } else {
            EXPECT_TRUE(report.failedCopies.contains(windows)) << report.failedCopies.join(", ").toStdString();
        }
    }
    EXPECT_EQ(QDir(media + "/cd/Quorbel_0001").entryList(QDir::Files | QDir::Hidden).filter(".~").size(), 0);
}
