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

// The Qt form is what the grab registers and every press is matched in: each stored raw value
// names the same keys as before, and the Qt lookup agrees with the table's own for every press.
TEST(AppShortcut, EachShortcutIsTheSameKeysInQtTermsAndTheirLookupsAgree)
{
    const QKeyCombination expected[] = {
        Qt::MetaModifier | Qt::ShiftModifier | Qt::Key_V,
        Qt::MetaModifier | Qt::AltModifier | Qt::Key_V,
        Qt::MetaModifier | Qt::AltModifier | Qt::Key_C,
        Qt::MetaModifier | Qt::AltModifier | Qt::ControlModifier | Qt::Key_C,
        Qt::MetaModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::Key_V,
    };
    for (quint32 raw = 1; raw <= 5; ++raw) {
        const std::optional<AppShortcut> shortcut = AppShortcut::fromRawValue(raw);
        ASSERT_TRUE(shortcut.has_value()) << raw;
        EXPECT_EQ(shortcut->rawValue(), raw);
        EXPECT_EQ(shortcut->keys(), expected[raw - 1]) << raw;
        EXPECT_EQ(AppShortcut::matching(expected[raw - 1]), shortcut) << raw;
        // Keypad and group bits are no modifiers a shortcut compares.
        const QKeyCombination withOtherBits(expected[raw - 1].keyboardModifiers() | Qt::KeypadModifier
                                                | Qt::GroupSwitchModifier,
                                            expected[raw - 1].key());
        EXPECT_EQ(AppShortcut::matching(withOtherBits), shortcut) << raw;
    }

    const quint64 flagBits[] = {Shift, Control, Option, Command};
    for (quint32 keyCode : {MacKeyCode::C, MacKeyCode::V}) {
        for (int subset = 0; subset < 16; ++subset) {
            quint64 flags = 0;
            for (int bit = 0; bit < 4; ++bit) {
                if (subset & (1 << bit))
                    flags |= flagBits[bit];
            }
            const QKeyCombination pressed(MacEventFlag::toQtModifiers(flags), *MacKeyCode::toQtKey(keyCode));
            EXPECT_EQ(AppShortcut::matching(pressed), AppShortcut::matching(keyCode, flags)) << keyCode << " " << subset;
        }
    }
    EXPECT_EQ(MacEventFlag::toQtModifiers(Command | Option | CapsLock), Qt::MetaModifier | Qt::AltModifier);
    EXPECT_FALSE(AppShortcut::matching(Qt::MetaModifier | Qt::ShiftModifier | Qt::Key_B).has_value());
    EXPECT_FALSE(AppShortcut::matching(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_V).has_value());
}

} // namespace
