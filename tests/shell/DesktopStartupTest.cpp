#include "shell/DesktopStartup.h"
#include "shell/PanelHarness.h"
#include "platform/fake/FakeInstanceLock.h"

#include <gtest/gtest.h>

namespace {

// Records the order of the start-up steps and builds the controller over the harness fakes.
struct StartRecorder {
    DesktopStartup::StartSteps steps(PanelHarness &h)
    {
        DesktopStartup::StartSteps s;
        s.runMigration = [this] { order.push_back("migration"); };
        s.startUpdater = [this] { order.push_back("updater"); };
        s.createController = [this, &h] {
            order.push_back("controller");
            return std::make_unique<NotchPanelController>(
                h.model, PanelServices{h.settings, h.workspace, h.permissions, h.traits, [] { return QPoint(); }, [] { return true; }, nullptr, nullptr, nullptr, {}},
                shortHoverTimings());
        };
        return s;
    }
    std::vector<std::string> order;
};

} // namespace

TEST(DesktopStartup, StartsThePanelOnceOtherInstancesHaveGone)
{
    const struct {
        const char *what;
        bool othersRunning;
    } cases[] = {{"alone", false}, {"another instance running", true}};
    for (const auto &c : cases) {
        PanelHarness h({{QStringLiteral("tarnel.onboardingComplete"), true}});
        FakeInstanceLock lock;
        lock.setOthersRunning(c.othersRunning);
        StartRecorder recorder;
        DesktopStartup startup(lock, recorder.steps(h));
        startup.start();
        if (c.othersRunning) {
            EXPECT_EQ(startup.panelController(), nullptr) << c.what << ": nothing starts while others may run";
            EXPECT_TRUE(recorder.order.empty()) << c.what;
            lock.finishWaiting();
        }
        ASSERT_NE(startup.panelController(), nullptr) << c.what;
        EXPECT_EQ(recorder.order, (std::vector<std::string>{"migration", "updater", "controller"})) << c.what;
        EXPECT_EQ(h.model.monitoringStarts, 1) << c.what << ": the start-up continuation ran";
        EXPECT_TRUE(startup.panelController()->panel()->isVisible()) << c.what;
        EXPECT_EQ(startup.panelController()->onboardingWindow(), nullptr) << c.what;

        startup.start();
        lock.finishWaiting();
        EXPECT_EQ(recorder.order.size(), 3u) << c.what << ": a second start creates no second controller";
        EXPECT_EQ(h.model.monitoringStarts, 1) << c.what;
    }
}

TEST(DesktopStartup, NothingStartsWhenTheStartupIsGoneBeforeTheWaitEnds)
{
    PanelHarness h;
    FakeInstanceLock lock;
    lock.setOthersRunning(true);
    StartRecorder recorder;
    {
        DesktopStartup startup(lock, recorder.steps(h));
        startup.start();
    }
    lock.finishWaiting();
    EXPECT_TRUE(recorder.order.empty());
}

TEST(DesktopStartup, ANewerInstanceAsksThisOneToQuit)
{
    PanelHarness h;
    FakeInstanceLock lock;
    StartRecorder recorder;
    DesktopStartup startup(lock, recorder.steps(h));
    int quits = 0;
    QObject::connect(&startup, &DesktopStartup::quitRequested, [&] { ++quits; });
    startup.start();
    lock.simulateQuitRequest();
    EXPECT_EQ(quits, 1);
}
