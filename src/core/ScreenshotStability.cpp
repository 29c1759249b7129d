#include "core/ScreenshotStability.h"

namespace ScreenshotStability {

Check check(std::optional<qint64> recorded, std::optional<qint64> size)
{
    if (!size)
        return {Verdict::Unreadable, recorded};
    if (*size < 1)
        return {Verdict::Empty, recorded};
    if (!recorded || *recorded != *size)
        return {Verdict::Changed, size};
    if (*size > kMaxFileBytes)
        return {Verdict::TooLarge, size};
    return {Verdict::Complete, size};
}

const char *describe(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Complete:
        return "complete";
    case Verdict::Unreadable:
        return "size unreadable";
    case Verdict::Empty:
        return "empty";
    case Verdict::Changed:
        return "still growing";
    case Verdict::TooLarge:
        return "too large";
    }
    return "unknown";
}

} // namespace ScreenshotStability
