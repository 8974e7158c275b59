// The items of both markup lists live in their model: whatever the lists' own calls do to the
// items (inserts, sorted inserts, deletes, moves, sorting, clears, duplicates taken out and put
// back), the rows a view reads from the model are the items and check states the list reports.
#include "controls/htmlchecklist.h"
#include "controls/htmlistbox.h"
#include "helpers.h"
#include "support/fixture.h"

#include <QAbstractItemModelTester>

#include <functional>

using namespace controls;
using namespace testhelp;

namespace {

// The rows as a view reads them: "text" or, with check states, "text=state" (0, 1, 2).
QStringList modelRows(const QAbstractItemModel& model, bool states)
{
    QStringList out;
    for (int i = 0; i < model.rowCount(); ++i) {
        const QModelIndex index = model.index(i, 0);
        QString row = index.data().toString();
        if (states) row += u'=' + QString::number(index.data(Qt::CheckStateRole).toInt());
        out << row;
    }
    return out;
}

// The same rows as the check list reports them through its own calls.
QStringList listRows(const THTMLCheckList& list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) {
        const int state = list.State(i) == cbChecked ? Qt::Checked : list.State(i) == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked;
        out << list.Items()[i] + u'=' + QString::number(state);
    }
    return out;
}

class MarkupListModelTest : public testsupport::WorldTest {};

// A change made through a list's own calls and the rows it leaves.
struct Step {
    const char* what;
    std::function<void()> act;
    QStringList rows;
};

