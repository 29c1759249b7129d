#pragma once

#include <QString>

namespace TextFolding {

// The text with letter case and diacritics folded away ("Snímka" and "SNIMKA" both give
// "snimka"), for matching words inside names the user did not type for us.
QString folded(const QString &text);

} // namespace TextFolding
