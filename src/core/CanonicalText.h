#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Comparison of texts by the characters they show: an accented letter written as one code point
// equals the same letter written with a combining mark (canonical equivalence).
namespace CanonicalText {

bool equal(const QString &a, const QString &b);
// Both absent, or both present and equal.
bool equal(const std::optional<QString> &a, const std::optional<QString> &b);
// The same length and equal element by element.
bool equal(const QStringList &a, const QStringList &b);

} // namespace CanonicalText
