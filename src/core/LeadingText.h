#pragma once

#include <QString>

// The beginning of a long text, as views show it. Laying out a text takes about a second per
// three megabytes and copying one on every change of a list adds up, so a view takes in at
// most kLongestShown UTF-16 units of a text, then an ellipsis.
namespace LeadingText {

inline constexpr qsizetype kLongestShown = 50000;

// The text itself when it is no longer than the limit; else its beginning up to the limit, cut
// where a whole character (a flag, an accented letter) ends, and an ellipsis. The rest of the
// text is not looked at.
QString upTo(const QString &text, qsizetype limit = kLongestShown);

} // namespace LeadingText
