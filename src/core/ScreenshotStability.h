#pragma once

#include <QtGlobal>

#include <optional>

// When a screenshot file being written counts as complete: its size, read at fixed intervals,
// is the same at two checks in a row. The rule needs no clock or file system; the importer
// reads the size and keeps the recorded one between checks.
namespace ScreenshotStability {

// A file above this size is never read into memory.
inline constexpr qint64 kMaxFileBytes = 100'000'000;
// A file that is not complete after this many checks is given up.
inline constexpr int kMaxChecks = 10;

enum class Verdict {
    Complete,   // same size as at the previous check, within the limit
    Unreadable, // no size could be read
    Empty,      // zero bytes: still being created
    Changed,    // first size seen, or a size different from the previous one
    TooLarge,   // steady, but above kMaxFileBytes
};

struct Check {
    Verdict verdict = Verdict::Unreadable;
    // The size to compare the next check with.
    std::optional<qint64> recordedSize;

    bool isComplete() const { return verdict == Verdict::Complete; }
    bool operator==(const Check &) const = default;
};

// One check: `recorded` is the size kept from earlier checks, `size` the one just read
// (nothing when it could not be read). An unreadable or empty file leaves the recorded size
// as it was, so "0, 0, 5000, 5000" completes at the fourth check.
Check check(std::optional<qint64> recorded, std::optional<qint64> size);

// A short English description for log lines.
const char *describe(Verdict verdict);

} // namespace ScreenshotStability
