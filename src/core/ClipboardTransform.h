#pragma once

#include <QString>

#include <array>
#include <optional>

// A text transform offered before pasting a text entry. The raw value of each case is its
// name in lower camel case ("uppercase", "plainText", ...) and is what menus use as its id.
enum class ClipboardTransform {
    Uppercase,
    PlainText,
    Lowercase,
    TitleCase,
    SentenceCase,
    Clean,
    Trim,
    RemoveSpaces,
    RemoveLineBreaks,
    MarkdownPlain,
    HtmlPlain,
    UrlEncode,
    UrlDecode,
    JsonFormat,
    JsonMinify,
};

namespace ClipboardTransforms {

// Every transform in the order the menus list them.
const std::array<ClipboardTransform, 15> &all();

// The raw value, which is also the transform's id.
QString rawValue(ClipboardTransform transform);

// Accepts exactly the fifteen raw values (case-sensitive).
std::optional<ClipboardTransform> fromRawValue(const QString &raw);

// The Slovak base text of the title.
QString titleBase(ClipboardTransform transform);

// The title as menus show it, in the interface language.
QString title(ClipboardTransform transform);

// The transformed text. Never fails: a transform that cannot work on the text (URL
// encoding of broken UTF-16, a bad percent escape, text that is not a JSON object or array)
// returns the text unchanged.
QString apply(ClipboardTransform transform, const QString &text);

} // namespace ClipboardTransforms
