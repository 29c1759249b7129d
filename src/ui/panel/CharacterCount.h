#pragma once

#include <QString>

// The "N znakov" line of the text sheets: what a reader counts as characters, not code units.
namespace CharacterCount {

// User-perceived characters: a letter with its combining accents, an emoji with its modifiers
// and a CR LF pair each count one.
int of(const QString &text);

// The translated format with only its "%d" filled in, the number in plain digits as "%d" writes
// it ("1500 znakov", "1500 characters").
QString label(int count);

} // namespace CharacterCount
