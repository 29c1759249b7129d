#include "core/ClipboardAppearance.h"
#include "core/ClipboardPanelTab.h"
#include "core/ClipboardPresentationMode.h"
#include "core/QuickAccessKeyboardFocus.h"

#include "support/ScopedLanguage.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

template <typename E>
QStringList rawValues()
{
    QStringList raws;
    for (E value : allCases<E>())
        raws.append(rawValue(value));
    return raws;
}

template <typename E>
void expectRawValuesRoundTrip()
{
    for (E value : allCases<E>()) {
        EXPECT_EQ(fromRawValue<E>(rawValue(value)), value);
        EXPECT_FALSE(fromRawValue<E>(rawValue(value).toUpper()).has_value()) << rawValue(value).toStdString();
    }
    EXPECT_FALSE(fromRawValue<E>(u"").has_value());
}

TEST(PanelEnums, CasesAreListedInOrderWithTheirRawValues)
{
    EXPECT_EQ(rawValues<ClipboardPanelTab>(),
              QStringList({"clipboard", "pasteStack", "history", "jars", "pins", "gallery", "screenshots", "snippets"}));
    EXPECT_EQ(rawValues<ClipboardPresentationMode>(), QStringList({"notch", "menuBar"}));
    EXPECT_EQ(rawValues<ClipboardAppearance>(), QStringList({"dark", "light"}));
    EXPECT_EQ(rawValues<AppLanguage>(), QStringList({"sk", "en"}));
    EXPECT_EQ(kQuickAccessKeyboardFocusCases.front(), QuickAccessKeyboardFocus::Tabs);
    EXPECT_EQ(kQuickAccessKeyboardFocusCases.back(), QuickAccessKeyboardFocus::Items);
    expectRawValuesRoundTrip<ClipboardPanelTab>();
    expectRawValuesRoundTrip<ClipboardPresentationMode>();
    expectRawValuesRoundTrip<ClipboardAppearance>();
    expectRawValuesRoundTrip<AppLanguage>();
    // Every set is hashable: each case is a distinct key.
    const auto tabs = allCases<ClipboardPanelTab>();
    EXPECT_EQ(QSet<ClipboardPanelTab>(tabs.begin(), tabs.end()).size(), 8);
    EXPECT_EQ(QSet<QuickAccessKeyboardFocus>(kQuickAccessKeyboardFocusCases.begin(), kQuickAccessKeyboardFocusCases.end()).size(), 3);
    // "menuBar" is the only raw value with an inner capital; other spellings are not it.
    EXPECT_FALSE(fromRawValue<ClipboardPresentationMode>(u"menubar").has_value());
}

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
        {QString(), M::Notch, A::Dark, L::Sk},
        {"menuBar", M::MenuBar, A::Dark, L::Sk},
        {"MenuBar", M::Notch, A::Dark, L::Sk},
        {"menubar", M::Notch, A::Dark, L::Sk},
        {"notch", M::Notch, A::Dark, L::Sk},
        {"light", M::Notch, A::Light, L::Sk},
        {"Light", M::Notch, A::Dark, L::Sk},
        {"light ", M::Notch, A::Dark, L::Sk},
        {"dark", M::Notch, A::Dark, L::Sk},
        {"en", M::Notch, A::Dark, L::En},
        {"EN", M::Notch, A::Dark, L::Sk},
        {"en-US", M::Notch, A::Dark, L::Sk},
        {"sk", M::Notch, A::Dark, L::Sk},
    };
    for (const Case &c : cases) {
        const std::string shown = c.stored ? c.stored->toStdString() : "(nothing)";
        EXPECT_EQ(savedPresentationMode(c.stored), c.mode) << shown;
        EXPECT_EQ(savedAppearance(c.stored), c.appearance) << shown;
        EXPECT_EQ(savedLanguage(c.stored), c.language) << shown;
    }
}

TEST(PanelEnums, TabTitlesTranslateExceptTheTwoNames)
{
    const QHash<QString, QString> table{
        {"Schránka", "Clipboard"}, {"História", "History"}, {"Pripnuté", "Pinned"}, {"Galéria", "Gallery"},
        {"Snímky obrazovky", "Screenshots"}, {"Skratky", "Snippets"},
        // Even a table that translates the names must not change them.
        {"Paste Stack", "WRONG"}, {"Jars", "WRONG"},
    };
    const QStringList slovak{"Schránka", "Paste Stack", "História", "Jars", "Pripnuté", "Galéria", "Snímky obrazovky", "Skratky"};
    const QStringList english{"Clipboard", "Paste Stack", "History", "Jars", "Pinned", "Gallery", "Screenshots", "Snippets"};
    QStringList shownInSlovak;
    QStringList shownInEnglish;
    for (ClipboardPanelTab tab : allCases<ClipboardPanelTab>()) {
        {
            ScopedLanguage language(std::nullopt, table);
            shownInSlovak.append(title(tab));
        }
        {
            ScopedLanguage language(QStringLiteral("en"), table);
            shownInEnglish.append(title(tab));
        }
    }
    EXPECT_EQ(shownInSlovak, slovak);
    EXPECT_EQ(shownInEnglish, english);
}

} // namespace
