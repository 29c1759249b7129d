// The order of the root's children as the front keeper follows it from events alone, and when
// it gives way to a window that raises itself again and again. No X server needed.
#include "platform/x11/X11SelfRaiseGuard.h"
#include "platform/x11/X11StackingOrder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;

std::vector<unsigned long> ids(const X11StackingOrder &order)
{
    std::vector<unsigned long> read;
    for (const X11StackingOrder::TopLevel &window : order.windows())
        read.push_back(window.window);
    return read;
}

X11StackingOrder::TopLevel topLevel(unsigned long id, bool overrideRedirect = false, unsigned long client = 0)
{
    X11StackingOrder::TopLevel window;
    window.window = id;
    window.overrideRedirect = overrideRedirect;
    window.client = client;
    return window;
}

X11StackingOrder fiveWindows()
{
    X11StackingOrder order;
    std::vector<X11StackingOrder::TopLevel> windows;
    for (unsigned long id = 1; id <= 5; ++id)
        windows.push_back(topLevel(id));
    order.reset(windows);
    return order;
}

TEST(X11StackingOrder, FollowsRestacksCirculationAndWindowsComingAndGoing)
{
    struct Case {
        const char *what;
        void (*apply)(X11StackingOrder &);
        std::vector<unsigned long> expected;
    };
    const Case cases[] = {
        {"raised over the top", [](X11StackingOrder &o) { o.restack(2, 5); }, {1, 3, 4, 5, 2}},
        {"lowered to the bottom", [](X11StackingOrder &o) { o.restack(4, 0); }, {4, 1, 2, 3, 5}},
        {"moved down above a sibling", [](X11StackingOrder &o) { o.restack(5, 1); }, {1, 5, 2, 3, 4}},
        {"moved up above a sibling", [](X11StackingOrder &o) { o.restack(1, 3); }, {2, 3, 1, 4, 5}},
        {"already above that sibling", [](X11StackingOrder &o) { o.restack(3, 2); }, {1, 2, 3, 4, 5}},
        {"already at the bottom", [](X11StackingOrder &o) { o.restack(1, 0); }, {1, 2, 3, 4, 5}},
        {"circulated to the top", [](X11StackingOrder &o) { o.circulate(1, true); }, {2, 3, 4, 5, 1}},
        {"circulated to the bottom", [](X11StackingOrder &o) { o.circulate(3, false); }, {3, 1, 2, 4, 5}},
        {"a new window comes on top", [](X11StackingOrder &o) { o.add(topLevel(9)); }, {1, 2, 3, 4, 5, 9}},
        {"a known window keeps its place", [](X11StackingOrder &o) { o.add(topLevel(2)); }, {1, 2, 3, 4, 5}},
        {"a window goes", [](X11StackingOrder &o) { o.remove(3); }, {1, 2, 4, 5}},
    };
    for (const Case &row : cases) {
        X11StackingOrder order = fiveWindows();
        row.apply(order);
        EXPECT_EQ(ids(order), row.expected) << row.what;
    }
    X11StackingOrder order = fiveWindows();
    EXPECT_FALSE(order.restack(3, 2));
    EXPECT_TRUE(order.restack(3, 4));
    EXPECT_FALSE(order.circulate(3, true) && order.circulate(3, true)) << "a second circulation to the top moves nothing";
}

TEST(X11StackingOrder, AFrameIsTheManagersByTheClientItHoldsNotByItsFlag)
{
    X11StackingOrder order;
    order.reset({topLevel(1, true, 11), topLevel(2, true), topLevel(3)});
    EXPECT_TRUE(order.find(1)->isManaged()) << "a frame drawn with override-redirect holding a client";
    EXPECT_FALSE(order.find(2)->isManaged()) << "a menu or lock screen";
    EXPECT_TRUE(order.find(3)->isManaged());
    EXPECT_EQ(order.holderOf(11), 1ul);
    EXPECT_EQ(order.holderOf(2), 2ul);
    EXPECT_EQ(order.holderOf(42), 0ul);
}

TEST(X11SelfRaiseGuard, GivesWayAtTheFifthRaiseWithinASecondAndCountsAgainOnceReleased)
{
    X11SelfRaiseGuard guard;
    const auto start = X11SelfRaiseGuard::Clock::time_point{} + 100s;
    // Raised now and then (a user clicking it): never given way.
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(guard.raised(7, start + i * 300ms));
    EXPECT_FALSE(guard.isGivenWay(7));

    const auto burst = start + 60s;
    for (int i = 0; i < X11SelfRaiseGuard::kRaises - 1; ++i)
        EXPECT_FALSE(guard.raised(7, burst + i * 10ms));
    EXPECT_FALSE(guard.raised(8, burst + 50ms)) << "another window's raise counts for that window";
    EXPECT_TRUE(guard.raised(7, burst + 60ms)) << "the fifth raise within a second";
    EXPECT_TRUE(guard.isGivenWay(7));
    EXPECT_FALSE(guard.raised(7, burst + 70ms)) << "given way once, not again";
    EXPECT_FALSE(guard.isGivenWay(8));

    guard.release(7);
    EXPECT_FALSE(guard.isGivenWay(7));
    EXPECT_FALSE(guard.raised(7, burst + 80ms)) << "released, it counts from nothing";
}

TEST(X11SelfRaiseGuard, AfterATryAWindowThatRisesAgainAtOnceIsGivenWayAtItsFirstRaise)
{
    const auto start = X11SelfRaiseGuard::Clock::time_point{} + 100s;
    // Whether the window is given way at its first raise this long after the try.
    const struct {
        const char *name;
        std::chrono::milliseconds after;
        bool givenWay;
    } rows[] = {
        {"rises right after the try", 10ms, true},
        {"rises just within the time", X11SelfRaiseGuard::kWithin - 1ms, true},
        {"stopped raising itself", X11SelfRaiseGuard::kWithin, false},
    };
    for (const auto &row : rows) {
        X11SelfRaiseGuard guard;
        for (int i = 0; i < X11SelfRaiseGuard::kRaises; ++i)
            guard.raised(7, start + i * 10ms);
        ASSERT_TRUE(guard.isGivenWay(7)) << row.name;
        ASSERT_TRUE(guard.givesWay()) << row.name;
        const auto tried = start + 2s;
        guard.tryAgain(tried);
        EXPECT_FALSE(guard.isGivenWay(7)) << row.name << ": the try keeps it under again";
        EXPECT_EQ(guard.raised(7, tried + row.after), row.givenWay) << row.name;
        EXPECT_EQ(guard.isGivenWay(7), row.givenWay) << row.name;
    }

    // The user asked for the panel: every window given way is kept under again, and counts anew.
    X11SelfRaiseGuard guard;
    for (const unsigned long window : {7ul, 8ul})
        for (int i = 0; i < X11SelfRaiseGuard::kRaises; ++i)
            guard.raised(window, start + i * 10ms);
    guard.releaseAll();
    EXPECT_FALSE(guard.givesWay());
    EXPECT_FALSE(guard.raised(7, start + 60ms)) << "asked for, the panel counts a window's raises from nothing";
}

} // namespace
