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
    const quint32 digits[] = {MacKeyCode::Digit1, MacKeyCode::Digit2, MacKeyCode::Digit6};
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
        quint32 digit;
        quint64 modifiers;
    };
    const Case notTaken[] = {
        {"digit 7", ClipboardPanelTab::History, {}, 26, Control},
        {"beyond the list", ClipboardPanelTab::History, "one", MacKeyCode::Digit2, Control},
        {"snippets list no entries", ClipboardPanelTab::Snippets, {}, MacKeyCode::Digit1, Control},
        {"Super is not Ctrl here", ClipboardPanelTab::History, {}, MacKeyCode::Digit1, Command},
    };
    for (const Case &c : notTaken) {
        openQuickAccess(c.tab);
        model->setSearchText(c.search);
        EXPECT_FALSE(key(c.digit, c.modifiers)) << c.name;
    }
    clock.advance(1s);
    EXPECT_EQ(pastes(), 3);
}

TEST_F(PanelKeyMapTest, OutsideQuickAccessOnlyShortcutsAreTaken)
{
    EXPECT_FALSE(key(MacKeyCode::Escape));
    EXPECT_FALSE(key(MacKeyCode::Tab));
    EXPECT_FALSE(key(MacKeyCode::Digit1, Control));
    EXPECT_FALSE(key(0, 0, QStringLiteral("a")));
    EXPECT_TRUE(key(MacKeyCode::V, Shift | Command));
    EXPECT_EQ(quickAccessCalls, QList<bool>{false});
    // An overlay over Quick Access keeps the keys away from it.
    openQuickAccess();
    model->setPanelOverlayPresented(true);
    EXPECT_FALSE(key(MacKeyCode::Escape));
    EXPECT_EQ(dismissCalls, 0);
}

TEST_F(PanelKeyMapTest, ReturnCommitsEscapeClosesAndOptionsAreDriven)
{
    // Return pastes the selected item.
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    model->setSelectedEntryID(QStringLiteral("e3"));
    EXPECT_TRUE(key(MacKeyCode::Return));
    clock.advance(1s);
    EXPECT_EQ(pasted(), QStringLiteral("three"));

    // Keypad Enter does not commit an item.
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    model->setSelectedEntryID(QStringLiteral("e3"));
    const int before = pastes();
    EXPECT_FALSE(key(MacKeyCode::KeypadEnter));
    clock.advance(1s);
    EXPECT_EQ(pastes(), before);

    // Right opens the options, Down moves, Left closes, Escape closes, Escape again dismisses.
    EXPECT_TRUE(key(MacKeyCode::RightArrow));
    EXPECT_TRUE(model->isQuickPasteOptionsPresented());
    EXPECT_TRUE(key(MacKeyCode::RightArrow)); // taken, does nothing
    EXPECT_TRUE(key(MacKeyCode::DownArrow));
    EXPECT_TRUE(key(MacKeyCode::DownArrow));
    EXPECT_TRUE(key(MacKeyCode::UpArrow));
    EXPECT_EQ(model->selectedQuickPasteOptionIndex(), 1);
    EXPECT_TRUE(key(MacKeyCode::LeftArrow));
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());
    EXPECT_TRUE(key(MacKeyCode::RightArrow));
    EXPECT_TRUE(key(MacKeyCode::Escape));
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());
    EXPECT_EQ(dismissCalls, 0);
    EXPECT_TRUE(key(MacKeyCode::Escape));
    EXPECT_EQ(dismissCalls, 1);

    // Right with nothing that has options goes on to the view.
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    EXPECT_FALSE(key(MacKeyCode::RightArrow));
}

TEST_F(PanelKeyMapTest, TypingGoesIntoTheSearchUnlessTheFieldOrANoticeHasIt)
{
    openQuickAccess();
    model->setQuickAccessKeyboardFocus(Focus::Items);
    model->setSelectedEntryID(QStringLiteral("e1"));
    model->setIsQuickPasteOptionsPresented(true);
    EXPECT_TRUE(key(MacKeyCode::Unknown, Shift, QStringLiteral("T")));
    EXPECT_TRUE(key(MacKeyCode::Unknown, Option, QStringLiteral("ŵ")));
    EXPECT_EQ(model->searchText(), QStringLiteral("Tŵ"));
    EXPECT_EQ(model->quickAccessKeyboardFocus(), Focus::Search);
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());
    EXPECT_TRUE(key(MacKeyCode::Delete));
    EXPECT_EQ(model->searchText(), QStringLiteral("T"));
    EXPECT_TRUE(key(MacKeyCode::Delete));
    EXPECT_TRUE(key(MacKeyCode::Delete)); // empty: still taken
    EXPECT_TRUE(model->searchText().isEmpty());

    // A user-perceived character goes as a whole.
    model->setSearchText(QStringLiteral("ab\U0001F44D\U0001F3FD"));
    EXPECT_TRUE(key(MacKeyCode::Delete));
    EXPECT_EQ(model->searchText(), QStringLiteral("ab"));

    struct Case {
        const char *name;
        quint64 modifiers;
        std::optional<QString> characters;
    };
    const Case ignored[] = {
        {"Ctrl", Control, QStringLiteral("a")},
        {"private use", 0, QString(QChar(0xF700))},
    };
    for (const Case &c : ignored) {
        EXPECT_FALSE(key(MacKeyCode::Unknown, c.modifiers, c.characters)) << c.name;
        EXPECT_EQ(model->searchText(), QStringLiteral("ab")) << c.name;
    }

    // While the search field edits, it owns typing, Delete, Return and the side arrows.
    textFieldFocused = true;
    model->setSearchFieldFocused(true);
    model->requestQuickSearchFocus();
    for (quint32 code : {MacKeyCode::LeftArrow, MacKeyCode::RightArrow, MacKeyCode::Return, MacKeyCode::Delete})
        EXPECT_FALSE(key(code)) << code;
    EXPECT_FALSE(key(MacKeyCode::Unknown, 0, QStringLiteral("x")));
    EXPECT_EQ(model->searchText(), QStringLiteral("ab"));
    EXPECT_TRUE(key(MacKeyCode::DownArrow));
    EXPECT_EQ(model->quickAccessKeyboardFocus(), Focus::Items);
    textFieldFocused = false;
    model->setSearchFieldFocused(false);

    // A notice is showing: no search to type into.
    model->setShortcutNotice(QStringLiteral("notice"));
    EXPECT_FALSE(key(MacKeyCode::Unknown, 0, QStringLiteral("z")));
    EXPECT_EQ(model->searchText(), QStringLiteral("ab"));
}

} // namespace
} // namespace monitortest
