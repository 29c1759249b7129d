#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// One step of a notice scenario: at the given moment (ms after the start) do something, then
// the expected visibility and screenshot entry id ("" for none).
struct Step {
    int atMs;
    std::function<void(ClipboardModel &)> action;
    bool visible;
    QString screenshotID;
};

ClipboardEntry screenshot(const QString &id)
{
    ClipboardEntry entry = makeEntry(id);
    entry.kind = ClipboardKind::Image;
    entry.isScreenshot = true;
    return entry;
}

void run(const char *name, const std::vector<Step> &steps)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    int elapsed = 0;
    for (const Step &step : steps) {
        h.clock.advance(std::chrono::milliseconds(step.atMs - elapsed));
        elapsed = step.atMs;
        if (step.action)
            step.action(model);
        EXPECT_EQ(model.copiedNoticeVisible(), step.visible) << name << " at " << step.atMs << " ms";
        EXPECT_EQ(model.screenshotNotice() ? model.screenshotNotice()->id : QString(), step.screenshotID)
            << name << " at " << step.atMs << " ms";
    }
}

const auto copied = [](ClipboardModel &m) { m.showCopiedNotice(); };
const auto shot = [](const QString &id) { return [id](ClipboardModel &m) { m.showScreenshotNotice(screenshot(id)); }; };
const auto dismiss = [](ClipboardModel &m) { m.dismissScreenshotNotice(); };

TEST(ClipboardModelNotices, ALaterNoticeIsNeverCutShortByAnEarlierTimer)
{
    run("two copies 1.5 s apart", {{0, copied, true, {}}, {1500, copied, true, {}}, {2000, nullptr, true, {}},
                                   {3499, nullptr, true, {}}, {3500, nullptr, false, {}}});
    run("copy during a screenshot notice", {{0, shot("S"), true, "S"}, {1000, copied, true, "S"},
                                            {3999, nullptr, true, "S"}, {4000, nullptr, false, {}}});
    run("dismissal while a timer is pending", {{0, shot("S"), true, "S"}, {1000, dismiss, false, {}},
                                               {4000, nullptr, false, {}}});
    run("copy right after a dismissal", {{0, shot("S"), true, "S"}, {1000, dismiss, false, {}}, {1000, copied, true, {}},
                                         {2999, nullptr, true, {}}, {3000, nullptr, false, {}}});
}

TEST(ClipboardModelNotices, APendingTimerDoesNothingOnceTheModelIsGone)
{
    ModelHarness h;
    h.make().showCopiedNotice();
    h.model.reset();
    h.clock.advance(5s); // would crash if the timer reached the destroyed model
    EXPECT_EQ(h.clock.pendingCount(), 0u);
}

} // namespace
