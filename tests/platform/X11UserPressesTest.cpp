// Whether a window took the keyboard by the user's own click, as the front keeper asks when the
// keyboard leaves a window the user asked it into (Quick Access): only a click in that window
// since the user asked counts. fvwm hands the keyboard back to the window under the pointer that
// the user clicked in just before pressing the shortcut; that click was answered already. No X
// server needed.
#include "platform/x11/X11UserPresses.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using Clock = X11UserPresses::Clock;
using std::chrono::milliseconds;

constexpr unsigned long kTaker = 0x2600006;
constexpr unsigned long kOther = 0x2800006;

struct ClickCase {
    const char *name;
    unsigned long pressedIn;
    bool button;
    // When the press came and when the user asked, after the start; the keyboard is taken at 1500.
    milliseconds pressedAt;
    milliseconds askedAt;
    bool clicked;
};

void PrintTo(const ClickCase &row, std::ostream *out)
{
    *out << row.name;
}

class ClickedIn : public ::testing::TestWithParam<ClickCase> { };

const ClickCase kCases[] = {
    {"a click in the taker after the user asked", kTaker, true, milliseconds(1200), milliseconds(1000), true},
    {"a click in the taker before the user asked", kTaker, true, milliseconds(900), milliseconds(1000), false},
    {"a click in the taker as the user asked", kTaker, true, milliseconds(1000), milliseconds(1000), true},
    {"a click in another window after the user asked", kOther, true, milliseconds(1200), milliseconds(1000), false},
    {"a key in the taker after the user asked", kTaker, false, milliseconds(1200), milliseconds(1000), false},
    {"a click in the taker long ago, the user asked before", kTaker, true, milliseconds(400), milliseconds(0), false},
};

} // namespace

TEST_P(ClickedIn, CountsOnlyTheUsersClickSinceAsking)
{
    const ClickCase &row = GetParam();
    const Clock::time_point start = Clock::now();
    X11UserPresses presses;
    presses.pressed(row.pressedIn, start + row.pressedAt, row.button);
    EXPECT_EQ(presses.clickedIn(kTaker, start + row.askedAt, start + milliseconds(1500)), row.clicked);
}

INSTANTIATE_TEST_SUITE_P(Presses, ClickedIn, ::testing::ValuesIn(kCases));
