#pragma once

#include <QStringView>

namespace JsonShape {

// Deepest nesting accepted, as the platform's JSON parser accepts it.
inline constexpr int kMaxNesting = 1024;

// True when the whole text is one strict JSON document whose top level is an object or an
// array (white space around it allowed). Checks syntax only, without building the document, so
// that classifying a long copied text stays cheap; nesting deeper than kMaxNesting is refused.
bool isContainerDocument(QStringView text);

} // namespace JsonShape
