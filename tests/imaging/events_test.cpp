// Files dropped on the control, and the key and focus events.
#include "fixture.h"

#include "platform/drives.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;

namespace {

class Drop : public ControlTest {
protected:
    void SetUp() override
    {
        if (!imagingtest::haveTools({"convert"})) GTEST_SKIP() << "ImageMagick missing";
        ControlTest::SetUp();
        pix->OnDropFile = [this](TPixImage*, const QString& name) { dropped.push_back(name); };
    }
    // Drags the URLs over the control and drops them; whether the control took the drag.
    bool drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pix.get(), &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pix.get(), &dropped);
        return enter.isAccepted();
    }

    std::vector<QString> dropped;
    testsupport::ScriptedDialogs dialogs;
};

TEST_F(Drop, TheFirstLocalFileIsLoadedWhenAllowed)
{
    makePicture("a.jpg", 30, 20);
    makePicture("b.jpg", 40, 10);
    const QUrl a = QUrl::fromLocalFile(host("a.jpg"));
    const QUrl b = QUrl::fromLocalFile(host("b.jpg"));
    const QUrl web("http://127.0.0.1/a.jpg");
    struct Case {
        const char* what;
        bool allowed;
        bool autoLoad;
        QList<QUrl> urls;
        bool taken;
        QString name; // what OnDropFile gets; empty: no event
        int width;    // of the picture afterwards; 0: none
    };
    const Case cases[] = {
        {"not allowed", false, true, {a}, false, "", 0},
        {"allowed and loaded", true, true, {a, b}, true, win("a.jpg"), 30},
        {"web address first", true, true, {web, b}, true, win("b.jpg"), 40},
        {"only told", true, false, {a}, true, win("a.jpg"), 0},
        {"no local file", true, true, {web}, false, "", 0},
    };
    for (const Case& c : cases) {
        pix->Load(win("x"), 0, 1, 0);
        dropped.clear();
        pix->SetDropFilesAllowed(c.allowed);
        pix->SetDropAutoLoad(c.autoLoad);
        EXPECT_EQ(pix->acceptDrops(), c.allowed) << c.what;
        EXPECT_EQ(drop(c.urls), c.taken) << c.what;
        EXPECT_EQ(dropped, c.name.isEmpty() ? std::vector<QString>{} : std::vector<QString>{c.name}) << c.what;
        EXPECT_EQ(pix->BitmapWidth(), c.width) << c.what;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Drop, LongNamesArriveWholeAndFailuresAreShown)
{
    // Well past 257 characters, in folders of ordinary length.
    QString folder = "c";
    for (int i = 0; i < 6; ++i) folder += "/" + QString(50, QChar('a' + i));
    world.writeHostFile(folder + "/picture.png", {});
    makePicture(folder.mid(2).replace('/', '\\') + "\\picture.png", 12, 8, sdk::fmtPNG);
    const QString hostFile = world.root() + "/" + folder + "/picture.png";
    ASSERT_GT(platform::toWindowsPath(hostFile).size(), 300);
    pix->SetDropFilesAllowed(true);
    ASSERT_TRUE(drop({QUrl::fromLocalFile(hostFile)}));
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0], platform::toWindowsPath(hostFile));
    EXPECT_EQ(pix->BitmapWidth(), 12);

    // A file that is no picture: the control ends empty and the error is shown.
    world.writeHostFile("c/notes.jpg", "only text");
    ASSERT_TRUE(drop({QUrl::fromLocalFile(host("notes.jpg"))}));
    EXPECT_FALSE(pix->HasImage());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("PixImage1 \nError code: ")) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains("\nLoad: "));
}

TEST_F(ControlTest, KeysAndFocusReachTheirEvents)
{
    std::vector<QString> seen;
    pix->OnEnter = [&](TPixImage*) { seen.push_back("enter"); };
    pix->OnKeyDown = [&](TPixImage*, int& key, TShiftState) { seen.push_back("down " + QString::number(key)); };
    pix->OnKeyPress = [&](TPixImage*, QChar& key) { seen.push_back(QString("press ") + key); };
    pix->OnKeyUp = [&](TPixImage*, int& key, TShiftState shift) {
        seen.push_back("up " + QString::number(key) + (shift & ssShift ? " shift" : ""));
    };
    pix->show();
    QApplication::setActiveWindow(pix.get());
    pix->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(pix->hasFocus());
    QTest::keyClick(pix.get(), 'a');
    QTest::keyClick(pix.get(), Qt::Key_Left, Qt::ShiftModifier);
    // A key without a character (the arrow) has no OnKeyPress.
    const QString a = QString::number(Qt::Key_A), left = QString::number(Qt::Key_Left);
    const QString shift = QString::number(Qt::Key_Shift);
    EXPECT_EQ(seen, (std::vector<QString>{"enter", "down " + a, "press a", "up " + a, "down " + shift, "down " + left,
                                          "up " + left + " shift", "up " + shift}));
}

} // namespace

