#include "core/ScreenshotStability.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using ScreenshotStability::Verdict;

// The check at which a file whose size reads as `sizes` (one per check; nothing = unreadable)
// first counts as complete, or 0 when it never does within the allowed checks.
int completingCheck(const std::vector<std::optional<qint64>> &sizes)
{
    std::optional<qint64> recorded;
    for (std::size_t i = 0; i < sizes.size() && int(i) < ScreenshotStability::kMaxChecks; ++i) {
        const ScreenshotStability::Check check = ScreenshotStability::check(recorded, sizes[i]);
        recorded = check.recordedSize;
        if (check.isComplete())
            return int(i) + 1;
    }
    return 0;
}

TEST(ScreenshotStability, FileCompletesAtTheFirstCheckThatRepeatsTheSize)
{
    const std::optional<qint64> unreadable;
    const struct {
        const char *name;
        std::vector<std::optional<qint64>> sizes;
        int completesAt;
    } cases[] = {
        {"zero sizes do not count as recorded", {0, 0, 5000, 5000}, 4},
        {"zero between equal sizes keeps the recorded size", {5000, 0, 5000}, 3},
        {"unreadable between equal sizes keeps the recorded size", {5000, unreadable, 5000}, 3},
        {"grows at every check", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11}, 0},
        {"settles only after the last allowed check", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10}, 0},
        {"settles at the last allowed check", {1, 2, 3, 4, 5, 6, 7, 8, 9, 9}, 10},
        {"stays empty", std::vector<std::optional<qint64>>(10, 0), 0},
        {"exactly at the size limit", {100'000'000, 100'000'000}, 2},
        {"one byte above the size limit", std::vector<std::optional<qint64>>(10, 100'000'001), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(completingCheck(c.sizes), c.completesAt);
    }
}

TEST(ScreenshotStability, EachCheckNamesWhyTheFileIsNotComplete)
{
    const struct {
        const char *name;
        std::optional<qint64> recorded;
        std::optional<qint64> size;
        ScreenshotStability::Check expected;
    } cases[] = {
        {"first size", std::nullopt, 10, {Verdict::Changed, 10}},
        {"unreadable keeps the recorded size", 10, std::nullopt, {Verdict::Unreadable, 10}},
        {"empty keeps the recorded size", 10, 0, {Verdict::Empty, 10}},
        {"negative size counts as empty", 10, -1, {Verdict::Empty, 10}},
        {"steady above the limit", 100'000'001, 100'000'001, {Verdict::TooLarge, 100'000'001}},
        {"steady", 10, 10, {Verdict::Complete, 10}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ScreenshotStability::check(c.recorded, c.size), c.expected);
    }
}

} // namespace
