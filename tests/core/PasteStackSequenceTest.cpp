#include "core/PasteStackSequence.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *name;
    QStringList stack;
    QString pasted;
    QStringList once;
    QStringList repeating;
};

TEST(PasteStackSequence, AdvancesByRemovingTheFirstMatchAndCyclesWhenRepeating)
{
    const QStringList abc{"a", "b", "c"};
    const Case cases[] = {
        {"front", abc, "a", {"b", "c"}, {"b", "c", "a"}},
        {"middle", abc, "b", {"a", "c"}, {"a", "c", "b"}},
        {"absent", abc, "x", abc, abc},
        {"duplicate", {"a", "b", "a"}, "a", {"b", "a"}, {"b", "a", "a"}},
        {"empty", {}, "a", {}, {}},
        {"single", {"a"}, "a", {}, {"a"}},
        {"case matters", {"A", "a"}, "a", {"A"}, {"A", "a"}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PasteStackSequence::advanced(c.stack, c.pasted, false), c.once) << c.name;
        EXPECT_EQ(PasteStackSequence::advanced(c.stack, c.pasted, true), c.repeating) << c.name;
    }
}

} // namespace
