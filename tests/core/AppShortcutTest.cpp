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

TEST(MacKeyCode, LinuxKeysMapToTheKeyCodesTheRoadsCompare)
{
    struct Case {
        const char *name;
        quint32 keysym;
        int qtKey;
        std::optional<quint32> expected;
    };
    const Case cases[] = {
        {"a", 0x61, Qt::Key_A, 0},
        {"C", 0x63, Qt::Key_C, MacKeyCode::C},
        {"V", 0x76, Qt::Key_V, MacKeyCode::V},
        {"Return", 0xff0d, Qt::Key_Return, MacKeyCode::Return},
        {"BackSpace", 0xff08, Qt::Key_Backspace, MacKeyCode::Delete},
        {"Delete", 0xffff, Qt::Key_Delete, MacKeyCode::ForwardDelete},
        {"Escape", 0xff1b, Qt::Key_Escape, MacKeyCode::Escape},
        {"KP_Enter", 0xff8d, Qt::Key_Enter, MacKeyCode::KeypadEnter},
        {"Up", 0xff52, Qt::Key_Up, MacKeyCode::UpArrow},
        {"Print", 0xff61, Qt::Key_Print, MacKeyCode::F13},
        {"unmapped", 0x1000159, Qt::Key_unknown, std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(MacKeyCode::fromKeysym(c.keysym), c.expected) << c.name;
        EXPECT_EQ(MacKeyCode::fromQtKey(c.qtKey), c.expected) << c.name;
    }
    EXPECT_EQ(MacKeyCode::fromKeysym(0x56), MacKeyCode::V) << "capital V is the V key";
    EXPECT_EQ(MacKeyCode::fromKeysym(0xfe20), MacKeyCode::Tab) << "Shift+Tab is the Tab key";
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
