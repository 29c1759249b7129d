// The library list's rows: a published change becomes rows inserted and removed.
#include "../engine/EngineTestSupport.h"
#include "support/FakePanelSheets.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"

#include <QAbstractItemModelTester>
#include <QListView>
#include <QPersistentModelIndex>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QList<ClipboardEntry> entriesNamed(const QStringList &ids)
{
    QList<ClipboardEntry> entries;
    for (const QString &id : ids) {
        ClipboardEntry entry;
        entry.id = id;
        entry.text = QStringLiteral("text of ") + id;
        entries.append(entry);
    }
    return entries;
}

QStringList idsIn(const EntryListModel &model)
{
    QStringList ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.append(model.entryAt(row)->id);
    return ids;
}

// The first and last row of each insertion or removal a spy saw, in order.
QList<std::pair<int, int>> rowRanges(const QSignalSpy &spy)
{
    QList<std::pair<int, int>> ranges;
    for (const QList<QVariant> &signal : spy)
        ranges.append({signal.at(1).toInt(), signal.at(2).toInt()});
    return ranges;
}

TEST(EntryListModel, ChangesBecomeInsertedAndRemovedRowsThatKeepTheCurrentRow)
{
    struct Case {
        const char *name;
        QStringList before;
        QStringList after;
        QList<std::pair<int, int>> inserted; // first and last row of each insertion, in order
        QList<std::pair<int, int>> removed;
        bool reset;
    };
    const Case cases[] = {
        {"a copy at the limit", {"a", "b", "c", "d"}, {"x", "a", "b", "c"}, {{0, 0}}, {{4, 4}}, false},
        {"a late copy below newer ones", {"x", "a", "b"}, {"x", "y", "a", "b"}, {{1, 1}}, {}, false},
        {"two rows deleted apart", {"a", "b", "c", "d", "e"}, {"a", "c", "e"}, {}, {{1, 1}, {2, 2}}, false},
        {"a run replaced", {"a", "b", "c", "d"}, {"a", "x", "y", "d"}, {{1, 2}}, {{1, 2}}, false},
        {"a run of several replaced", {"a", "b", "c", "d", "e", "f", "g"}, {"a", "x", "y", "z", "e", "f", "g"},
         {{1, 3}}, {{1, 3}}, false},
        {"mostly new", {"a", "b", "c"}, {"x", "y", "c"}, {}, {}, true},
        {"a move far down", {"a", "b", "c"}, {"c", "a", "b"}, {}, {}, true},
        {"a repeated id", {"a", "b"}, {"x", "x", "a"}, {}, {}, true},
    };
    for (const Case &c : cases) {
        EntryListModel model;
        model.setEntries(entriesNamed(c.before));
        // The row the person is on, kept by the view as a persistent index.
        const QPersistentModelIndex current = model.index(int(c.before.size()) - 1);
        const QString currentID = c.before.last();
        QSignalSpy inserted(&model, &EntryListModel::rowsInserted);
        QSignalSpy removed(&model, &EntryListModel::rowsRemoved);
        QSignalSpy reset(&model, &EntryListModel::modelReset);
        model.setEntries(entriesNamed(c.after));

        EXPECT_EQ(idsIn(model), c.after) << c.name;
        EXPECT_EQ(model.entryAt(0)->text, QStringLiteral("text of ") + c.after.first()) << c.name;
        EXPECT_EQ(reset.size(), c.reset ? 1 : 0) << c.name;
        EXPECT_EQ(rowRanges(inserted), c.inserted) << c.name;
        EXPECT_EQ(rowRanges(removed), c.removed) << c.name;
        if (!c.reset && c.after.contains(currentID)) {
            EXPECT_EQ(current.row(), model.rowOf(currentID)) << c.name;
        }
    }
}

TEST(EntryListModel, AViewKeepsItsCurrentRowAndScrollAcrossACopy)
{
    QStringList ids;
    for (int i = 0; i < 60; ++i)
        ids.append(QStringLiteral("e%1").arg(i));
    EntryListModel model;
    model.setEntries(entriesNamed(ids));
    QListView view;
    view.setModel(&model);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.resize(200, 150);
    view.show();
    view.setCurrentIndex(model.index(30));
    view.scrollTo(model.index(30), QAbstractItemView::PositionAtTop);
    const int scrolled = view.verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    ids.prepend(QStringLiteral("copy"));
    ids.removeLast();
    model.setEntries(entriesNamed(ids));
    EXPECT_EQ(view.currentIndex().row(), 31);
    EXPECT_EQ(model.entryAt(view.currentIndex().row())->id, QStringLiteral("e30"));
    // A reset would have sent the list back to its top.
    EXPECT_GE(view.verticalScrollBar()->value(), scrolled);
}

