#include "core/AppShortcut.h"
#include "core/MacKeyCode.h"

#include <gtest/gtest.h>

namespace {

using namespace MacEventFlag;

TEST(AppShortcut, TableHoldsKeysMasksAndLinuxLabelsInOrder)
{
    struct Row {
        AppShortcut shortcut;
        quint32 raw;
        quint32 keyCode;
        quint64 flags;
        quint32 hotKeyMask;
        const char *label;
    };
    const Row rows[] = {
        {AppShortcut::history, 1, 9, 0x120000, 768, "Shift+Super+V"},
        {AppShortcut::pasteAs, 2, 9, 0x180000, 2304, "Alt+Super+V"},
        {AppShortcut::pasteStack, 3, 8, 0x180000, 2304, "Alt+Super+C"},
        {AppShortcut::privateCopy, 4, 8, 0x1C0000, 6400, "Ctrl+Alt+Super+C"},
        {AppShortcut::pasteNextFromStack, 5, 9, 0x1A0000, 2816, "Shift+Alt+Super+V"},
    };
    ASSERT_EQ(AppShortcut::allCases().size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row &row = rows[i];
        const AppShortcut listed = AppShortcut::allCases()[i];
        SCOPED_TRACE(row.label);
        EXPECT_EQ(listed, row.shortcut);
        EXPECT_EQ(listed.rawValue(), row.raw);
        EXPECT_EQ(listed.keyCode(), row.keyCode);
        EXPECT_EQ(listed.modifiers(), row.flags);
        EXPECT_EQ(listed.carbonModifiers(), row.hotKeyMask);
        EXPECT_EQ(listed.label(), QString::fromUtf8(row.label));
        EXPECT_EQ(AppShortcut::fromRawValue(row.raw), row.shortcut);
    }
}

TEST(AppShortcut, HotKeyMaskAgreesWithEventFlags)
{
    // Both encodings must name the same keys, or the hot key and the tap would disagree.
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        quint32 expected = AppShortcut::HotKeyCommand;
        if (shortcut.modifiers() & Shift)
            expected |= AppShortcut::HotKeyShift;
        if (shortcut.modifiers() & Option)
            expected |= AppShortcut::HotKeyOption;
        if (shortcut.modifiers() & Control)
            expected |= AppShortcut::HotKeyControl;
        EXPECT_EQ(shortcut.carbonModifiers(), expected) << shortcut.name().toStdString();
        EXPECT_TRUE(shortcut.modifiers() & Command);
    }
}

TEST(AppShortcut, RawValuesOutsideTheTableGiveNothing)
{
    for (quint32 raw : {0u, 6u, 7u, 0xFFFFFFFFu})
        EXPECT_FALSE(AppShortcut::fromRawValue(raw).has_value()) << raw;
}

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
        {"history with keypad and fn bits", 9, Command | Shift | 0x200000 | 0x800000, AppShortcut::history},
        {"command alone", 9, Command, std::nullopt},
        {"extra control", 9, Command | Shift | Control, std::nullopt},
        {"paste as", 9, Command | Option, AppShortcut::pasteAs},
        {"extra shift is next from stack", 9, Command | Option | Shift, AppShortcut::pasteNextFromStack},
        {"paste stack", 8, Command | Option, AppShortcut::pasteStack},
        {"private copy", 8, Command | Option | Control, AppShortcut::privateCopy},
        {"C with shift", 8, Command | Shift, std::nullopt},
        {"other key", 11, Command | Shift, std::nullopt},
        {"no modifiers", 9, 0, std::nullopt},
        {"all four", 9, ModifierMask, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(AppShortcut::matching(c.keyCode, c.flags), c.expected) << c.name;
}

TEST(AppShortcut, LabelsFollowTheGivenOrder)
{
    EXPECT_EQ(AppShortcut::labels({AppShortcut::privateCopy, AppShortcut::history}),
              (QStringList{"Ctrl+Alt+Super+C", "Shift+Super+V"}));
    EXPECT_TRUE(AppShortcut::labels({}).isEmpty());
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
        {"1", 0x31, Qt::Key_1, MacKeyCode::Digit1},
        {"5", 0x35, Qt::Key_5, MacKeyCode::Digit5},
        {"6", 0x36, Qt::Key_6, MacKeyCode::Digit6},
        {"Return", 0xff0d, Qt::Key_Return, MacKeyCode::Return},
        {"Tab", 0xff09, Qt::Key_Tab, MacKeyCode::Tab},
        {"BackSpace", 0xff08, Qt::Key_Backspace, MacKeyCode::Delete},
        {"Delete", 0xffff, Qt::Key_Delete, MacKeyCode::ForwardDelete},
        {"Escape", 0xff1b, Qt::Key_Escape, MacKeyCode::Escape},
        {"KP_Enter", 0xff8d, Qt::Key_Enter, MacKeyCode::KeypadEnter},
        {"Left", 0xff51, Qt::Key_Left, MacKeyCode::LeftArrow},
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
