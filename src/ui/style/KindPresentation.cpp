#include "ui/style/KindPresentation.h"

#include "core/ClipboardKind.h"
#include "core/L10n.h"

namespace KindPresentation {

QString displayName(ClipboardKind kind)
{
    return label(kind);
}

QString symbol(ClipboardKind kind)
{
    switch (kind) {
    case ClipboardKind::Text:
        return QStringLiteral("text.alignleft");
    case ClipboardKind::Url:
        return QStringLiteral("link");
    case ClipboardKind::Email:
        return QStringLiteral("at");
    case ClipboardKind::Number:
        return QStringLiteral("number");
    case ClipboardKind::Color:
        return QStringLiteral("paintpalette");
    case ClipboardKind::Code:
        return QStringLiteral("chevron.left.forwardslash.chevron.right");
    case ClipboardKind::Image:
        return QStringLiteral("photo");
    case ClipboardKind::File:
        return QStringLiteral("doc");
    }
    return QStringLiteral("text.alignleft");
}

QString transformSymbol(ClipboardTransform transform)
{
    switch (transform) {
    case ClipboardTransform::Uppercase:
        return QStringLiteral("arrow.up.square");
    case ClipboardTransform::Lowercase:
        return QStringLiteral("arrow.down.square");
    case ClipboardTransform::TitleCase:
        return QStringLiteral("textformat");
    case ClipboardTransform::SentenceCase:
        return QStringLiteral("text.quote");
    case ClipboardTransform::Clean:
        return QStringLiteral("sparkles");
    case ClipboardTransform::Trim:
        return QStringLiteral("scissors");
    case ClipboardTransform::RemoveSpaces:
        return QStringLiteral("delete.left");
    case ClipboardTransform::RemoveLineBreaks:
        return QStringLiteral("text.alignleft");
    case ClipboardTransform::UrlEncode:
    case ClipboardTransform::UrlDecode:
        return QStringLiteral("link");
    case ClipboardTransform::JsonFormat:
    case ClipboardTransform::JsonMinify:
        return QStringLiteral("curlybraces");
    case ClipboardTransform::PlainText:
    case ClipboardTransform::MarkdownPlain:
    case ClipboardTransform::HtmlPlain:
        break;
    }
    return QStringLiteral("doc.plaintext");
}

} // namespace KindPresentation