// Row edits replayed on the listed rows: each edit is one signal, inserted rows take the entry
// that ends up in their place, and edits that do not lead to the given list change nothing.
TEST(EntryListModel, RowEditsBecomeTheSameInsertionsAndRemovalsOrAreRefused)
{
    using Kind = HistoryRowEdit::Kind;
    struct Case {
        const char *name;
        QStringList after;
        QList<HistoryRowEdit> edits;
        bool applied;
        QList<std::pair<int, int>> inserted;
        QList<std::pair<int, int>> removed;
    };
    const QStringList before{"a", "b", "c", "d"};
    const Case cases[] = {
        {"a copy at the limit", {"x", "a", "b", "c"}, {{Kind::Inserted, 0, 1}, {Kind::Removed, 4, 1}}, true, {{0, 0}}, {{4, 4}}},
        {"two copies, the first trimmed again", {"y", "a", "b", "c", "d"}, {{Kind::Inserted, 0, 1}, {Kind::Inserted, 0, 1}, {Kind::Removed, 1, 1}}, true, {{0, 0}, {0, 0}}, {{1, 1}}},
        {"a late copy and a trim of two", {"a", "x", "b"}, {{Kind::Inserted, 1, 1}, {Kind::Removed, 3, 2}}, true, {{1, 1}}, {{3, 4}}},
        {"nothing", before, {}, true, {}, {}},
        {"a count that does not add up", {"x", "a", "b", "c"}, {{Kind::Inserted, 0, 1}}, false, {}, {}},
        {"a row past the end", {"a", "b", "c"}, {{Kind::Removed, 3, 2}}, false, {}, {}},
        {"the wrong row taken out", {"x", "a", "b", "d"}, {{Kind::Inserted, 0, 1}, {Kind::Removed, 4, 1}}, false, {}, {}},
    };
    for (const Case &c : cases) {
        EntryListModel model;
        model.setEntries(entriesNamed(before));
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QSignalSpy inserted(&model, &EntryListModel::rowsInserted);
        QSignalSpy removed(&model, &EntryListModel::rowsRemoved);
        QSignalSpy changed(&model, &EntryListModel::dataChanged);
        EXPECT_EQ(model.applyRowEdits(entriesNamed(c.after), c.edits), c.applied) << c.name;

        EXPECT_EQ(idsIn(model), c.applied ? c.after : before) << c.name;
        for (int row = 0; row < model.rowCount(); ++row)
            EXPECT_EQ(model.entryAt(row)->text, QStringLiteral("text of ") + idsIn(model).at(row)) << c.name;
        EXPECT_EQ(rowRanges(inserted), c.inserted) << c.name;
        EXPECT_EQ(rowRanges(removed), c.removed) << c.name;
        EXPECT_TRUE(changed.isEmpty()) << c.name;
    }
}

struct ListedHistory {
    ModelHarness harness;
    testsupport::FakePanelSheets sheets;
    std::unique_ptr<EntryList> list;

    explicit ListedHistory(int entries)
    {
        QList<ClipboardEntry> history;
        for (int i = 0; i < entries; ++i)
            history.append(makeEntry(QStringLiteral("E%1").arg(i)));
        ClipboardModel &model = harness.make();
        model.setHistoryLimit(entries);
        model.setEntries(history);
        model.setSelectedTab(ClipboardPanelTab::History);
        list = std::make_unique<EntryList>(model, sheets, false);
    }
    ClipboardModel &model() { return *harness.model; }
    EntryListModel &rows() { return *list->listModel(); }
    // Waits for the list's queued refresh, then tells whether it shows the history as it is.
    bool showsHistory()
    {
        const auto same = [this] {
            if (rows().rowCount() != model().entries().size())
                return false;
            for (int row = 0; row < rows().rowCount(); ++row) {
                const ClipboardEntry &listed = *rows().entryAt(row);
                const ClipboardEntry &entry = model().entries().at(row);
                if (listed.id != entry.id || listed.text != entry.text || listed.isPinned != entry.isPinned)
                    return false;
            }
            return true;
        };
        return QTest::qWaitFor(same, 2000);
    }
};

