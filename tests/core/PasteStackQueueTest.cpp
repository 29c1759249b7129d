#include "core/PasteStackQueue.h"

#include <gtest/gtest.h>

namespace {

const QStringList kABC{"a", "b", "c"};

TEST(PasteStackQueue, AddingAndRemovingNeverDuplicates)
{
    EXPECT_EQ(PasteStackQueue::appended(kABC, "d"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(PasteStackQueue::appended(kABC, "b"), std::nullopt);
    EXPECT_EQ(PasteStackQueue::appended({}, "a"), QStringList{"a"});
    EXPECT_EQ(PasteStackQueue::removed({"a", "b", "a"}, "a"), QStringList{"b"});
    EXPECT_EQ(PasteStackQueue::removed(kABC, "x"), kABC);
}

TEST(PasteStackQueue, MovingPutsTheIdAtItsDestinationOrChangesNothing)
{
    struct Case {
        const char *name;
        QString id;
        qsizetype destination;
        std::optional<QStringList> expected;
    };
    const Case cases[] = {
        {"front to back", "a", 2, QStringList{"b", "c", "a"}},
        {"same place", "b", 1, std::nullopt},
        {"negative", "b", -1, std::nullopt},
        {"absent id", "x", 0, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PasteStackQueue::moved(kABC, c.id, c.destination), c.expected) << c.name;
}

TEST(PasteStackQueue, PasteNextUsesUpOnceAndCyclesWhenRepeating)
{
    // Three pastes without repeat: a, b, c leave in order and are all used up.
    PasteStackQueue::AfterPaste state{kABC, {}, false};
    for (const QString &front : kABC) {
        ASSERT_EQ(state.queue.value(0), front);
        state = PasteStackQueue::afterPaste(state.queue, state.consumed, front, false);
        EXPECT_TRUE(state.marksConsumed);
    }
    EXPECT_TRUE(state.queue.isEmpty());
    EXPECT_EQ(state.consumed, (QSet<QString>{"a", "b", "c"}));

    const auto repeated = PasteStackQueue::afterPaste(kABC, {"old"}, "a", true);
    EXPECT_EQ(repeated.queue, (QStringList{"b", "c", "a"}));
    EXPECT_EQ(repeated.consumed, QSet<QString>{"old"});
    EXPECT_FALSE(repeated.marksConsumed);
}

} // namespace