namespace {

// The mouse on the source control at a point of the screen.
void mouseAt(TPixImage* source, QEvent::Type type, const QPoint& global, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(source->mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(source, &event);
}

TEST_F(ControlTest, AControlIsDraggedOntoAnotherThatTakesIt)
{
    TPixImage target;
    target.setObjectName("PixImage2");
    pix->setGeometry(0, 0, 100, 100);
    target.setGeometry(300, 0, 100, 100);
    pix->show();
    target.show();
    pix->SetDragMode(dmAutomatic);
    std::vector<QString> seen;
    pix->OnStartDrag = [&](TPixImage*) { seen.push_back("start"); };
    pix->OnMouseDown = [&](TPixImage*, int, TShiftState, int, int) { seen.push_back("mouse down"); };
    pix->OnEndDrag = [&](TPixImage*, TPixImage* on, int x, int y) {
        seen.push_back(QString("end on %1 at %2,%3").arg(on ? on->objectName() : "nothing").arg(x).arg(y));
    };
    bool accept = true;
    target.OnDragOver = [&](TPixImage* sender, TPixImage* source, int x, int y, TDragState state, bool& accepted) {
        seen.push_back(QString("over %1 from %2 state %3 at %4,%5").arg(sender->objectName(), source->objectName()).arg(state).arg(x).arg(y));
        accepted = accept;
    };
    target.OnDragDrop = [&](TPixImage* sender, TPixImage* source, int x, int y) {
        seen.push_back(QString("drop on %1 from %2 at %3,%4").arg(sender->objectName(), source->objectName()).arg(x).arg(y));
    };
    const QPoint start = pix->mapToGlobal(QPoint(10, 10));
    const QPoint over = target.mapToGlobal(QPoint(20, 30));
    mouseAt(pix.get(), QEvent::MouseButtonPress, start, Qt::LeftButton);
    mouseAt(pix.get(), QEvent::MouseMove, start + QPoint(1, 0), Qt::LeftButton); // not far enough yet
    EXPECT_TRUE(seen.empty());
    mouseAt(pix.get(), QEvent::MouseMove, over, Qt::LeftButton);
    mouseAt(pix.get(), QEvent::MouseMove, over + QPoint(5, 0), Qt::LeftButton);
    mouseAt(pix.get(), QEvent::MouseButtonRelease, over + QPoint(5, 0), Qt::NoButton);
    EXPECT_EQ(seen, (std::vector<QString>{"start", "over PixImage2 from PixImage1 state 0 at 20,30",
                                          "over PixImage2 from PixImage1 state 2 at 25,30",
                                          "over PixImage2 from PixImage1 state 2 at 25,30",
                                          "drop on PixImage2 from PixImage1 at 25,30", "end on PixImage2 at 25,30"}));
    EXPECT_FALSE(pix->Dragging());

    // Refused over the target, then left for empty space: no drop, the end on nothing.
    seen.clear();
    accept = false;
    pix->BeginDrag(true);
    mouseAt(pix.get(), QEvent::MouseMove, over, Qt::LeftButton);
    mouseAt(pix.get(), QEvent::MouseMove, QPoint(700, 500), Qt::LeftButton);
    mouseAt(pix.get(), QEvent::MouseButtonRelease, QPoint(700, 500), Qt::NoButton);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen.front(), "start");
    EXPECT_EQ(seen[seen.size() - 2], "over PixImage2 from PixImage1 state 1 at 400,500");
    EXPECT_EQ(seen.back(), QString("end on nothing at %1,%2").arg(pix->mapFromGlobal(QPoint(700, 500)).x()).arg(pix->mapFromGlobal(QPoint(700, 500)).y()));
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const QString& s) { return s.startsWith("drop"); }), 0);
}

} // namespace

namespace {

TEST_F(ControlTest, InRubberBandModeTheMouseDrawsABandThatStays)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(120, 90);
    pix->resize(200, 150);
    pix->SetBitmap(&b);
    pix->show();
    std::vector<QRect> bands;
    pix->OnRubberBand = [&](TPixImage*, int l, int t, int r, int bt) { bands.push_back(QRect(QPoint(l, t), QPoint(r, bt))); };
    // Without the mode nothing is drawn.
    QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(60, 40));
    QTest::mouseMove(pix.get(), QPoint(10, 10));
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(bands.empty());

    pix->SetRubberBandMode(true);
    QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(60, 40));
    QTest::mouseMove(pix.get(), QPoint(10, 10));
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(10, 10));
    // Dragged past the picture's edge: kept on it.
    QTest::mousePress(pix.get(), Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseMove(pix.get(), QPoint(190, 140));
    QTest::mouseRelease(pix.get(), Qt::LeftButton, {}, QPoint(190, 140));
    EXPECT_EQ(bands, (std::vector<QRect>{QRect(QPoint(10, 10), QPoint(60, 40)), QRect(QPoint(30, 30), QPoint(120, 90))}));
    EXPECT_TRUE(pix->RubberBandShown());
    EXPECT_FALSE(pix->HasRgn());
    // It is drawn inverted over the picture.
    const QImage shown = pix->grab().toImage();
    EXPECT_NE(imagingtest::rgbAt(shown, 30, 60), imagingtest::rgbAt(pix->ComposedFrame(), 30, 60));
    EXPECT_EQ(imagingtest::rgbAt(shown, 50, 60), imagingtest::rgbAt(pix->ComposedFrame(), 50, 60));
}

} // namespace