TEST(EntryListModel, ACopyIntoALongHistoryInsertsItsRowAndRemovesOnlyTheTrimmedOne)
{
    ListedHistory h(3000);
    ASSERT_TRUE(h.showsHistory());
    QAbstractItemModelTester tester(&h.rows(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&h.rows(), &EntryListModel::rowsInserted);
    QSignalSpy removed(&h.rows(), &EntryListModel::rowsRemoved);
    QSignalSpy reset(&h.rows(), &EntryListModel::modelReset);
    QSignalSpy changed(&h.rows(), &EntryListModel::dataChanged);

    h.harness.copyText(QStringLiteral("a new copy"));
    ASSERT_TRUE(h.showsHistory());
    ASSERT_EQ(h.rows().rowCount(), 3000);
    EXPECT_EQ(h.rows().entryAt(0)->text, QStringLiteral("a new copy"));
    EXPECT_EQ(h.rows().entryAt(2999)->id, QStringLiteral("E2998"));
    EXPECT_EQ(rowRanges(inserted), (QList<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(rowRanges(removed), (QList<std::pair<int, int>>{{3000, 3000}}));
    EXPECT_TRUE(reset.isEmpty());
    // The rows the copy kept were not compared and announced again.
    EXPECT_TRUE(changed.isEmpty());
}

// Copies and trims are followed row by row; pins and deletions are compared. Whichever road
// each change took, the rows show the history's entries as they are now.
TEST(EntryListModel, RowsStayTheHistoryAcrossCopiesPinsDeletionsAndTrims)
{
    ListedHistory h(30);
    QAbstractItemModelTester tester(&h.rows(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ClipboardModel &model = h.model();
    const auto entry = [&model](int row) { return model.entries().at(row); };
    const std::function<void()> steps[] = {
        [&] { h.harness.copyText(QStringLiteral("one")); },
        [&] { model.togglePin(entry(29)); },
        [&] { h.harness.copyText(QStringLiteral("two")); },
        [&] { h.harness.copyText(QStringLiteral("three")); },
        [&] { model.deleteEntry(entry(10)); },
        [&] { h.harness.copyText(QStringLiteral("four")); },
        [&] { model.setHistoryLimit(20); },
        [&] {
            h.harness.copyText(QStringLiteral("five"));
            h.harness.copyText(QStringLiteral("six"));
        },
        [&] { model.togglePin(entry(0)); },
        [&] { h.harness.copyText(QStringLiteral("seven")); },
    };
    int step = 0;
    for (const auto &change : steps) {
        change();
        EXPECT_TRUE(h.showsHistory()) << "after step " << step;
        ++step;
    }
    EXPECT_EQ(model.entries().size(), 20);
    EXPECT_TRUE(h.rows().entryAt(1)->isPinned);
    EXPECT_EQ(h.rows().entryAt(1)->text, QStringLiteral("six"));
}

// What the rows say to a screen reader (and to anything that reads their text) is the preview
// line, of the beginning only of a long copy.
TEST(EntryListModel, RowTextIsThePreviewLineOfTheBeginningOfTheText)
{
    QList<ClipboardEntry> entries = entriesNamed({"short", "long"});
    entries[0].text = QStringLiteral("dva\nriadky");
    entries[1].text = QStringLiteral("dlhý riadok\n").repeated(200'000);
    EntryListModel model;
    model.setEntries(entries);
    for (const int role : {int(Qt::DisplayRole), int(Qt::AccessibleTextRole)}) {
        EXPECT_EQ(model.data(model.index(0), role).toString(), QStringLiteral("dva riadky"));
        const QString shown = model.data(model.index(1), role).toString();
        EXPECT_EQ(shown, entries[1].boundedPreview());
        EXPECT_LT(shown.size(), entries[1].text.size() / 10);
        EXPECT_TRUE(shown.startsWith(QStringLiteral("dlhý riadok dlhý riadok ")));
    }
}

} // namespace
