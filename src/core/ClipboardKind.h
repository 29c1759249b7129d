#pragma once

#include "core/RawValue.h"

#include <QString>

// What a history entry holds. Copied text is classified by detectKind; image and file come
// from what the clipboard offered.
enum class ClipboardKind { Text, Url, Email, Number, Color, Code, Image, File };

template <>
struct RawValueTable<ClipboardKind> {
    static constexpr std::array<std::pair<ClipboardKind, const char *>, 8> entries{{
        {ClipboardKind::Text, "text"},
        {ClipboardKind::Url, "url"},
        {ClipboardKind::Email, "email"},
        {ClipboardKind::Number, "number"},
        {ClipboardKind::Color, "color"},
        {ClipboardKind::Code, "code"},
        {ClipboardKind::Image, "image"},
        {ClipboardKind::File, "file"},
    }};
};

// The kind's name as shown to the user, in the interface language.
QString label(ClipboardKind kind);

// The one classifier of copied text. Answers only Text, Url, Email, Number, Color or Code;
// never fails (a text no rule accepts is Text).
ClipboardKind detectKind(const QString &text);
