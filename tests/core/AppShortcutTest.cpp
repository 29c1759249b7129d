#include "core/AppShortcut.h"
#include "core/MacKeyCode.h"

#include <gtest/gtest.h>

namespace {

using namespace MacEventFlag;

TEST(AppShortcut, MatchingIsExactOnTheFourModifiersAndIgnoresOtherBits)
{
    struct Case {
        const char *name;
        quint32 keyCode;
        quint64 flags;
        std::optional<AppShortcut> expected;
    };
    const Case cases[] = {
        {"history", 9, Command | Shift, AppShortcut::history},
        {"history with caps lock", 9, Command | Shift | CapsLock, AppShortcut::history},
        {"command alone", 9, Command, std::nullopt},
        {"extra control", 9, Command | Shift | Control, std::nullopt},
        {"extra shift is next from stack", 9, Command | Option | Shift, AppShortcut::pasteNextFromStack},
        {"paste stack", 8, Command | Option, AppShortcut::pasteStack},
        {"private copy", 8, Command | Option | Control, AppShortcut::privateCopy},
        {"other key", 11, Command | Shift, std::nullopt},
        {"all four", 9, ModifierMask, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(AppShortcut::matching(c.keyCode, c.flags), c.expected) << c.name;
    // Stored shortcuts outside the table read as nothing.
    for (quint32 raw : {0u, 6u, 0xFFFFFFFFu})
        EXPECT_FALSE(AppShortcut::fromRawValue(raw).has_value()) << raw;
}

TEST(MacKeyCode, EveryShortcutKeyHasAKeysymThatMapsBack)
{
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        const auto keysym = MacKeyCode::keysymFor(shortcut.keyCode());
        ASSERT_TRUE(keysym.has_value()) << shortcut.name().toStdString();
        EXPECT_EQ(MacKeyCode::fromKeysym(*keysym), shortcut.keyCode());
    }
    EXPECT_EQ(MacKeyCode::keysymFor(MacKeyCode::V), 0x76u);
    EXPECT_FALSE(MacKeyCode::keysymFor(MacKeyCode::Unknown).has_value());
}

} // namespace
