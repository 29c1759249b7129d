// The key map of Tarnel's own windows while Quick Access is shown.
#include "MonitorFixture.h"

#include <QKeyEvent>

namespace monitortest {
namespace {

using namespace std::chrono_literals;
using Focus = QuickAccessKeyboardFocus;

class PanelKeyMapTest : public MonitorTest {
protected:
    void SetUp() override
    {
        seedHistory({textEntry("e1", "one"), textEntry("e2", "two"), textEntry("e3", "three"), textEntry("e4", "four"),
                     textEntry("e5", "five"), textEntry("e6", "six"), textEntry("e7", "seven")});
        seedSnippets({{"s1", "Adresa", ";adr", "Hlavná 1"}, {"s2", "Podpis", ";sig", "Ján"}});
        createModel();
        createMonitor();
    }
    std::optional<QString> pasted() const { return pasteboard.content().text; }
};

TEST_F(PanelKeyMapTest, CtrlDigitsPasteTheListedEntryAtTheirPosition)
{
    const Qt::Key digits[] = {Qt::Key_1, Qt::Key_2, Qt::Key_6};
    const QString texts[] = {"one", "two", "six"};
    for (int i = 0; i < 3; ++i) {
        openQuickAccess();
        // Also with the options open or the keyboard on the tab strip.
        model->setSelectedEntryID(QStringLiteral("e1"));
        model->setIsQuickPasteOptionsPresented(i % 2 == 0);
        EXPECT_TRUE(key(digits[i], Control)) << i;
        clock.advance(1s);
        EXPECT_EQ(pasted(), texts[i]) << i;
    }
    EXPECT_EQ(pastes(), 3);

    struct Case {
        const char *name;
        ClipboardPanelTab tab;
        QString search;
        Qt::Key digit;
        Qt::KeyboardModifiers modifiers;
    };
    const Case notTaken[] = {
        {"digit 7", ClipboardPanelTab::History, {}, Qt::Key_7, Control},
        {"beyond the list", ClipboardPanelTab::History, "one", Qt::Key_2, Control},
        {"snippets list no entries", ClipboardPanelTab::Snippets, {}, Qt::Key_1, Control},
        {"Super is not Ctrl here", ClipboardPanelTab::History, {}, Qt::Key_1, Super},
    };
    for (const Case &c : notTaken) {
        openQuickAccess(c.tab);
        model->setSearchText(c.search);
        EXPECT_FALSE(key(c.digit, c.modifiers)) << c.name;
    }
    clock.advance(1s);
    EXPECT_EQ(pastes(), 3);
}

// What Qt reports of a press in Tarnel's windows is the key map's key: Shift+Tab is the Tab key,
// and keypad keys other than Enter and the digits are no keys of the map, though what they type
// still counts.
TEST_F(PanelKeyMapTest, QtKeyEventsReachTheMapAsItsKeys)
{
    struct Case {
        const char *name;
        int qtKey;
        Qt::KeyboardModifiers qtModifiers;
        QString text;
        PanelKey expected;
    };
    const Case cases[] = {
        {"Shift+Tab", Qt::Key_Backtab, Shift, {}, {Qt::Key_Tab, Shift, std::nullopt}},
        {"Ctrl+keypad 1", Qt::Key_1, Control | Qt::KeypadModifier, "1", {Qt::Key_1, Control, "1"}},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", {Qt::Key_Enter, {}, "\r"}},
        {"keypad Down", Qt::Key_Down, Qt::KeypadModifier, {}, {Qt::Key_unknown, {}, std::nullopt}},
        {"shortcut", Qt::Key_V, Super | Shift, {}, {Qt::Key_V, Super | Shift, std::nullopt}},
        {"letter of another layout", Qt::Key_Adiaeresis, Qt::GroupSwitchModifier, "ä", {Qt::Key_Adiaeresis, {}, "ä"}},
        {"no key at all", 0, {}, "ŵ", {Qt::Key_unknown, {}, "ŵ"}},
    };
    for (const Case &c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.qtKey, c.qtModifiers, c.text);
        EXPECT_EQ(PanelKeyMap::panelKey(event), c.expected) << c.name;
    }

