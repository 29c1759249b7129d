// Whether the program itself handed the keyboard to a window since a window of its own began to
// hold it: the held window lets the keyboard go to such a window (a paste's target) and takes it
// back from any other the manager gives it to. No X server needed.
#include "platform/x11/X11KeyboardHandoffs.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using Clock = X11KeyboardHandoffs::Clock;
using std::chrono::milliseconds;

constexpr unsigned long kTarget = 0x2600006;
constexpr unsigned long kOther = 0x2800006;

struct HandoffCase {
    const char *name;
    unsigned long handedTo;
    // When the program handed the keyboard on and when the hold began, after the start.
    milliseconds handedAt;
    milliseconds heldAt;
    bool letGo;
};

void PrintTo(const HandoffCase &row, std::ostream *out)
{
    *out << row.name;
}

class HandedToSince : public ::testing::TestWithParam<HandoffCase> { };

const HandoffCase kCases[] = {
    {"handed to the window after the hold began", kTarget, milliseconds(1200), milliseconds(1000), true},
    {"handed to the window as the hold began", kTarget, milliseconds(1000), milliseconds(1000), true},
    {"handed to the window before the hold began", kTarget, milliseconds(900), milliseconds(1000), false},
    {"handed to another window", kOther, milliseconds(1200), milliseconds(1000), false},
};

TEST_P(HandedToSince, OnlyAHandoffToThatWindowSinceTheHoldBeganCounts)
{
    const HandoffCase &row = GetParam();
    const Clock::time_point start = Clock::now();
    X11KeyboardHandoffs handoffs;
    handoffs.handedTo(row.handedTo, start + row.handedAt);
    EXPECT_EQ(handoffs.handedToSince(kTarget, start + row.heldAt), row.letGo);
}

INSTANTIATE_TEST_SUITE_P(Handoffs, HandedToSince, ::testing::ValuesIn(kCases));

// A long session hands the keyboard to many windows; the latest stays known however many came
// before it, and handing it to the same window again moves its time on.
TEST(KeyboardHandoffs, TheLatestHandoffStaysKnownOverALongSession)
{
    const Clock::time_point start = Clock::now();
    X11KeyboardHandoffs handoffs;
    handoffs.handedTo(kTarget, start);
    for (unsigned long i = 0; i < 1000; ++i)
        handoffs.handedTo(0x3000000 + i, start + milliseconds(1 + i));
    const Clock::time_point later = start + milliseconds(5000);
    handoffs.handedTo(kTarget, later);
    handoffs.handedTo(kOther, later + milliseconds(1));
    EXPECT_TRUE(handoffs.handedToSince(kTarget, later));
    EXPECT_TRUE(handoffs.handedToSince(kOther, later));
    EXPECT_FALSE(handoffs.handedToSince(0x3000000, start));
}

} // namespace
