#pragma once

#include <QString>
#include <QStringList>

// The field names of a JSON text, for pasting them one per line.
namespace JsonKeys {

// A top-level object gives its keys; a top-level array whose elements are all objects gives the
// union of their keys, each once. Sorted by code point. Anything else, or a text that does not
// parse (malformed, nested too deeply), gives no names.
QStringList fieldNames(const QString &jsonText);

} // namespace JsonKeys
