#include "controls/htmlchecklist.h"
#include "helpers.h"
#include "support/fixture.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace controls;
using namespace testhelp;

namespace {

// A shown check list of five pictures, as the print selection holds them.
class CheckListTest : public testsupport::WorldTest {
protected:
    THTMLCheckList list;
    void SetUp() override
    {
        list.setFont(fixedFont());
        list.setItemHeight(40);
        list.resize(400, 300);
        for (const char* name : {"a.jpg | one", "b.jpg | two", "c.jpg | three", "d.jpg | four", "e.jpg | five"}) list.Items().Add(name);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QPoint checkPoint(int i) { return list.CheckBoxRect(i).center(); }
    QPoint textPoint(int i) { return QPoint(list.CheckArea(i) + 60, list.ItemRect(i).center().y()); }
    void click(const QPoint& p) { QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, p); }
};

TEST_F(CheckListTest, CheckedItemsComeInListOrder)
{
    EXPECT_EQ(list.CheckedCount(), 0);
    EXPECT_EQ(list.CheckedItem(0), "");
    list.setChecked(3, true);
    list.setChecked(1, true);
    EXPECT_EQ(list.CheckedCount(), 2);
    EXPECT_EQ(list.CheckedItem(0), "b.jpg | two");
    EXPECT_EQ(list.CheckedItem(1), "d.jpg | four");
    EXPECT_EQ(list.CheckedItem(2), "");
    // A grayed item is not checked.
    list.setState(0, cbGrayed);
    EXPECT_EQ(list.CheckedCount(), 2);
}

TEST_F(CheckListTest, TheCheckBoxTogglesTheTextSelects)
{
    QSignalSpy checks(&list, &THTMLCheckList::CheckClick);
    QSignalSpy downs(&list, &THTMLCheckList::MouseDown);
    click(textPoint(2));
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(list.State(2), cbUnchecked);
    EXPECT_EQ(checks.count(), 0);
    click(checkPoint(2));
    EXPECT_EQ(list.State(2), cbChecked);
    EXPECT_EQ(checks.count(), 1);
    EXPECT_EQ(downs.count(), 2);
    click(checkPoint(2));
    EXPECT_EQ(list.State(2), cbUnchecked);
    EXPECT_EQ(checks.count(), 2);
}

TEST_F(CheckListTest, GrayedCyclesWhenAllowed)
{
    list.setAllowGrayed(true);
    std::vector<TCheckBoxState> seen;
    for (int i = 0; i < 3; ++i) {
        click(checkPoint(0));
        seen.push_back(list.State(0));
    }
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
}

TEST_F(CheckListTest, HeadersDisabledItemsAndIndents)
{
    const int cw = list.CheckWidth();
    EXPECT_EQ(cw, list.CheckBoxSize().width() + 2);

    // A header has no check box, starts at the item's edge and never counts as checked.
    list.setHeader(0, true);
    EXPECT_EQ(list.CheckArea(0), 0);
    list.setState(0, cbChecked);
    EXPECT_FALSE(list.Checked(0));
    EXPECT_EQ(list.CheckedCount(), 0);
    click(QPoint(3, list.ItemRect(0).center().y()));
    EXPECT_EQ(list.State(0), cbChecked); // untouched

    // A disabled item is not toggled.
    list.setItemEnabled(1, false);
    click(checkPoint(1));
    EXPECT_EQ(list.State(1), cbUnchecked);

    // Level 2: the box sits in the third slot; the indent before it does nothing.
    list.setLevel(2, 2);
    EXPECT_EQ(list.CheckArea(2), 3 * cw);
    EXPECT_EQ(list.CheckBoxRect(2).left(), 2 * cw);
    click(QPoint(cw / 2, list.ItemRect(2).center().y()));
    EXPECT_EQ(list.State(2), cbUnchecked);
    click(checkPoint(2));
    EXPECT_EQ(list.State(2), cbChecked);
}

TEST_F(CheckListTest, PlainTextAndBadIndex)
{
    list.Items().Add("<B>bold</B> text<BR>two");
    EXPECT_EQ(list.GetTextItem(5), "bold text\r\ntwo");
    for (int bad : {-1, 6}) {
        try {
            list.GetTextItem(bad);
            ADD_FAILURE() << bad;
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "Item index out of range");
        }
    }
    // Items without a record read as the defaults; asking for a missing one does not throw.
    EXPECT_EQ(list.Level(4), 0);
    EXPECT_EQ(list.ItemData(99), 0);
    EXPECT_TRUE(list.ItemEnabled(99));
}

