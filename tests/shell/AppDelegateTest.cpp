#include "shell/AppDelegate.h"
#include "shell/PanelHarness.h"
#include "platform/fake/FakeInstanceLock.h"

#include <gtest/gtest.h>

namespace {

// Records the order of the start-up steps and builds the controller over the harness fakes.
struct StartRecorder {
    AppDelegate::StartSteps steps(PanelHarness &h)
    {
        AppDelegate::StartSteps s;
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

TEST(AppDelegate, StartsThePanelOnceOtherInstancesHaveGone)
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
        AppDelegate delegate(lock, recorder.steps(h));
        delegate.applicationDidFinishLaunching();
        if (c.othersRunning) {
            EXPECT_EQ(delegate.panelController(), nullptr) << c.what << ": nothing starts while others may run";
            EXPECT_TRUE(recorder.order.empty()) << c.what;
            lock.finishWaiting();
        }
        ASSERT_NE(delegate.panelController(), nullptr) << c.what;
        EXPECT_EQ(recorder.order, (std::vector<std::string>{"migration", "updater", "controller"})) << c.what;
        EXPECT_EQ(h.model.monitoringStarts, 1) << c.what << ": the start-up continuation ran";
        EXPECT_TRUE(delegate.panelController()->panel()->isVisible()) << c.what;
        EXPECT_EQ(delegate.panelController()->onboardingWindow(), nullptr) << c.what;

        delegate.applicationDidFinishLaunching();
        lock.finishWaiting();
        EXPECT_EQ(recorder.order.size(), 3u) << c.what << ": a second start creates no second controller";
        EXPECT_EQ(h.model.monitoringStarts, 1) << c.what;
    }
}

TEST(AppDelegate, NothingStartsWhenTheDelegateIsGoneBeforeTheWaitEnds)
{
    PanelHarness h;
    FakeInstanceLock lock;
    lock.setOthersRunning(true);
    StartRecorder recorder;
    {
        AppDelegate delegate(lock, recorder.steps(h));
        delegate.applicationDidFinishLaunching();
    }
    lock.finishWaiting();
    EXPECT_TRUE(recorder.order.empty());
}

TEST(AppDelegate, ANewerInstanceAsksThisOneToQuit)
{
    PanelHarness h;
    FakeInstanceLock lock;
    StartRecorder recorder;
    AppDelegate delegate(lock, recorder.steps(h));
    int quits = 0;
    QObject::connect(&delegate, &AppDelegate::quitRequested, [&] { ++quits; });
    delegate.applicationDidFinishLaunching();
    lock.simulateQuitRequest();
    EXPECT_EQ(quits, 1);
}
