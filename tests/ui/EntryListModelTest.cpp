// The library list's rows: a published change becomes rows inserted and removed.
#include "ui/library/EntryListModel.h"

#include <QListView>
#include <QPersistentModelIndex>
#include <QScrollBar>
#include <QSignalSpy>

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
        QList<std::pair<int, int>> insertedRows;
        for (const QList<QVariant> &signal : inserted)
            insertedRows.append({signal.at(1).toInt(), signal.at(2).toInt()});
        QList<std::pair<int, int>> removedRows;
        for (const QList<QVariant> &signal : removed)
            removedRows.append({signal.at(1).toInt(), signal.at(2).toInt()});
        EXPECT_EQ(insertedRows, c.inserted) << c.name;
        EXPECT_EQ(removedRows, c.removed) << c.name;
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