TEST_F(CheckListTest, DuplicatesAreKeptAsideAndComeBack)
{
    list.Items().Add("B.JPG | TWO");
    list.Items().Add("a.jpg | one");
    list.setLevel(5, 1);
    list.setItemData(5, 77);
    list.setChecked(5, true);
    list.setDuplicates(false);
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.hiddenCount(), 2);
    EXPECT_EQ(list.CheckedCount(), 0);
    list.setDuplicates(true);
    ASSERT_EQ(list.Count(), 7);
    EXPECT_EQ(list.Items()[5], "B.JPG | TWO");
    EXPECT_EQ(list.Items()[6], "a.jpg | one");
    EXPECT_EQ(list.Level(5), 1);
    EXPECT_EQ(list.ItemData(5), 77);
    EXPECT_EQ(list.State(5), cbUnchecked); // the check state was dropped
}

TEST_F(CheckListTest, ThumbnailsLiveWithTheirItems)
{
    const QString host = world.writeHostFile("c/t/_THUMB_a.jpg", jpegBytes(60, 40));
    Q_UNUSED(host);
    list.Items().Clear();
    list.Items().Add(R"(<IMG src="file://C:\t\_THUMB_a.jpg" align="top">a.jpg | one)");
    EXPECT_EQ(list.pictureCache().Count(), 1);
    QCoreApplication::processEvents();
    QImage shot = list.viewport()->grab().toImage();
    if (qEnvironmentVariableIsSet("CHECKLIST_SHOT")) shot.save("/tmp/checklist_shot.png");
    // The thumbnail is drawn right of the check box, 2 pixels in.
    const QColor c = shot.pixelColor(list.CheckArea(0) + 2 + 30, 2 + 20);
    EXPECT_GT(c.red(), 150);
    EXPECT_LT(c.green(), 100);
    list.Items().Clear();
    EXPECT_EQ(list.pictureCache().Count(), 0);
}

TEST_F(CheckListTest, CheckedBoxIsDrawnDifferently)
{
    auto boxPixels = [this](int i) {
        QCoreApplication::processEvents();
        const QImage shot = list.viewport()->grab().toImage();
        return shot.copy(list.CheckBoxRect(i));
    };
    const QImage before = boxPixels(0);
    list.setChecked(0, true);
    EXPECT_NE(boxPixels(0), before);
    EXPECT_EQ(boxPixels(1), before); // an unchecked twin looks the same as before
}

} // namespace

