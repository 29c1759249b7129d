#include "core/EntryLists.h"
#include "support/CorePrinters.h"

#include <gtest/gtest.h>

namespace {

ClipboardEntry entry(const QString &id)
{
    ClipboardEntry e;
    e.id = id;
    e.text = id;
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
