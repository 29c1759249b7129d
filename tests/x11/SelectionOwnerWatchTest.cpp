#include "platform/x11/X11SelectionOwnerWatch.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

constexpr int kWaitMs = 5000;

// Another client of the display that can claim a selection with a window of its own.
class Claimant {
public:
    Claimant()
        : m_display(XOpenDisplay(nullptr))
        , m_window(XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0))
    {
    }
    ~Claimant() { disconnect(); }
    quint32 window() const { return quint32(m_window); }
    void claim(const char *selection)
    {
        XSetSelectionOwner(m_display, XInternAtom(m_display, selection, False), m_window, CurrentTime);
        XSync(m_display, False);
    }
    void release(const char *selection)
    {
        XSetSelectionOwner(m_display, XInternAtom(m_display, selection, False), 0, CurrentTime);
        XSync(m_display, False);
    }
    void destroyWindow()
    {
        XDestroyWindow(m_display, m_window);
        XSync(m_display, False);
    }
    void disconnect()
    {
        if (m_display)
            XCloseDisplay(m_display);
        m_display = nullptr;
    }

private:
    Display *m_display;
    Window m_window;
};

// Waits for the next announcement and returns the owner it named; -1 when none came.
qint64 nextOwner(QSignalSpy &spy)
{
    if (spy.isEmpty() && !spy.wait(kWaitMs))
        return -1;
    return qint64(spy.takeFirst().at(0).value<quint32>());
}

TEST(SelectionOwnerWatch, FollowsEveryWayAnOwnerComesAndGoes)
{
    X11SelectionOwnerWatch watch("TARNEL_TEST_MANAGER_S0");
    ASSERT_TRUE(watch.isWatching());
    EXPECT_FALSE(watch.hasOwner());
    QSignalSpy spy(&watch, &X11SelectionOwnerWatch::ownerChanged);

    Claimant first, second;
    first.claim("TARNEL_TEST_MANAGER_S0");
    EXPECT_EQ(nextOwner(spy), first.window());
    EXPECT_EQ(watch.owner(), first.window());

    // Taken over by another client.
    second.claim("TARNEL_TEST_MANAGER_S0");
    EXPECT_EQ(nextOwner(spy), second.window());

    // The owner's window goes away.
    second.destroyWindow();
    EXPECT_EQ(nextOwner(spy), 0);
    EXPECT_FALSE(watch.hasOwner());

    // Given up explicitly.
    first.claim("TARNEL_TEST_MANAGER_S0");
    EXPECT_EQ(nextOwner(spy), first.window());
    first.release("TARNEL_TEST_MANAGER_S0");
    EXPECT_EQ(nextOwner(spy), 0);

    // The owning client ends (a manager killed without tidying up).
    first.claim("TARNEL_TEST_MANAGER_S0");
    EXPECT_EQ(nextOwner(spy), first.window());
    first.disconnect();
    EXPECT_EQ(nextOwner(spy), 0);
    EXPECT_EQ(watch.owner(), 0u);
    EXPECT_FALSE(spy.wait(300)) << "one loss is announced once";
}

TEST(SelectionOwnerWatch, KnowsAnOwnerFromBeforeAndIgnoresOtherSelections)
{
    Claimant early, other;
    early.claim("TARNEL_TEST_EARLY_S0");
    X11SelectionOwnerWatch watch("TARNEL_TEST_EARLY_S0");
    EXPECT_EQ(watch.owner(), early.window());

    QSignalSpy spy(&watch, &X11SelectionOwnerWatch::ownerChanged);
    other.claim("TARNEL_TEST_ELSEWHERE_S0");
    EXPECT_FALSE(spy.wait(300));
    EXPECT_EQ(watch.owner(), early.window());

    EXPECT_EQ(X11SelectionOwnerWatch::screenSelection("_NET_WM_CM_S"),
              QByteArray("_NET_WM_CM_S") + QByteArray::number(DefaultScreen(x11test::display())));
}

} // namespace