namespace {

TEST_F(CheckListTest, AnchorsBeyondTheCheckBox)
{
    list.Items().Clear();
    list.Items().Add(R"(<A href="next">go on</A> and text)");
    QSignalSpy anchors(&list, &THTMLCheckList::AnchorClick);
    QSignalSpy checks(&list, &THTMLCheckList::CheckClick);
    // The anchor's text starts 2 pixels after the check area.
    QString anchor;
    int index = -1;
    const int y = list.ItemRect(0).top() + 2 + 6;
    list.AnchorAt(list.CheckArea(0) + 2 + 4, y, anchor, index);
    EXPECT_EQ(anchor, "next");
    EXPECT_EQ(index, 0);
    list.AnchorAt(list.CheckArea(0) - 4, y, anchor, index);
    EXPECT_EQ(anchor, "");
    click(QPoint(list.CheckArea(0) + 2 + 4, y));
    ASSERT_EQ(anchors.count(), 1);
    EXPECT_EQ(anchors[0][2].toString(), "next");
    EXPECT_EQ(checks.count(), 0);
}

TEST_F(CheckListTest, MovingOverAnAnchorReportsItAndShowsTheHand)
{
    list.Items().Clear();
    list.Items().Add(R"(<A href="next">go on</A> and text)");
    list.Items().Add("plain");
    QSignalSpy enter(&list, &THTMLCheckList::AnchorEnter);
    QSignalSpy exit(&list, &THTMLCheckList::AnchorExit);
    auto moveTo = [&](QPoint pos) {
        QMouseEvent move(QEvent::MouseMove, pos, list.viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &move);
    };
    const QPoint onLink(list.CheckArea(0) + 2 + 4, list.ItemRect(0).top() + 2 + 6);
    moveTo(onLink);
    ASSERT_EQ(enter.count(), 1);
    EXPECT_EQ(enter[0][1].toInt(), 0);
    EXPECT_EQ(enter[0][2].toString(), "next");
    EXPECT_EQ(list.viewport()->cursor().shape(), Qt::PointingHandCursor);
    moveTo(onLink + QPoint(1, 0)); // still the same anchor: nothing new
    EXPECT_EQ(enter.count(), 1);
    EXPECT_EQ(exit.count(), 0);
    moveTo(textPoint(1));
    ASSERT_EQ(exit.count(), 1);
    EXPECT_EQ(exit[0][2].toString(), "next");
    EXPECT_EQ(list.viewport()->cursor().shape(), Qt::ArrowCursor);

    // Losing the focus takes the hand away while the mouse stays on the anchor.
    moveTo(onLink);
    EXPECT_EQ(enter.count(), 2);
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(&list, &out);
    EXPECT_EQ(list.viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(CheckListTest, HintsShowTheItemAfterTheCheckAreaOrTheAnchorTarget)
{
    list.Items().Clear();
    list.Items().Add("<B>first</B> item");
    list.Items().Add(R"(<A href="target">link</A>)");
    list.setItemHint(true);
    auto hintAt = [&](QPoint pos) {
        QHelpEvent help(QEvent::ToolTip, pos, list.viewport()->mapToGlobal(pos));
        QApplication::sendEvent(list.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hintAt(textPoint(0)), "first item");
    list.setHTMLHint(true);
    EXPECT_EQ(hintAt(textPoint(0)), "<B>first</B> item");
    list.setAnchorHint(true);
    QObject::connect(&list, &THTMLCheckList::AnchorHintEvent, [](QObject*, int index, QString& anchor) { anchor += QString::number(index); });
    EXPECT_EQ(hintAt(QPoint(list.CheckArea(1) + 2 + 4, list.ItemRect(1).top() + 2 + 6)), "target1");
    QToolTip::hideText();
}

TEST_F(CheckListTest, ASortedListKeepsItsOrderIgnoringCase)
{
    list.Items().Clear();
    for (const char* t : {"b.jpg", "C.jpg", "a.jpg"}) list.Items().Add(t);
    list.setChecked(0, true); // b
    list.setSorted(true);
    EXPECT_EQ(list.Items().toStringList(), QStringList({"a.jpg", "b.jpg", "C.jpg"}));
    EXPECT_EQ(list.CheckedItem(0), "b.jpg"); // the record moves with its item
    list.Items().Add("B2.jpg");
    EXPECT_EQ(list.Items().toStringList(), QStringList({"a.jpg", "b.jpg", "B2.jpg", "C.jpg"}));
}

TEST_F(CheckListTest, IntegralHeightShowsOnlyWholeRows)
{
    const int frame = 2 * list.frameWidth();
    ASSERT_EQ(list.height(), 300);
    list.setIntegralHeight(true);
    EXPECT_EQ(list.height(), frame + 7 * 40) << "300 holds seven rows of 40";
    struct Case {
        int asked, itemHeight, rows;
    };
    for (const Case& c : {Case{139, 40, 3}, Case{10, 40, 1}, Case{400, 70, 5}, Case{frame + 80, 40, 2}}) {
        list.setItemHeight(c.itemHeight);
        list.resize(400, c.asked);
        QCoreApplication::processEvents();
        EXPECT_EQ(list.height(), frame + c.rows * c.itemHeight) << c.asked;
        // The last row that shows ends at the viewport's bottom, not beyond it.
        EXPECT_EQ(list.ItemRect(c.rows - 1).bottom() + 1, list.viewport()->height()) << c.asked;
    }
    list.setIntegralHeight(false);
    list.resize(400, 139);
    EXPECT_EQ(list.height(), 139);
}

TEST_F(CheckListTest, TabWidthSetsWhereTabbedTextContinues)
{
    list.Items().Clear();
    list.Items().Add("a\t<A href=\"after\">tabbed</A>");
    const int quarter = QFontMetrics(list.font()).averageCharWidth();
    const int left = list.CheckArea(0) + 2, y = list.ItemRect(0).top() + 2 + 6;
    auto anchorAt = [&](int x) {
        QString anchor;
        int index = -1;
        list.AnchorAt(x, y, anchor, index);
        return anchor;
    };
    const int stop = 160 * quarter / 4;
    // 0: the font's own stops, well before 40 characters.
    EXPECT_EQ(list.tabStopPixels(), 0);
    EXPECT_EQ(anchorAt(left + stop + 3), "");

    list.setTabWidth(160); // dialog units: 40 average characters
    EXPECT_EQ(list.tabStopPixels(), stop);
    EXPECT_EQ(anchorAt(left + stop - 4), "");
    EXPECT_EQ(anchorAt(left + stop + 3), "after");

    // What shows: nothing is drawn between the "a" and the stop; the anchor's text starts there.
    QCoreApplication::processEvents();
    const QImage shot = list.viewport()->grab().toImage();
    const QColor ground = shot.pixelColor(list.width() - 10, list.ItemRect(0).center().y());
    auto inkBetween = [&](int x1, int x2) {
        int ink = 0;
        for (int x = x1; x < x2; ++x)
            for (int yy = list.ItemRect(0).top() + 3; yy < list.ItemRect(0).top() + 20; ++yy)
                if (shot.pixelColor(x, yy) != ground) ++ink;
        return ink;
    };
    EXPECT_EQ(inkBetween(left + 3 * quarter, left + stop - 1), 0);
    EXPECT_GT(inkBetween(left + stop, left + stop + 4 * quarter), 0);
}

TEST_F(CheckListTest, MeasureItemSetsTheOneRowHeight)
{
    std::vector<std::pair<int, int>> asked;
    list.setOnMeasureItem([&](THTMLCheckList& sender, int index, int& height) {
        EXPECT_EQ(&sender, &list);
        asked.emplace_back(index, height);
        height += 15;
    });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(0, 40));
    EXPECT_EQ(list.rowHeight(), 55);
    EXPECT_EQ(list.ItemHeight(), 40);
    EXPECT_EQ(list.ItemRect(1).top(), 55);
    list.setItemHeight(70);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], std::make_pair(0, 70));
    EXPECT_EQ(list.ItemRect(2).top(), 2 * 85);
    // A height out of range is kept within 1 .. 255.
    list.setOnMeasureItem([](THTMLCheckList&, int, int& height) { height = 1000; });
    EXPECT_EQ(list.rowHeight(), 255);
    list.setOnMeasureItem(nullptr);
    EXPECT_EQ(list.rowHeight(), 70);
    EXPECT_EQ(list.ItemRect(1).top(), 70);
}

} // namespace
