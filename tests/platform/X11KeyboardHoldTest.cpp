// When a window that holds the keyboard for the user (Quick Access) lost it to another window on
// that window's or the manager's own account, told from the focus events it heard alone, as the
// server sends them under fluxbox and twm (which focus a window that raises itself) and for a
// manager's key binding. No X server needed.
#include "platform/x11/X11KeyboardHold.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include <X11/X.h>

namespace {

struct Focus {
    int type;
    int mode;
    int detail;
};

struct HoldCase {
    const char *name;
    std::vector<Focus> heard;
    // What the last FocusOut says: the keyboard was taken from the window.
    bool taken;
};

void PrintTo(const HoldCase &row, std::ostream *out)
{
    *out << row.name;
}

class KeyboardTaken : public ::testing::TestWithParam<HoldCase> { };

const HoldCase kCases[] = {
    {"another window is given it while the window holds it",
     {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyNormal, NotifyNonlinear}},
     true},
    // fluxbox, as Quick Access took it while the shortcut's own key was still down.
    {"another window is given it during the grab of the shortcut that opened the window",
     {{FocusIn, NotifyWhileGrabbed, NotifyNonlinear}, {FocusOut, NotifyWhileGrabbed, NotifyNonlinear}},
     true},
    {"the manager's key binding moves it",
     {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyGrab, NotifyNonlinear}, {FocusOut, NotifyWhileGrabbed, NotifyNonlinear}},
     false},
    {"another window is given it after a key binding's grab ended with the window holding it",
     {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyGrab, NotifyNonlinear}, {FocusIn, NotifyUngrab, NotifyNonlinear}, {FocusOut, NotifyNormal, NotifyNonlinear}},
     true},
    {"a grab begins", {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyGrab, NotifyNonlinear}}, false},
    {"a grab ends", {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyUngrab, NotifyPointer}}, false},
    {"a window within gets it", {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyNormal, NotifyInferior}}, false},
    {"the window under the pointer hears of the root's focus",
     {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyNormal, NotifyPointer}},
     false},
    {"the window never held it", {{FocusOut, NotifyNormal, NotifyNonlinear}}, false},
    {"the window heard only of the root's focus beside it",
     {{FocusIn, NotifyNormal, NotifyPointer}, {FocusOut, NotifyNormal, NotifyNonlinear}},
     false},
    {"it is gone already",
     {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyNormal, NotifyNonlinear}},
     false},
    {"it came back from a window within and is taken",
     {{FocusIn, NotifyNormal, NotifyNonlinear}, {FocusOut, NotifyNormal, NotifyInferior}, {FocusIn, NotifyNormal, NotifyInferior}, {FocusOut, NotifyNormal, NotifyNonlinear}},
     true},
};

} // namespace

TEST_P(KeyboardTaken, IsToldFromTheWindowsOwnFocusEvents)
{
    const HoldCase &row = GetParam();
    X11KeyboardHold hold;
    bool taken = false;
    for (const Focus &event : row.heard) {
        if (event.type == FocusIn)
            hold.focusIn(event.mode, event.detail);
        else
            taken = hold.focusOut(event.mode, event.detail);
    }
    EXPECT_EQ(taken, row.taken);
}

INSTANTIATE_TEST_SUITE_P(Focus, KeyboardTaken, ::testing::ValuesIn(kCases));
