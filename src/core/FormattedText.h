#pragma once

#include <QString>
#include <QStringList>

// Texts built from a translated format ("%lld položiek", "Vložiť %@"). Only the placeholders
// are replaced, in one pass from left to right: "%@", "%d", "%ld", "%lld" and "%i" take the
// next argument, "%1$@" (any position and the same specifiers) takes the argument it names,
// and "%%" is a single "%". Every other "%" stands as written, so a translation or a Jar name
// holding "%" reads as typed; an argument is never read as a format itself, and a placeholder
// without an argument stays as it is.
namespace FormattedText {

QString substitute(const QString &format, const QStringList &arguments);

} // namespace FormattedText
