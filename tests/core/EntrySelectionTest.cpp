#include "core/EntrySelection.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

QList<ClipboardEntry> listOf(const QStringList &ids)
{
    QList<ClipboardEntry> list;
    for (const QString &id : ids) {
        ClipboardEntry e;
        e.id = id;
        list.append(e);
    }
    return list;
}

TEST(EntrySelection, MovesWithinTheListStoppingAtTheEnds)
{
    const QList<ClipboardEntry> abc = listOf({"a", "b", "c"});
    struct Case {
        const char *name;
        std::optional<QString> selected;
        int direction;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"down", "a", 1, "b"},
        {"up", "b", -1, "a"},
        {"down at the end stays", "c", 1, "c"},
        {"up at the top stays", "a", -1, "a"},
        {"no selection, down picks the first", std::nullopt, 1, "a"},
        {"no selection, up picks the last", std::nullopt, -1, "c"},
        {"selection outside the list, down", "zz", 1, "a"},
        {"selection outside the list, up", "zz", -1, "c"},
        {"zero direction keeps the place", "b", 0, "b"},
        {"zero direction without selection picks the first", std::nullopt, 0, "a"},
        {"a huge step clamps", "a", INT_MAX, "c"},
        {"a huge step up clamps", "c", INT_MIN, "a"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EntrySelection::navigated(abc, c.selected, c.direction), c.expected) << c.name;
    EXPECT_EQ(EntrySelection::navigated({}, "a", 1), std::nullopt);
}

TEST(EntrySelection, PastingTakesTheSelectionOrTheFirstEntry)
{
    const QList<ClipboardEntry> abc = listOf({"a", "b", "c"});
    struct Case {
        const char *name;
        std::optional<QString> selected;
        QString expected;
    };
    const Case cases[] = {
        {"selected", "b", "b"},
        {"none selected", std::nullopt, "a"},
        {"selection elsewhere", "x", "a"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EntrySelection::selectedOrFirst(abc, c.selected).value_or(ClipboardEntry{}).id, c.expected)
            << c.name;
    EXPECT_FALSE(EntrySelection::selectedOrFirst({}, "a").has_value());
}

} // namespace
