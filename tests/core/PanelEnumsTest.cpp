#include "core/ClipboardAppearance.h"
#include "core/ClipboardPanelTab.h"
#include "core/ClipboardPresentationMode.h"

#include "support/ScopedLanguage.h"

#include <gtest/gtest.h>

namespace {

TEST(PanelEnums, SavedReadersFallBackToTheFirstCase)
{
    struct Case {
        std::optional<QString> stored;
        ClipboardPresentationMode mode;
        ClipboardAppearance appearance;
        AppLanguage language;
    };
    using M = ClipboardPresentationMode;
    using A = ClipboardAppearance;
    using L = AppLanguage;
    const Case cases[] = {
        {std::nullopt, M::Notch, A::Dark, L::Sk},
        {"menuBar", M::MenuBar, A::Dark, L::Sk},
        {"MenuBar", M::Notch, A::Dark, L::Sk},
        {"light", M::Notch, A::Light, L::Sk},
        {"light ", M::Notch, A::Dark, L::Sk},
        {"en", M::Notch, A::Dark, L::En},
        {"EN", M::Notch, A::Dark, L::Sk},
    };
    for (const Case &c : cases) {
        const std::string shown = c.stored ? c.stored->toStdString() : "(nothing)";
        EXPECT_EQ(savedPresentationMode(c.stored), c.mode) << shown;
        EXPECT_EQ(savedAppearance(c.stored), c.appearance) << shown;
        EXPECT_EQ(savedLanguage(c.stored), c.language) << shown;
    }
}

} // namespace
