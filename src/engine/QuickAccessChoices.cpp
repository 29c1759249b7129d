#include "engine/QuickAccessChoices.h"

namespace QuickAccessChoices {

const std::array<ClipboardTransform, 8> &textOptions()
{
    static const std::array<ClipboardTransform, 8> options{
        ClipboardTransform::Uppercase,   ClipboardTransform::PlainText,    ClipboardTransform::Lowercase,
        ClipboardTransform::TitleCase,   ClipboardTransform::SentenceCase, ClipboardTransform::Clean,
        ClipboardTransform::Trim,        ClipboardTransform::RemoveLineBreaks,
    };
    return options;
}

const std::array<QuickImageAction, 4> &imageOptions()
{
    static const std::array<QuickImageAction, 4> options{QuickImageAction::Preview, QuickImageAction::Edit,
                                                         QuickImageAction::SavePNG, QuickImageAction::SaveJPG};
    return options;
}

const std::array<ClipboardPanelTab, 8> &tabOrder()
{
    static const std::array<ClipboardPanelTab, 8> order{
        ClipboardPanelTab::History, ClipboardPanelTab::Clipboard, ClipboardPanelTab::Pins,
        ClipboardPanelTab::PasteStack, ClipboardPanelTab::Jars, ClipboardPanelTab::Gallery,
        ClipboardPanelTab::Screenshots, ClipboardPanelTab::Snippets,
    };
    return order;
}

} // namespace QuickAccessChoices
