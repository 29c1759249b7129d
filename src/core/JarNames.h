#pragma once

#include "core/ClipboardJar.h"

#include <QList>
#include <QString>

#include <optional>

// How Jar names are stored and compared: trimmed, and unique regardless of letter case.
namespace JarNames {

// The name as stored: white space and line breaks removed at both ends.
QString normalized(const QString &name);

// Whether two names count as the same name (letter case and the composition of accented
// letters do not matter).
bool sameName(const QString &a, const QString &b);

// Whether the name contains the search text under the same comparison.
bool nameContains(const QString &name, const QString &searchText);

// Whether a Jar other than `exceptJarID` already carries a name equal to `name`.
bool isTaken(const QList<ClipboardJar> &jars, const QString &name,
             const std::optional<QString> &exceptJarID = std::nullopt);

} // namespace JarNames