    // Ctrl with a keypad digit pastes as Ctrl with the digit above the letters does, also
    // where the event names no key.
    openQuickAccess();
    const PanelKey keypad = PanelKeyMap::panelKey(QKeyEvent(QEvent::KeyPress, Qt::Key_2, Control | Qt::KeypadModifier, "2"));
    EXPECT_TRUE(key(keypad.key, keypad.modifiers, keypad.characters));
    clock.advance(1s);
    EXPECT_EQ(pasted(), QStringLiteral("two"));
    openQuickAccess();
    const PanelKey digit = PanelKeyMap::panelKey(QKeyEvent(QEvent::KeyPress, Qt::Key_1, Control, "1"));
    EXPECT_TRUE(key(digit.key, digit.modifiers, digit.characters));
    clock.advance(1s);
    EXPECT_EQ(pasted(), QStringLiteral("one"));
}

// Ctrl and the key of a digit paste by position whatever the layout types on the key: letters
// on Slovak and Czech keyboards, symbols on French ones, with or without the Shift that types
// the digit there; the keypad's digits too, with Num Lock on or off. A key elsewhere that types
// a digit pastes nothing.
TEST_F(PanelKeyMapTest, CtrlDigitsPasteByTheKeyOnEveryLayout)
{
    struct Case {
        const char *name;
        int qtKey;
        Qt::KeyboardModifiers qtModifiers;
        quint32 keycode;
        QString text;
        std::optional<QString> pastes;
    };
    const Case cases[] = {
        {"Slovak 2 types ľ", 0x13e, Control, 11, "ľ", "two"},
        {"Czech 1 types +", Qt::Key_Plus, Control, 10, "+", "one"},
        {"French 6 types -", Qt::Key_Minus, Control, 15, "-", "six"},
        {"US 3", Qt::Key_3, Control, 12, "3", "three"},
        {"a letter key that types 2", Qt::Key_2, Control, 38, "2", std::nullopt},
        {"keypad 2", Qt::Key_2, Control | Qt::KeypadModifier, 88, "2", "two"},
        {"keypad 4", Qt::Key_4, Control | Qt::KeypadModifier, 83, "4", "four"},
        {"keypad 6 without Num Lock", Qt::Key_Right, Control | Qt::KeypadModifier, 85, {}, "six"},
        {"keypad 7", Qt::Key_7, Control | Qt::KeypadModifier, 79, "7", std::nullopt},
        {"the 7 key", Qt::Key_7, Control, 16, "7", std::nullopt},
        {"US Ctrl+Shift on the 2 key", Qt::Key_At, Control | Shift, 11, "@", "two"},
        {"Slovak Ctrl+Shift on the 5 key types 5", Qt::Key_5, Control | Shift, 14, "5", "five"},
        {"Ctrl+Alt on the 2 key", Qt::Key_2, Control | Qt::AltModifier, 11, "2", std::nullopt},
    };
    for (const Case &c : cases) {
        openQuickAccess();
        pasteboard.writeText(QStringLiteral("untouched"));
        const QKeyEvent event(QEvent::KeyPress, c.qtKey, c.qtModifiers, c.keycode, 0, 0, c.text);
        const PanelKey pressed = PanelKeyMap::panelKey(event);
        EXPECT_EQ(pressed.keycode, c.keycode) << c.name;
        const int before = pastes();
        const bool taken = monitor->keyMap().handleKey(pressed.key, pressed.modifiers, pressed.characters, pressed.keycode);
        clock.advance(1s);
        EXPECT_EQ(taken && pastes() == before + 1, c.pastes.has_value()) << c.name;
        EXPECT_EQ(pasted(), c.pastes.value_or(QStringLiteral("untouched"))) << c.name;
    }
}

TEST_F(PanelKeyMapTest, OutsideQuickAccessOnlyShortcutsAreTaken)
{
    EXPECT_FALSE(key(Qt::Key_Escape));
    EXPECT_FALSE(key(Qt::Key_Tab));
    EXPECT_FALSE(key(Qt::Key_1, Control));
    EXPECT_FALSE(key(Qt::Key_A, {}, QStringLiteral("a")));
    EXPECT_TRUE(key(Qt::Key_V, Shift | Super));
    EXPECT_EQ(quickAccessCalls, QList<bool>{false});
    // An overlay over Quick Access keeps the keys away from it.
    openQuickAccess();
    model->setPanelOverlayPresented(true);
    EXPECT_FALSE(key(Qt::Key_Escape));
    EXPECT_EQ(dismissCalls, 0);
}

TEST_F(PanelKeyMapTest, ReturnCommitsEscapeClosesAndOptionsAreDriven)
{
    // Return pastes the selected item.
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    model->setSelectedEntryID(QStringLiteral("e3"));
    EXPECT_TRUE(key(Qt::Key_Return));
    clock.advance(1s);
    EXPECT_EQ(pasted(), QStringLiteral("three"));

    // Keypad Enter does not commit an item.
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    model->setSelectedEntryID(QStringLiteral("e3"));
    const int before = pastes();
    EXPECT_FALSE(key(Qt::Key_Enter));
    clock.advance(1s);
    EXPECT_EQ(pastes(), before);

    // Right opens the options, Down moves, Left closes, Escape closes, Escape again dismisses.
    EXPECT_TRUE(key(Qt::Key_Right));
    EXPECT_TRUE(model->isQuickPasteOptionsPresented());
    EXPECT_TRUE(key(Qt::Key_Right)); // taken, does nothing
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_TRUE(key(Qt::Key_Up));
    EXPECT_EQ(model->selectedQuickPasteOptionIndex(), 1);
    EXPECT_TRUE(key(Qt::Key_Left));
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());
    EXPECT_TRUE(key(Qt::Key_Right));
    EXPECT_TRUE(key(Qt::Key_Escape));
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());
    EXPECT_EQ(dismissCalls, 0);
    EXPECT_TRUE(key(Qt::Key_Escape));
    EXPECT_EQ(dismissCalls, 1);

    // Right with nothing that has options goes on to the view.
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    EXPECT_FALSE(key(Qt::Key_Right));
}