TEST_F(MarkupListModelTest, CheckListRowsFollowEveryChange)
{
    THTMLCheckList list;
    list.resize(300, 200);
    // Checks every signal the model sends against the rows it reports (a fault aborts).
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const Step steps[] = {
        {"add", [&] { for (const char* t : {"b", "a", "c"}) list.Items().Add(t); }, {"b=0", "a=0", "c=0"}},
        {"check", [&] { list.setChecked(1, true); list.setState(2, cbGrayed); }, {"b=0", "a=2", "c=1"}},
        {"insert before", [&] { list.Items().Insert(0, "x"); }, {"x=0", "b=0", "a=2", "c=1"}},
        {"insert past the end", [&] { list.Items().Insert(99, "B"); }, {"x=0", "b=0", "a=2", "c=1", "B=0"}},
        {"delete", [&] { list.Items().Delete(1); list.Items().Delete(99); }, {"x=0", "a=2", "c=1", "B=0"}},
        {"sort", [&] { list.setSorted(true); }, {"a=2", "B=0", "c=1", "x=0"}},
        {"sorted insert", [&] { list.Items().Add("b"); }, {"a=2", "b=0", "B=0", "c=1", "x=0"}},
        {"duplicates out", [&] { list.setDuplicates(false); }, {"a=2", "b=0", "c=1", "x=0"}},
        // The kept item goes back to its sorted place: before the equal one.
        {"duplicates back", [&] { list.setDuplicates(true); }, {"a=2", "B=0", "b=0", "c=1", "x=0"}},
        {"header", [&] { list.setHeader(0, true); list.setLevel(1, 2); }, {"a=2", "B=0", "b=0", "c=1", "x=0"}},
        {"clear", [&] { list.Items().Clear(); }, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(modelRows(*list.model(), true), step.rows);
        EXPECT_EQ(listRows(list), step.rows);
    }
    const QModelIndex none = list.model()->index(0, 0);
    EXPECT_FALSE(none.isValid());
}

// Add gives the index the new item has, so that what is set through it (its level, its data, its
// check) lands on that item and no other, wherever the list put it.
TEST_F(MarkupListModelTest, CheckListAddGivesTheNewItemsOwnIndex)
{
    struct Case {
        const char* what;
        bool sorted, duplicates;
        const char* added;
        int landsAt;
        QStringList rows; // the items after the add
    };
    const Case cases[] = {
        {"unsorted, at the end", false, true, "a", 3, {"m", "c", "x", "a"}},
        {"unsorted, without duplicates", false, false, "a", 3, {"m", "c", "x", "a"}},
        {"sorted, at the front", true, true, "a", 0, {"a", "c", "m", "x"}},
        {"sorted, in the middle", true, true, "k", 1, {"c", "k", "m", "x"}},
        {"sorted, at the end", true, true, "z", 3, {"c", "m", "x", "z"}},
        {"sorted, before an equal text", true, true, "M", 1, {"c", "M", "m", "x"}},
        {"sorted without duplicates, at the front", true, false, "a", 0, {"a", "c", "m", "x"}},
        {"sorted without duplicates, in the middle", true, false, "k", 1, {"c", "k", "m", "x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        THTMLCheckList list;
        list.resize(300, 200);
        for (const char* t : {"m", "c", "x"}) list.Items().Add(t);
        list.setSorted(c.sorted);
        list.setDuplicates(c.duplicates);
        const int index = list.Items().Add(c.added);
        EXPECT_EQ(index, c.landsAt);
        EXPECT_EQ(list.Items().toStringList(), c.rows);
        list.setLevel(index, 2);
        list.setItemData(index, 7);
        list.setChecked(index, true);
        for (int i = 0; i < list.Count(); ++i) {
            const bool added = list.Items()[i] == QLatin1String(c.added);
            EXPECT_EQ(list.Level(i), added ? 2 : 0) << i;
            EXPECT_EQ(list.ItemData(i), added ? 7 : 0) << i;
            EXPECT_EQ(list.Checked(i), added) << i;
        }
    }
}

// Items kept aside while duplicates were off come back with their level and data, in a sorted
// list too, where they go back to their sorted place rather than to the end.
TEST_F(MarkupListModelTest, KeptItemsComeBackWithTheirLevelAndData)
{
    for (const bool sorted : {false, true}) {
        SCOPED_TRACE(sorted ? "sorted" : "unsorted");
        THTMLCheckList list;
        list.resize(300, 200);
        for (const char* t : {"b", "d", "B", "a"}) list.Items().Add(t);
        list.setLevel(2, 3);
        list.setItemData(2, 42);
        list.setSorted(sorted);
        list.setDuplicates(false);
        ASSERT_EQ(list.hiddenCount(), 1);
        list.setDuplicates(true);
        ASSERT_EQ(list.Count(), 4);
        EXPECT_EQ(list.Items().toStringList(), sorted ? QStringList({"a", "B", "b", "d"}) : QStringList({"b", "d", "a", "B"}));
        for (int i = 0; i < list.Count(); ++i) {
            const bool restored = list.Items()[i] == QLatin1String("B");
            EXPECT_EQ(list.Level(i), restored ? 3 : 0) << i;
            EXPECT_EQ(list.ItemData(i), restored ? 42 : 0) << i;
        }
    }
}

TEST_F(MarkupListModelTest, CheckRecordsShowInTheirRoles)
{
    THTMLCheckList list;
    for (const char* t : {"one", "two"}) list.Items().Add(t);
    list.setLevel(1, 3);
    list.setHeader(0, true);
    list.setItemEnabled(1, false);
    const QAbstractItemModel& model = *list.model();
    EXPECT_TRUE(model.index(0, 0).data(MarkupListModel::HeaderRole).toBool());
    EXPECT_EQ(model.index(0, 0).data(MarkupListModel::LevelRole).toInt(), 0);
    EXPECT_TRUE(model.index(0, 0).data(MarkupListModel::ItemEnabledRole).toBool());
    EXPECT_FALSE(model.index(1, 0).data(MarkupListModel::HeaderRole).toBool());
    EXPECT_EQ(model.index(1, 0).data(MarkupListModel::LevelRole).toInt(), 3);
    EXPECT_FALSE(model.index(1, 0).data(MarkupListModel::ItemEnabledRole).toBool());
    // A record belongs to its item: deleting the first moves the second's up with it.
    list.Items().Delete(0);
    EXPECT_EQ(list.Level(0), 3);
    EXPECT_FALSE(list.ItemEnabled(0));
    EXPECT_FALSE(list.Header(0));
}

TEST_F(MarkupListModelTest, ListBoxRowsFollowEveryChange)
{
    THTMListBox list;
    list.setFont(fixedFont());
    list.resize(300, 200);
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const Step steps[] = {
        {"add", [&] { for (const char* t : {"b", "<b>a</b>", "c"}) list.Items().Add(t); }, {"b", "<b>a</b>", "c"}},
        {"insert", [&] { list.Items().Insert(1, "d<br>two lines"); }, {"b", "d<br>two lines", "<b>a</b>", "c"}},
        {"move", [&] { list.Items().Move(0, 3); }, {"d<br>two lines", "<b>a</b>", "c", "b"}},
        {"set", [&] { list.Items().setStrings(2, "e"); }, {"d<br>two lines", "<b>a</b>", "e", "b"}},
        {"sort", [&] { list.Sort(); }, {"<b>a</b>", "b", "d<br>two lines", "e"}},
        {"delete", [&] { list.Items().Delete(0); }, {"b", "d<br>two lines", "e"}},
        {"clear", [&] { list.Items().Clear(); }, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(modelRows(*list.model(), false), step.rows);
        EXPECT_EQ(list.Items().toStringList(), step.rows);
        // Each row is as high as its item was measured: the two-line item twice the others.
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list.model()->index(i, 0).data(MarkupListModel::ExtentRole).toSize().height(), list.measuredHeight(i));
        if (step.rows.contains("b") && step.rows.contains("d<br>two lines")) {
            EXPECT_GT(list.measuredHeight(int(step.rows.indexOf("d<br>two lines"))),
                      list.measuredHeight(int(step.rows.indexOf("b"))) + 8);
        }
    }
}

} // namespace
