#include "controls/htmlistbox.h"
#include "controls/virtualkeys.h"
#include "helpers.h"
#include "platform/files.h"
#include "platform/process.h"
#include "support/fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <sys/time.h>
#include <QHBoxLayout>
#include <QThread>
#include <QSignalSpy>
#include <QScrollBar>
#include <QTest>

#include <tuple>
#include <QToolTip>

using namespace controls;
using namespace testhelp;

namespace {

// Two lists side by side in one shown window, as the editor's first tab has them.
class ListTest : public testsupport::WorldTest {
protected:
    void SetUp() override
    {
        window.resize(620, 400);
        auto* layout = new QHBoxLayout(&window);
        a = new THTMListBox;
        b = new THTMListBox;
        for (THTMListBox* l : {a, b}) {
            l->setFont(fixedFont());
            l->setMultiSelect(true);
            l->setIncrLookup(true);
            layout->addWidget(l);
        }
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void fill(THTMListBox* l, const QStringList& texts)
    {
        for (const auto& t : texts) l->Items().Add(t);
    }
    QPoint rowCenter(THTMListBox* l, int row) { return l->ItemRect(row).center(); }
    void click(THTMListBox* l, int row, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(l->viewport(), Qt::LeftButton, mods, rowCenter(l, row));
    }
    std::vector<int> selection(THTMListBox* l)
    {
        std::vector<int> out;
        for (int i = 0; i < l->Count(); ++i)
            if (l->Selected(i)) out.push_back(i);
        return out;
    }
    void typeKeys(THTMListBox* l, const QString& keys)
    {
        for (QChar c : keys) QTest::keyClick(l, c.toLatin1());
    }
    // Drags from a row of one list to a client point of another with the mouse.
    void drag(THTMListBox* from, int row, THTMListBox* to, QPoint target)
    {
        const QPoint start = rowCenter(from, row);
        QTest::mousePress(from->viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(from->viewport(), start + QPoint(0, 3));
        const QPoint there = from->viewport()->mapFromGlobal(to->viewport()->mapToGlobal(target));
        QTest::mouseMove(from->viewport(), there);
        QTest::mouseRelease(from->viewport(), Qt::LeftButton, {}, there);
    }

    QWidget window;
    THTMListBox* a = nullptr;
    THTMListBox* b = nullptr;
};

QStringList names(const THTMListBox* l)
{
    QStringList out;
    for (int i = 0; i < l->Count(); ++i) out << StripHTMLTags(l->Items().Strings(i));
    return out;
}

} // namespace

TEST_F(ListTest, RowsAreMeasuredPerItem)
{
    world.writeHostFile("c/s/_THUMB_x.jpg", jpegBytes(93, 70));
    a->setItemHeight(70);
    fill(a, {"<IMG src=\"file://C:\\s\\_THUMB_x.jpg\" align=\"top\">x.jpg | hi", "plain text",
             "1<BR>2<BR>3<BR>4<BR>5<BR>6<BR>7<BR>8<BR>9<BR>10<BR>11<BR>12<BR>13<BR>14<BR>15<BR>16<BR>17<BR>18<BR>19<BR>20<BR>21<BR>22<BR>23<BR>24<BR>25<BR>26<BR>27<BR>28<BR>29<BR>30"});
    EXPECT_EQ(a->measuredHeight(0), 74);
    QFontMetrics fm(fixedFont(), a->viewport());
    EXPECT_EQ(a->measuredHeight(1), fm.height() + std::max(0, fm.leading()) + 4);
    // Taller than the client area: the client height plus 4.
    EXPECT_EQ(a->measuredHeight(2), std::min(a->viewport()->height(), 251) + 4);
    EXPECT_EQ(a->ItemRect(1).top(), 74);

    // Rows are measured again when the list changes size: a narrow list wraps the caption.
    a->Items().Add("<IMG src=\"file://C:\\s\\_THUMB_x.jpg\" align=\"top\">x.jpg | a caption that wraps in a narrow list");
    const int wide = a->measuredHeight(3);
    a->setFixedWidth(140);
    QTest::qWait(20);
    EXPECT_GT(a->measuredHeight(3), wide);
    a->setFixedHeight(600);
    QTest::qWait(20);
    EXPECT_EQ(a->measuredHeight(2), 255); // never more than 251 + 4
}

TEST_F(ListTest, MouseSelectsOneAddsWithCtrlAndRangesWithShift)
{
    fill(a, {"a0", "a1", "a2", "a3", "a4", "a5"});
    QSignalSpy clicks(a, &THTMListBox::Click);
    std::vector<QString> order;
    QObject::connect(a, &THTMListBox::MouseDown, [&] { order.push_back("down:" + QString::number(a->ItemIndex())); });
    QObject::connect(a, &THTMListBox::Click, [&] { order.push_back("click"); });
    click(a, 0);
    EXPECT_EQ(selection(a), (std::vector<int>{0}));
    click(a, 2, Qt::ControlModifier);
    EXPECT_EQ(selection(a), (std::vector<int>{0, 2}));
    click(a, 4, Qt::ShiftModifier);
    EXPECT_EQ(selection(a), (std::vector<int>{2, 3, 4}));
    click(a, 0, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(selection(a), (std::vector<int>{0, 1, 2, 3, 4}));
    click(a, 3, Qt::ControlModifier);
    EXPECT_EQ(selection(a), (std::vector<int>{0, 1, 2, 4}));
    EXPECT_EQ(a->ItemIndex(), 3);
    EXPECT_EQ(clicks.count(), 5);
    EXPECT_EQ(order.at(0), "down:0"); // the selection is updated before the mouse-down event
    EXPECT_EQ(order.at(1), "click");

    // A plain press on a selected item keeps the selection (it may be dragged); the release
    // without a drag leaves that item alone selected.
    QTest::mousePress(a->viewport(), Qt::LeftButton, {}, rowCenter(a, 1));
    EXPECT_EQ(selection(a), (std::vector<int>{0, 1, 2, 4}));
    QTest::mouseRelease(a->viewport(), Qt::LeftButton, {}, rowCenter(a, 1));
    EXPECT_EQ(selection(a), (std::vector<int>{1}));

    // Keys move the selection; Shift extends it.
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Down);
    EXPECT_EQ(selection(a), (std::vector<int>{2}));
    QTest::keyClick(a, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selection(a), (std::vector<int>{2, 3}));
    QTest::keyClick(a, Qt::Key_End);
    EXPECT_EQ(selection(a), (std::vector<int>{5}));
}

TEST_F(ListTest, TypingLooksItemsUpByTheirPlainText)
{
    fill(a, {"<IMG src=\"file://C:\\t\\1.jpg\">alpha.jpg", "<B>beta.jpg</B>", "<IMG src=\"file://C:\\t\\3.jpg\">bravo.jpg",
             "<I>gamma.jpg</I>"});
    a->setFocus();
    typeKeys(a, "B");
    EXPECT_EQ(a->ItemIndex(), 1);
    typeKeys(a, "R");
    EXPECT_EQ(a->ItemIndex(), 2);
    EXPECT_EQ(a->lookupPrefix(), "BR");
    typeKeys(a, "G"); // no item begins with "BRG": a new prefix of "G"
    EXPECT_EQ(a->ItemIndex(), 3);
    EXPECT_EQ(a->lookupPrefix(), "G");
    QTest::keyClick(a, Qt::Key_Backspace);
    EXPECT_EQ(a->lookupPrefix(), "");
    QTest::keyClick(a, Qt::Key_Escape);
    typeKeys(a, "A");
    EXPECT_EQ(selection(a), (std::vector<int>{0}));

    // Shift and Ctrl leave a multiple selection as it is.
    click(a, 2, Qt::ControlModifier);
    click(a, 3, Qt::ControlModifier);
    QTest::keyClick(a, Qt::Key_Shift);
    QTest::keyClick(a, Qt::Key_Control);
    EXPECT_EQ(selection(a), (std::vector<int>{0, 2, 3}));

    int seen = 0;
    QObject::connect(a, &THTMListBox::KeyDown, [&](int& key, Qt::KeyboardModifiers) { seen = key; });
    QTest::keyClick(a, Qt::Key_Delete);
    EXPECT_EQ(seen, vk::Delete);
}

TEST_F(ListTest, SortingComparesThePlainTextInTheLanguage)
{
    a->setSortLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    // The thumbnail paths run in the opposite order of the file names.
    fill(a, {"<IMG src=\"file://C:\\t\\a.jpg\">b2.jpg", "<IMG src=\"file://C:\\t\\b.jpg\">B2.jpg",
             "<IMG src=\"file://C:\\t\\c.jpg\">b10.jpg", "<IMG src=\"file://C:\\t\\d.jpg\">a.jpg"});
    a->setSorted(true);
    EXPECT_EQ(names(a), (QStringList{"a.jpg", "b10.jpg", "b2.jpg", "B2.jpg"}));
    EXPECT_TRUE(a->Sorted());
    a->Items().Add("0.jpg"); // later items are not put in order
    EXPECT_EQ(names(a).last(), "0.jpg");

    b->setSortWithHTML(true);
    fill(b, {"<IMG src=\"file://C:\\t\\b.jpg\">a.jpg", "<IMG src=\"file://C:\\t\\a.jpg\">b.jpg"});
    b->setSorted(true);
    EXPECT_EQ(names(b), (QStringList{"b.jpg", "a.jpg"}));

    THTMListBox empty;
    empty.setSorted(true);
    empty.Items().Add("b");
    empty.Items().Add("a");
    EXPECT_EQ(names(&empty), (QStringList{"b", "a"}));
}

TEST_F(ListTest, DraggingThreeItemsDropsThemInOrderOnARowOfTheOtherList)
{
    fill(a, {"s0", "s1", "s2", "s3", "s4"});
    fill(b, {"t0", "t1", "t2", "t3"});
    // The show list's handlers, as the editor has them: accept drags from either list; a drop
    // from the other list inserts the selected names at the row under the point, last first.
    int dropRow = -1;
    QObject* endedOn = nullptr;
    QObject::connect(b, &THTMListBox::DragOver, [&](QObject* source, int, int, TDragState, bool& accept) {
        accept = qobject_cast<THTMListBox*>(source) != nullptr;
    });
    QObject::connect(b, &THTMListBox::DragDrop, [&](QObject* source, int x, int y) {
        auto* from = qobject_cast<THTMListBox*>(source);
        dropRow = b->ItemAtPos(QPoint(x, y), false);
        QStringList picked;
        for (int i = 0; i < from->Count(); ++i)
            if (from->Selected(i)) picked << from->Items().Strings(i);
        for (int i = picked.size() - 1; i >= 0; --i) b->Items().Insert(dropRow, picked[i]);
    });
    QObject::connect(a, &THTMListBox::EndDrag, [&](QObject* target, int, int) { endedOn = target; });
    QSignalSpy clicks(a, &THTMListBox::Click);

    click(a, 1);
    click(a, 2, Qt::ControlModifier);
    click(a, 4, Qt::ControlModifier);
    clicks.clear();
    // Ctrl held while the drag begins keeps the pressed item in it.
    const QPoint start = rowCenter(a, 2);
    QTest::mousePress(a->viewport(), Qt::LeftButton, Qt::ControlModifier, start);
    EXPECT_TRUE(a->Selected(2));
    const QPoint past = start + QPoint(QApplication::startDragDistance() + 1, 0);
    QTest::mouseMove(a->viewport(), past);
    EXPECT_TRUE(a->Dragging());
    QTest::mouseRelease(a->viewport(), Qt::LeftButton, {}, past);
    EXPECT_EQ(selection(a), (std::vector<int>{1, 2, 4})); // dropped back on its own list
    click(a, 4, Qt::ControlModifier); // a Ctrl click without a drag takes an item out
    EXPECT_EQ(selection(a), (std::vector<int>{1, 2}));
    click(a, 4, Qt::ControlModifier);
    clicks.clear();
    drag(a, 2, b, rowCenter(b, 2));
    EXPECT_EQ(dropRow, 2);
    EXPECT_EQ(names(b), (QStringList{"t0", "t1", "s1", "s2", "s4", "t2", "t3"}));
    EXPECT_EQ(endedOn, b);
    EXPECT_EQ(clicks.count(), 0); // a drag is no click
    EXPECT_EQ(selection(a), (std::vector<int>{1, 2, 4}));
    EXPECT_FALSE(a->Dragging());

    // A list without a drag-over handler accepts nothing.
    QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, rowCenter(b, 0));
    drag(b, 0, a, rowCenter(a, 0));
    EXPECT_EQ(a->Count(), 5);
}

TEST_F(ListTest, DraggingWithinOneListMovesTheItem)
{
    fill(b, {"t0", "t1", "t2", "t3"});
    int pressed = -1;
    QObject::connect(b, &THTMListBox::MouseDown, [&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        pressed = b->ItemAtPos(QPoint(x, y), true);
    });
    QObject::connect(b, &THTMListBox::DragOver, [&](QObject* source, int, int, TDragState, bool& accept) { accept = source == b; });
    QObject::connect(b, &THTMListBox::DragDrop, [&](QObject*, int x, int y) {
        const int target = b->ItemAtPos(QPoint(x, y), true);
        if (target >= 0 && pressed >= 0) b->Items().Move(pressed, target);
    });
    drag(b, 0, b, rowCenter(b, 3));
    EXPECT_EQ(names(b), (QStringList{"t1", "t2", "t3", "t0"}));
    // Escape during a drag ends it without a drop.
    QObject* ended = b;
    QObject::connect(b, &THTMListBox::EndDrag, [&](QObject* target, int, int) { ended = target; });
    QTest::mousePress(b->viewport(), Qt::LeftButton, {}, rowCenter(b, 0));
    QTest::mouseMove(b->viewport(), rowCenter(b, 2));
    EXPECT_TRUE(b->Dragging());
    QTest::keyClick(b, Qt::Key_Escape);
    EXPECT_FALSE(b->Dragging());
    EXPECT_EQ(ended, nullptr);
    QTest::mouseRelease(b->viewport(), Qt::LeftButton, {}, rowCenter(b, 2));
    EXPECT_EQ(names(b), (QStringList{"t1", "t2", "t3", "t0"}));
}

TEST_F(ListTest, AnchorsOpenWebAndMailTargetsAndReportTheOthers)
{
    // The desktop's opener is an outside program: a script records what it is given.
    const QString rec = world.writeHostFile("c/opener.sh", ("#!/bin/sh\necho \"$1\" >> \"" + world.hostC() + "/opened.txt\"\n").toUtf8());
    ASSERT_TRUE(platform::setExecutable("C:\\opener.sh", true));
    platform::ProgramTable::instance().set("open", rec);
    auto opened = [&] {
        std::ignore = QTest::qWaitFor([&] { return !world.readHostFile("c/opened.txt").isEmpty(); }, 60000);
        return QString::fromUtf8(world.readHostFile("c/opened.txt")).split('\n', Qt::SkipEmptyParts);
    };
    fill(a, {"<A href=\"mailto:me@example.com\">mail</A> rest", "<A href=\"edit\">edit</A> rest"});
    QSignalSpy downs(a, &THTMListBox::MouseDown);
    QSignalSpy anchorClicks(a, &THTMListBox::AnchorClick);
    const QPoint onMail(2 + 1 + 5, a->ItemRect(0).center().y());
    QTest::mouseClick(a->viewport(), Qt::LeftButton, {}, onMail);
    EXPECT_EQ(opened(), QStringList{"mailto:me@example.com"});
    EXPECT_EQ(downs.count(), 0);
    const QPoint onEdit(2 + 1 + 5, a->ItemRect(1).center().y());
    QString anchor;
    int index = -1;
    a->AnchorAt(onEdit.x(), onEdit.y(), anchor, index);
    EXPECT_EQ(anchor, "edit");
    EXPECT_EQ(index, 1);
    QTest::mouseClick(a->viewport(), Qt::LeftButton, {}, onEdit);
    ASSERT_EQ(anchorClicks.count(), 1);
    EXPECT_EQ(anchorClicks.at(0).at(1).toInt(), 1);
    EXPECT_EQ(anchorClicks.at(0).at(2).toString(), "edit");
    QTest::mouseClick(a->viewport(), Qt::LeftButton, {}, QPoint(a->viewport()->width() - 5, a->ItemRect(1).center().y()));
    EXPECT_EQ(downs.count(), 1);
    a->AnchorAt(5, a->ItemRect(1).bottom() + 40, anchor, index);
    EXPECT_EQ(index, -1);
    EXPECT_TRUE(anchor.isEmpty());
    platform::ProgramTable::instance().loadFromEnvironment();
}

TEST_F(ListTest, TextOfItemsAndBadIndexes)
{
    fill(a, {"<B>bold</B> text"});
    EXPECT_EQ(a->GetTextItem(0), "bold text");
    EXPECT_THROW(a->GetTextItem(1), EHTMListBoxError);
    EXPECT_THROW(a->GetTextItem(-1), EHTMListBoxError);
    try {
        a->GetTextItem(5);
    } catch (const EHTMListBoxError& e) {
        EXPECT_STREQ(e.what(), "Item index out of range");
    }
}

TEST_F(ListTest, PicturesAreDroppedWhenNoItemRefersToThem)
{
    world.writeHostFile("c/t/1.jpg", jpegBytes(20, 20));
    world.writeHostFile("c/t/2.jpg", jpegBytes(20, 20));
    fill(a, {"<IMG src=\"file://C:\\t\\1.jpg\">one", "<IMG src=\"file://C:\\t\\1.jpg\">again", "<IMG src=\"file://C:\\t\\2.jpg\">two"});
    EXPECT_EQ(a->pictureCache().Count(), 2);
    a->Items().Delete(0);
    EXPECT_EQ(a->pictureCache().Count(), 2);
    a->Items().Delete(0);
    EXPECT_EQ(a->pictureCache().Count(), 1);
    a->Items().Clear();
    EXPECT_EQ(a->pictureCache().Count(), 0);
}

TEST_F(ListTest, SelectedRowsArePaintedInTheSelectionColours)
{
    fill(a, {"one", "two", "three"});
    a->setSelected(1, true);
    const QImage plain = a->viewport()->grab().toImage();
    const QColor highlight = platform::colorToQColor(platform::clHighlight);
    EXPECT_EQ(plain.pixelColor(a->viewport()->width() - 3, a->ItemRect(1).center().y()), highlight);
    EXPECT_EQ(plain.pixelColor(a->viewport()->width() - 3, a->ItemRect(0).center().y()), platform::colorToQColor(platform::clWindow));

    TGradientStyle style;
    style.setColorFrom(platform::clRed);
    style.setColorTo(platform::clBlue);
    style.setBorderColor(platform::clBlack);
    style.setDirection(true);
    a->setSelectionColors(&style);
    EXPECT_FALSE(a->SelectionColors()->Direction()); // the direction is not copied
    const QImage graded = a->viewport()->grab().toImage();
    const QRect row = a->ItemRect(1);
    EXPECT_EQ(graded.pixelColor(0, row.center().y()), QColor(0, 0, 0)); // the border
    const QColor top = graded.pixelColor(row.width() - 3, row.top() + 1);
    const QColor bottom = graded.pixelColor(row.width() - 3, row.bottom() - 1);
    EXPECT_GT(top.red(), bottom.red()); // vertical: red at the top, blue at the bottom
    EXPECT_LT(top.blue(), bottom.blue());
}

TEST_F(ListTest, HintsShowTheItemOrTheAnchorTarget)
{
    fill(a, {"<B>first</B> item", "see <A href=\"target\">link</A>"});
    a->setItemHint(true);
    auto hintAt = [&](QPoint pos) {
        QHelpEvent help(QEvent::ToolTip, pos, a->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(a->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hintAt(rowCenter(a, 0)), "first item");
    a->setHTMLHint(true);
    EXPECT_EQ(hintAt(rowCenter(a, 0)), "<B>first</B> item");
    a->setAnchorHint(true);
    QObject::connect(a, &THTMListBox::AnchorHintEvent, [](QObject*, int index, QString& anchor) { anchor += QString::number(index); });
    const QFontMetrics fm(fixedFont(), a->viewport());
    const QPoint onLink(2 + 1 + fm.horizontalAdvance("see ") + 3, a->ItemRect(1).center().y());
    EXPECT_EQ(hintAt(onLink), "target1");
    QToolTip::hideText();
}

TEST_F(ListTest, MovingOverAnAnchorReportsItAndShowsTheHand)
{
    fill(a, {"first item", "see <A href=\"target\">link</A>"});
    QSignalSpy enter(a, &THTMListBox::AnchorEnter);
    QSignalSpy exit(a, &THTMListBox::AnchorExit);
    auto moveTo = [&](QPoint pos) {
        QMouseEvent move(QEvent::MouseMove, pos, a->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(a->viewport(), &move);
    };
    const QFontMetrics fm(fixedFont(), a->viewport());
    const QPoint onLink(2 + 1 + fm.horizontalAdvance("see ") + 3, a->ItemRect(1).center().y());
    moveTo(onLink);
    ASSERT_EQ(enter.count(), 1);
    EXPECT_EQ(enter[0][1].toInt(), 1);
    EXPECT_EQ(enter[0][2].toString(), "target");
    EXPECT_EQ(a->viewport()->cursor().shape(), Qt::PointingHandCursor);
    moveTo(onLink + QPoint(1, 0)); // still the same anchor: nothing new
    EXPECT_EQ(enter.count(), 1);
    EXPECT_EQ(exit.count(), 0);
    moveTo(rowCenter(a, 0));
    ASSERT_EQ(exit.count(), 1);
    EXPECT_EQ(exit[0][2].toString(), "target");
    EXPECT_EQ(a->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ListTest, HorizontalScrollingCoversTheWidestItem)
{
    a->setScrollHorizontal(true);
    fill(a, {"short", QString(300, QChar('w'))});
    const int widest = a->GetMaxItemWidth();
    EXPECT_EQ(widest, QFontMetrics(fixedFont(), a->viewport()).horizontalAdvance(QString(300, QChar('w'))) + 6);
    EXPECT_EQ(a->horizontalScrollBar()->maximum(), widest - a->viewport()->width());
    a->Items().Delete(1);
    a->Items().Clear();
    EXPECT_EQ(a->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ListTest, ItemsAddedBeforeTheFirstResizeAreMeasuredAgain)
{
    QString tall;
    for (int i = 0; i < 30; ++i) tall += "line<BR>";
    const QStringList items = {tall, "a few words that wrap in a narrow list"};
    auto make = [&](bool fillFirst) {
        auto list = std::make_unique<THTMListBox>();
        list->setFont(fixedFont());
        list->setItemHeight(70);
        if (fillFirst) fill(list.get(), items);
        list->resize(150, 200);
        list->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(list.get()));
        QTest::qWait(10);
        if (!fillFirst) fill(list.get(), items);
        return list;
    };
    const auto before = make(true);
    const auto after = make(false);
    EXPECT_EQ(before->measuredHeight(0), after->measuredHeight(0));
    EXPECT_EQ(before->measuredHeight(0), after->viewport()->height() + 4); // capped by the client height
    EXPECT_EQ(before->measuredHeight(1), after->measuredHeight(1));
    after->resize(150, 400);
    QTest::qWait(10);
    EXPECT_EQ(after->measuredHeight(0), std::min(after->viewport()->height(), 251) + 4);
}

TEST_F(ListTest, AnImageListOrContainerThatGoesIsForgotten)
{
    auto* images = new TImageList(QSize(16, 16));
    QPixmap px(16, 16);
    px.fill(Qt::red);
    images->Add(px);
    auto* container = new TPictureContainer;
    a->setImages(images);
    a->setPictureContainer(container);
    fill(a, {"<IMG src=\"IDX:0\">x", "<IMG src=\"logo\">y"});
    QFontMetrics fm(fixedFont(), a->viewport());
    EXPECT_EQ(a->measuredHeight(0), std::max(16, fm.height() + std::max(0, fm.leading())) + 4);
    delete images;
    delete container;
    EXPECT_EQ(a->Images(), nullptr);
    EXPECT_EQ(a->PictureContainer(), nullptr);
    a->RemeasureItems();
    a->viewport()->grab();
    EXPECT_EQ(a->measuredHeight(0), fm.height() + std::max(0, fm.leading()) + 4);
}

TEST_F(ListTest, BlinkingTextComesAndGoes)
{
    fill(a, {"<BLINK>XXXXXXXXXXXX</BLINK>", "steady"});
    auto inked = [&] {
        const QImage img = a->viewport()->grab().toImage();
        const QRect row = a->ItemRect(0);
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = 3; x < 60; ++x)
                if (img.pixelColor(x, y).lightness() < 100) return true;
        return false;
    };
    EXPECT_TRUE(inked());
    a->setEnableBlink(true);
    bool sawBlank = false, sawInk = false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1600 && !(sawBlank && sawInk)) {
        QTest::qWait(50);
        (inked() ? sawInk : sawBlank) = true;
    }
    EXPECT_TRUE(sawBlank);
    EXPECT_TRUE(sawInk);
    a->setEnableBlink(false);
    EXPECT_TRUE(inked());
}

TEST_F(ListTest, AThumbnailMadeAnewIsShownAndMeasuredAgain)
{
    const QString host = world.writeHostFile("c/s/_THUMB_x.jpg", jpegBytes(93, 70, Qt::red));
    fill(a, {"<IMG src=\"file://C:\\s\\_THUMB_x.jpg\" align=\"top\">x.jpg"});
    EXPECT_EQ(a->measuredHeight(0), 74);
    a->viewport()->grab();
    // The picture is turned: a new thumbnail under the same name, taller and blue.
    world.writeHostFile("c/s/_THUMB_x.jpg", jpegBytes(53, 90, Qt::blue));
    struct timeval tv[2] = {{2000000, 0}, {2000000, 0}};
    ::utimes(host.toLocal8Bit().constData(), tv);
    a->viewport()->update();
    // The change is seen at a later turn of the event loop; a loaded machine may take a few.
    std::ignore = QTest::qWaitFor([&] { return a->measuredHeight(0) == 94; }, 60000);
    EXPECT_EQ(a->measuredHeight(0), 94);
    const QImage shown = a->viewport()->grab().toImage();
    const QColor c = shown.pixelColor(2 + 1 + 20, 40);
    EXPECT_GT(c.blue(), 200);
    EXPECT_LT(c.red(), 60);
}

// The marks above capitals (the dots of Ä, Ö, Ü) rise higher than the font's ascent in some
// fonts and sizes: a show item, whose text starts at the top of its thumbnail, keeps them whole
// inside its row.
TEST_F(ListTest, TheDotsOfCapitalUmlautsStayInsideTheItem)
{
    world.writeHostFile("c/s/_THUMB_x.jpg", jpegBytes(93, 70, Qt::white));
    const QString text = QString::fromUtf8("ÄÖÜ");
    std::vector<QFont> fonts{QApplication::font()};
    for (const char* family : {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"})
        for (int points : {7, 8, 9, 10, 12, 14}) fonts.emplace_back(QString::fromLatin1(family), points);
    for (const QFont& font : fonts) {
        SCOPED_TRACE(font.toString().toStdString());
        a->setFont(font);
        a->Items().Clear();
        // As the show list has them: the picture's name and its caption (no "|": it reaches higher).
        fill(a, {"<IMG src=\"file://C:\\s\\_THUMB_x.jpg\" align=\"top\">" + text + ".jpg",
                 "<IMG src=\"file://C:\\s\\_THUMB_x.jpg\" align=\"top\">" + text});
        const QImage shown = a->viewport()->grab().toImage();
        if (const QString dir = qEnvironmentVariable("QUORBEL_SHOTS"); !dir.isEmpty())
            shown.save(dir + "/umlauts-" + QString::number(font.pointSize()) + "-" + font.family().remove(' ') + ".png");
        // The same letters drawn where nothing can cut them: their ink from top to bottom.
        auto inkRows = [](const QImage& img, const QRect& area) {
            int first = -1, last = -1;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (qGray(img.pixel(x, y)) < 240) { // any ink, its smoothed edge too
                        if (first < 0) first = y;
                        last = y;
                        break;
                    }
            return std::pair(first, last);
        };
        auto freeInk = [&](const QString& letters) {
            QImage free(400, 200, QImage::Format_RGB32);
            free.fill(Qt::white);
            QPainter p(&free);
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(20, 120, letters);
            p.end();
            const auto [top, bottom] = inkRows(free, free.rect());
            return bottom - top;
        };
        for (int row = 0; row < 2; ++row) {
            SCOPED_TRACE(row);
            const QRect item = a->ItemRect(row);
            // The text beside the thumbnail, within the row.
            const QRect textArea(item.left() + 2 + 1 + 93, item.top(), item.width() - 96, item.height());
            const auto [top, bottom] = inkRows(shown, textArea);
            ASSERT_GE(top, 0);
            EXPECT_GT(top, item.top()); // a free row above the dots: nothing cut at the edge
            EXPECT_EQ(bottom - top, freeInk(row == 0 ? text + ".jpg" : text)); // every row of ink there
        }
    }
}