TEST_F(PanelKeyMapTest, TypingGoesIntoTheSearchUnlessTheFieldOrANoticeHasIt)
{
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    model->setSelectedEntryID(QStringLiteral("e1"));
    model->setIsQuickPasteOptionsPresented(true);
    EXPECT_TRUE(key(Qt::Key_unknown, Shift, QStringLiteral("T")));
    EXPECT_TRUE(key(Qt::Key_unknown, Alt, QStringLiteral("ŵ")));
    EXPECT_EQ(model->searchText(), QStringLiteral("Tŵ"));
    EXPECT_EQ(model->quickAccessKeyboardFocus(), Focus::Search);
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());
    EXPECT_TRUE(key(Qt::Key_Backspace));
    EXPECT_EQ(model->searchText(), QStringLiteral("T"));
    EXPECT_TRUE(key(Qt::Key_Backspace));
    EXPECT_TRUE(key(Qt::Key_Backspace)); // empty: still taken
    EXPECT_TRUE(model->searchText().isEmpty());

    // A user-perceived character goes as a whole.
    model->setSearchText(QStringLiteral("ab\U0001F44D\U0001F3FD"));
    EXPECT_TRUE(key(Qt::Key_Backspace));
    EXPECT_EQ(model->searchText(), QStringLiteral("ab"));

    struct Case {
        const char *name;
        Qt::KeyboardModifiers modifiers;
        std::optional<QString> characters;
    };
    const Case ignored[] = {
        {"Ctrl", Control, QStringLiteral("a")},
        {"private use", {}, QString(QChar(0xF700))},
    };
    for (const Case &c : ignored) {
        EXPECT_FALSE(key(Qt::Key_unknown, c.modifiers, c.characters)) << c.name;
        EXPECT_EQ(model->searchText(), QStringLiteral("ab")) << c.name;
    }

    // While the search field edits, it owns typing, Delete, Return and the side arrows.
    textFieldFocused = true;
    model->setSearchFieldFocused(true);
    model->requestQuickSearchFocus();
    for (Qt::Key code : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Return, Qt::Key_Backspace})
        EXPECT_FALSE(key(code)) << int(code);
    EXPECT_FALSE(key(Qt::Key_unknown, {}, QStringLiteral("x")));
    EXPECT_EQ(model->searchText(), QStringLiteral("ab"));
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_EQ(model->quickAccessKeyboardFocus(), Focus::Items);
    textFieldFocused = false;
    model->setSearchFieldFocused(false);

    // A notice is showing: no search to type into.
    model->setShortcutNotice(QStringLiteral("notice"));
    EXPECT_FALSE(key(Qt::Key_unknown, {}, QStringLiteral("z")));
    EXPECT_EQ(model->searchText(), QStringLiteral("ab"));
}

} // namespace
} // namespace monitortest
