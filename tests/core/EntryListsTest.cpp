#include "core/EntryLists.h"
#include "support/CorePrinters.h"

#include <gtest/gtest.h>

namespace {

ClipboardEntry entry(const QString &id, ClipboardKind kind = ClipboardKind::Text, bool pinned = false)
{
    ClipboardEntry e;
    e.id = id;
    e.text = id;
    e.kind = kind;
    e.isPinned = pinned;
    return e;
}

QStringList idsOf(const QList<ClipboardEntry> &list)
{
    QStringList ids;
    for (const ClipboardEntry &e : list)
        ids.append(e.id);
    return ids;
}

QStringList idsOf(const QList<ClipboardJar> &list)
{
    QStringList ids;
    for (const ClipboardJar &j : list)
        ids.append(j.id);
    return ids;
}

// History newest first: t (text), p (pinned), s (in the stack), c (consumed), j (in a Jar),
// i (image), f (file), ij (image in a Jar).
const QList<ClipboardEntry> kHistory{
    entry("t"), entry("p", ClipboardKind::Text, true), entry("s"), entry("c"), entry("j"),
    entry("i", ClipboardKind::Image), entry("f", ClipboardKind::File), entry("ij", ClipboardKind::Image),
    entry("u", ClipboardKind::Url),
};
const QStringList kStack{"s", "gone"};
const QSet<QString> kConsumed{"c"};
const QList<ClipboardJar> kJars{{"J1", "Work", {"j", "ij"}}, {"J2", "Home", {"missing"}}};

TEST(EntryLists, EachListKeepsHistoryOrderAndLeavesOutWhatItMust)
{
    struct Case {
        const char *name;
        QList<ClipboardEntry> list;
        QStringList expected;
    };
    const Case cases[] = {
        // Pinned, queued and used-up entries have their own sections.
        {"clipboard", EntryLists::clipboardEntries(kHistory, kStack, kConsumed),
         {"t", "j", "i", "f", "ij", "u"}},
        // A clear spares images and whatever a Jar or the stack keeps; consumed entries are not shown.
        {"clearable clipboard", EntryLists::clearableClipboardEntries(kHistory, kStack, kConsumed, kJars),
         {"t", "f", "u"}},
        // The history clear also takes consumed entries; pins, images and saved ones stay.
        {"clearable history", EntryLists::clearableHistoryEntries(kHistory, kStack, kJars), {"t", "c", "f", "u"}},
        {"empty history", EntryLists::clipboardEntries({}, kStack, kConsumed), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(idsOf(c.list), c.expected) << c.name;
}

TEST(EntryLists, SavedIdsAreTheStackAndEveryJar)
{
    EXPECT_EQ(EntryLists::savedEntryIDs(kStack, kJars), (QSet<QString>{"s", "gone", "j", "ij", "missing"}));
    EXPECT_TRUE(EntryLists::savedEntryIDs({}, {}).isEmpty());
}

TEST(EntryLists, IdsTurnIntoEntriesInTheIdsOrderSkippingMissingOnes)
{
    ClipboardEntry firstDuplicate = entry("d");
    firstDuplicate.text = "first";
    ClipboardEntry secondDuplicate = entry("d");
    secondDuplicate.text = "second";
    const QList<ClipboardEntry> history{entry("a"), firstDuplicate, entry("b"), secondDuplicate};
    struct Case {
        const char *name;
        QStringList ids;
        QStringList expected;
    };
    const Case cases[] = {
        {"reordered", {"b", "a"}, {"b", "a"}},
        {"missing skipped", {"x", "a", "y"}, {"a"}},
        {"none", {}, {}},
        {"repeated id listed twice", {"a", "a"}, {"a", "a"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(idsOf(EntryLists::entriesWithIDs(history, c.ids)), c.expected) << c.name;
    // With two entries of one id, the one nearer the top is the one shown.
    EXPECT_EQ(EntryLists::entriesWithIDs(history, {"d"}).value(0).text, "first");
}

TEST(EntryLists, JarsFilterByNameRegardlessOfCase)
{
    const QList<ClipboardJar> jars{{"1", "Práca", {}}, {"2", "Domov", {}}, {"3", "PRÁCA doma", {}}};
    struct Case {
        const char *name;
        QString search;
        QStringList expected;
    };
    const Case cases[] = {
        {"empty shows all", "", {"1", "2", "3"}},
        {"case folded", "prá", {"1", "3"}},
        {"decomposed accent matches composed", QString("pra\u0301ca"), {"1", "3"}},
        {"middle of the name", "OMO", {"2"}},
        {"nothing", "xyz", {}},
        {"spaces are not trimmed", " Domov", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(idsOf(EntryLists::filteredJars(jars, c.search)), c.expected) << c.name;
}

} // namespace
