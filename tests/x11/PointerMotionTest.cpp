// The pointer as a hand moves it, told by the desktop about the pointer itself: under a window of
// another program that keeps every pointer event over the whole screen, the pointer's arrival in
// the watched area is announced, from near or far, its moves within it and its leaving it; a
// pointer already in a newly watched area is announced at once.
#include <gtest/gtest.h>

#include "platform/x11/X11PointerMotion.h"

#include <QSignalSpy>

#include "X11TestSupport.h"

#include <X11/extensions/XTest.h>

using namespace x11test;

namespace {

const QRect kWatched(900, 0, 120, 40);

// An input-only window of another client over the whole screen that takes every pointer event.
class EventKeeper {
public:
    EventKeeper()
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = ButtonPressMask | EnterWindowMask | LeaveWindowMask | PointerMotionMask;
        m_window = XCreateWindow(display(), DefaultRootWindow(display()), 0, 0, 1920, 1080, 0, 0, InputOnly,
                                 CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
        XMapRaised(display(), m_window);
        XSync(display(), False);
    }
    ~EventKeeper()
    {
        XDestroyWindow(display(), m_window);
        XSync(display(), False);
    }
    EventKeeper(const EventKeeper &) = delete;
    EventKeeper &operator=(const EventKeeper &) = delete;

private:
    Window m_window = 0;
};

} // namespace

TEST(X11PointerMotion, TellsOfThePointerInTheWatchedAreaAndAsItLeavesWhateverKeepsItsEvents)
{
    moveByHand({300, 900});
    EventKeeper keeper;
    X11PointerMotion motion;
    ASSERT_TRUE(motion.isListening()) << "no XInput2 on this server";
    motion.watch(kWatched);
    QSignalSpy moved(&motion, &PointerMotion::moved);
    const struct {
        const char *row;
        // Through one place, then to the one whose announcement ends the row.
        QPoint through;
        QPoint to;
    } rows[] = {
        {"from far away into the area", {200, 700}, {950, 20}},
        {"within the area", {960, 30}, {1000, 10}},
        {"out of it", {1000, 10}, {960, 300}},
        {"far away and back into it", {1500, 900}, {910, 5}},
    };
    for (const auto &row : rows) {
        moved.clear();
        moveByHand(row.through);
        moveByHand(row.to);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !moved.isEmpty() && moved.last().at(0).toPoint() == row.to; }, 4000))
            << row.row;
    }
    // Nothing watched: the moves are not told of at all.
    motion.watch({});
    moved.clear();
    moveByHand({950, 20});
    motion.watch(kWatched);
    EXPECT_TRUE(QTest::qWaitFor([&] { return moved.size() == 1; }, 4000)) << "a pointer already in a new area is told of";
}
