// The Quick Access view reflects the model; keys reach the key map before any widget.
#include "../shell/MonitorFixture.h"

#include "ui/library/JarCard.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/quickaccess/QuickAccessItemDelegate.h"
#include "ui/quickaccess/QuickAccessListModel.h"
#include "ui/quickaccess/QuickAccessOptionsPage.h"
#include "ui/quickaccess/QuickAccessPermissionNotice.h"
#include "ui/quickaccess/QuickAccessTabBar.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelStyle.h"

#include <cmath>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QToolTip>
#include <QWindow>

namespace monitortest {
namespace {

using namespace std::chrono_literals;

class QuickAccessViewTest : public MonitorTest {
protected:
    void SetUp() override
    {
        ClipboardEntry image = textEntry("img", "");
        image.kind = ClipboardKind::Image;
        QList<ClipboardEntry> seeded;
        for (int i = 1; i <= 8; ++i)
            seeded.append(textEntry(QStringLiteral("e%1").arg(i), QStringLiteral("entry number %1").arg(i)));
        seeded.append(image);
        seedHistory(seeded);
        seedSnippets({{"s1", "Adresa", ";adr", "Hlavná 1"}});
        makeView();
    }
    void makeView()
    {
        view.reset();
        monitor.reset();
        createModel();
        createMonitor();
        view = std::make_unique<QuickAccessView>(*model);
        QObject::connect(view.get(), &QuickAccessView::layoutChanged, [this] { ++layoutChanges; });
        QObject::connect(view.get(), &QuickAccessView::imageActionChosen,
                         [this](QuickImageAction action, const ClipboardEntry &entry) {
                             imageActions.append({action, entry.id});
                         });
        view->resize(350, 408);
        view->show();
    }
    void TearDown() override { view.reset(); }

    QStringList titles() const
    {
        QStringList out;
        for (int row = 0; row < view->listModel()->rowCount(); ++row)
            out.append(view->listModel()->index(row).data(QuickAccessListModel::TitleRole).toString());
        return out;
    }
    // A key press as the desktop delivers it: to the window first.
    void pressOnWindow(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = QString())
    {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, text);
        view->show();
        QCoreApplication::sendEvent(view->windowHandle(), &event);
    }

    // The user clicks the tab's button in the bar.
    void clickTab(ClipboardPanelTab tab)
    {
        const auto &order = ClipboardModel::quickAccessTabOrder();
        const int index = int(std::find(order.begin(), order.end(), tab) - order.begin());
        view->tabBar()->centreSelected(true);
        QCoreApplication::processEvents();
        QTest::mouseClick(view->tabBar(), Qt::LeftButton, {}, view->tabBar()->buttonRect(index).center().toPoint());
        QCoreApplication::processEvents();
    }
    // The user clicks the listed row that shows the item.
    void clickRow(const QString &id)
    {
        QCoreApplication::processEvents();
        // A Jar stands as a card of its own.
        for (JarCard *card : view->jarCards()) {
            if (card->jarID() == id)
                return QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(20, 20));
        }
        for (int row = 0; row < view->listModel()->rowCount(); ++row) {
            const QModelIndex index = view->listModel()->index(row);
            if (index.data(QuickAccessListModel::IdRole).toString() == id) {
                QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, view->list()->visualRect(index).center());
                return;
            }
        }
        ADD_FAILURE() << "no row " << id.toStdString();
    }
    // The user types into the search field, or erases what it holds.
    void type(const QString &text)
    {
        view->searchField()->setFocus();
        QTest::keyClicks(view->searchField(), text);
    }
    void erase()
    {
        while (!view->searchField()->text().isEmpty()) {
            const qsizetype before = view->searchField()->text().size();
            QTest::keyClick(view->searchField(), Qt::Key_Backspace);
            if (view->searchField()->text().size() == before)
                return ADD_FAILURE() << "the field does not erase";
        }
    }
    QStringList shownIDs() const
    {
        QStringList out;
        if (view->emptyState()->isVisible())
            return out;
        for (int row = 0; row < view->listModel()->rowCount(); ++row)
            out.append(view->listModel()->index(row).data(QuickAccessListModel::IdRole).toString());
        out.sort();
        return out;
    }
    std::pair<QString, QString> emptyTexts() const
    {
        if (!view->emptyState()->isVisible())
            return {};
        return {view->emptyState()->title(), view->emptyState()->message()};
    }

    std::unique_ptr<QuickAccessView> view;
    int layoutChanges = 0;
    QList<QPair<QuickImageAction, QString>> imageActions;
};

TEST_F(QuickAccessViewTest, ListsTheRowsOfEachTabWithPasteChordsOnTheFirstSix)
{
    openQuickAccess(ClipboardPanelTab::History);
    EXPECT_EQ(view->listModel()->rowCount(), 9);
    QStringList chords;
    for (int row = 0; row < 9; ++row)
        chords.append(view->listModel()->index(row).data(QuickAccessListModel::ShortcutRole).toString());
    EXPECT_EQ(chords, (QStringList{"Ctrl+1", "Ctrl+2", "Ctrl+3", "Ctrl+4", "Ctrl+5", "Ctrl+6", "", "", ""}));

    struct Case {
        ClipboardPanelTab tab;
        int rows;
        QuickAccessListModel::RowKind kind;
    };
    const Case cases[] = {
        {ClipboardPanelTab::Gallery, 1, QuickAccessListModel::RowKind::Entry},
        {ClipboardPanelTab::Snippets, 1, QuickAccessListModel::RowKind::Snippet},
    };
    for (const Case &c : cases) {
        model->setSelectedTab(c.tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(view->listModel()->rowCount(), c.rows) << rawValue(c.tab).toStdString();
        EXPECT_EQ(view->listModel()->rowKind(), c.kind);
        // The selected tab is scrolled into the bar's room, whatever the language's title widths.
        const auto &order = ClipboardModel::quickAccessTabOrder();
        const int index = int(std::find(order.begin(), order.end(), c.tab) - order.begin());
        EXPECT_TRUE(QRectF(view->tabBar()->rect()).contains(view->tabBar()->buttonRect(index))) << rawValue(c.tab).toStdString();
    }
}

TEST_F(QuickAccessViewTest, TypingInTheFieldFiltersAndTheModelsTextShowsInTheField)
{
    openQuickAccess();
    view->show();
    view->searchField()->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    QCoreApplication::sendEvent(view->searchField(), &key);
    EXPECT_EQ(model->searchText(), QStringLiteral("7"));
    EXPECT_EQ(titles(), QStringList{"entry number 7"});
    // Typed from the item list by the key map: the field shows it.
    model->setSearchText(QStringLiteral("number 8"));
    EXPECT_EQ(view->searchField()->text(), QStringLiteral("number 8"));
    EXPECT_EQ(titles(), QStringList{"entry number 8"});
}

ClipboardEntry imageFrom(const QString &id, const QString &source, bool screenshot)
{
    ClipboardEntry entry = textEntry(id, "");
    entry.kind = ClipboardKind::Image;
    entry.sourceApp = source;
    entry.isScreenshot = screenshot;
    return entry;
}

// What the user types in the field narrows the tab they clicked, each tab by its own items; a
// search that finds nothing says so in the tab's own words.
TEST_F(QuickAccessViewTest, TheSearchNarrowsEveryTab)
{
    ClipboardEntry pie = textEntry("pie", "apple pie");
    pie.isPinned = true;
    ClipboardEntry kiwi = textEntry("kiwi", "kiwi");
    kiwi.isPinned = true;
    seedHistory({pie, kiwi, textEntry("juice", "apple juice"), textEntry("bread", "banana bread"), textEntry("cherry", "cherry"),
                 imageFrom("fox", "Firefox", false), imageFrom("gimp", "Gimp", false),
                 imageFrom("flame", "Flameshot", true), imageFrom("spectacle", "Spectacle", true)});
    seedPasteStack({"bread", "cherry"});
    seedJars({ClipboardJar{"recipes", "Recepty", {"pie", "juice"}}, ClipboardJar{"work", "Práca", {"bread"}}});
    seedSnippets({{"adr", "Adresa", ";adr", "Hlavná 1"}, {"sig", "Podpis", ";sig", "S pozdravom"}});
    makeView();
    openQuickAccess();

    const QString nothing = "Nič sa nenašlo";
    const QString tryAnother = "Skús iný výraz vyhľadávania.";
    using Tab = ClipboardPanelTab;
    struct Case {
        Tab tab;
        QString openRow; // a Jar row clicked before searching
        QString search;
        QStringList shown;
        QString noMatchMessage;
    };
    const Case cases[] = {
        {Tab::History, {}, "apple", {"juice", "pie"}, tryAnother},
        {Tab::Clipboard, {}, "apple", {"juice"}, tryAnother},
        {Tab::Pins, {}, "apple", {"pie"}, tryAnother},
        {Tab::PasteStack, {}, "cher", {"cherry"}, tryAnother},
        {Tab::Jars, {}, "rec", {"recipes"}, "Skús iný názov Jaru."},
        {Tab::Jars, "recipes", "juice", {"juice"}, tryAnother},
        {Tab::Gallery, {}, "fire", {"fox"}, tryAnother},
        {Tab::Screenshots, {}, "flame", {"flame"}, tryAnother},
        {Tab::Snippets, {}, "sig", {"sig"}, "Skús iný názov, skratku alebo časť textu."},
    };
    for (const Case &c : cases) {
        const std::string name = (rawValue(c.tab) + " " + c.openRow + " " + c.search).toStdString();
        clickTab(c.tab);
        ASSERT_EQ(model->selectedTab(), c.tab) << name;
        if (!c.openRow.isEmpty())
            clickRow(c.openRow);
        const QStringList unfiltered = shownIDs();
        type(c.search);
        EXPECT_EQ(model->searchText(), c.search) << name;
        EXPECT_EQ(shownIDs(), c.shown) << name;
        EXPECT_NE(shownIDs(), unfiltered) << name << ": the search left the tab as it was";
        type("zzz");
        EXPECT_EQ(emptyTexts(), std::pair(nothing, c.noMatchMessage)) << name;
        erase();
        EXPECT_EQ(shownIDs(), unfiltered) << name;
    }
}

// Each tab with nothing to list explains what belongs there.
TEST_F(QuickAccessViewTest, EachEmptyTabSaysWhatBelongsThere)
{
    using Tab = ClipboardPanelTab;
    struct Case {
        const char *history;
        Tab tab;
        QString openRow;
        QString title;
        QString message;
    };
    const QString copyImage = "Skopíruj obrázok a nájdeš ho tu pripravený na vloženie.";
    const Case cases[] = {
        {"empty", Tab::Clipboard, {}, "Tvoja schránka začína tu",
         "Skopíruj text, obrázok alebo súbor.\nNájdeš ho tu pripravený na vloženie."},
        {"empty", Tab::History, {}, "História je prázdna", "Skopíruj text, obrázok alebo súbor. V Histórii zostane aj po vložení."},
        {"empty", Tab::Pins, {}, "Dôležité veci poruke", "V menu položky vyber Pripnúť. Zostane tu aj po vložení."},
        {"empty", Tab::PasteStack, {}, "Paste Stack je prázdny",
         "Pridaj položky z Histórie tlačidlom + alebo skopíruj výber cez " + AppShortcut(AppShortcut::pasteStack).label() + "."},
        {"empty", Tab::Jars, {}, "Zatiaľ nemáš žiadny Jar",
         "Jars sú kolekcie, do ktorých si môžeš ukladať vybrané položky z Histórie."},
        {"empty", Tab::Gallery, {}, "Zatiaľ tu nie sú obrázky", copyImage},
        {"empty", Tab::Screenshots, {}, "Zatiaľ tu nie sú snímky obrazovky", copyImage},
        {"empty", Tab::Snippets, {}, "Texty, ktoré používaš často", "Skopíruj text a ulož si ho pod vlastným názvom."},
        {"pinned only", Tab::Clipboard, {}, "Schránka je prázdna",
         "Skopíruj text, obrázok alebo súbor.\nNájdeš ho tu pripravený na vloženie."},
        {"pinned only", Tab::Jars, "empty-jar", "Jar je prázdny",
         "Pridaj položky z Histórie cez menu položky a možnosť Pridať do Jaru."},
    };
    for (const Case &c : cases) {
        const std::string name = std::string(c.history) + " " + rawValue(c.tab).toStdString();
        ClipboardEntry pinned = textEntry("p", "pinned");
        pinned.isPinned = true;
        const bool keepsPinned = std::string(c.history) != "empty";
        seedHistory({pinned});
        seedSnippets({});
        seedJars(c.openRow.isEmpty() ? QList<ClipboardJar>{} : QList<ClipboardJar>{{c.openRow, "Prázdny", {}}});
        makeView();
        // The stored history keeps what earlier cases stored; the user deletes what is not wanted.
        const QList<ClipboardEntry> stored = model->entries();
        for (const ClipboardEntry &entry : stored) {
            if (!(keepsPinned && entry.id == pinned.id))
                model->deleteEntry(entry);
        }
        ASSERT_EQ(model->entries().size(), keepsPinned ? 1 : 0) << name;
        openQuickAccess();
        clickTab(c.tab);
        if (!c.openRow.isEmpty())
            clickRow(c.openRow);
        EXPECT_EQ(emptyTexts(), std::pair(c.title, c.message)) << name;
    }
}

TEST_F(QuickAccessViewTest, SelectionOptionsAndNoticeChooseThePage)
{
    openQuickAccess();
    model->setSelectedEntryID(QStringLiteral("e2"));
    EXPECT_EQ(view->listModel()->selectedRow(), 1);
    EXPECT_TRUE(view->listModel()->index(1).data(QuickAccessListModel::SelectedRole).toBool());

    ASSERT_TRUE(model->openQuickPasteOptions());
    EXPECT_EQ(view->options()->rowCount(), 8);
    EXPECT_FALSE(view->options()->isHidden());

    model->setIsQuickPasteOptionsPresented(false);
    model->setSelectedEntryID(QStringLiteral("img"));
    ASSERT_TRUE(model->openQuickPasteOptions());
    QStringList imageRows;
    for (int row = 0; row < view->options()->rowCount(); ++row)
        imageRows.append(view->options()->rowTitle(row));
    EXPECT_EQ(imageRows, (QStringList{"Zobraziť náhľad", "Upraviť obrázok", "Uložiť ako PNG", "Uložiť ako JPG"}));

    model->setShortcutNotice(AccessibilityNotice::copyNeedsKeys());
    view->show();
    EXPECT_TRUE(view->notice()->isVisible());
    EXPECT_FALSE(view->options()->isVisible());
    EXPECT_GT(layoutChanges, 0);
}

TEST_F(QuickAccessViewTest, EveryOpeningShowsTheFirstRowWhateverTheLastSessionScrolledTo)
{
    openQuickAccess();
    model->setSelectedEntryID(QStringLiteral("img"));
    QListView *list = view->list();
    ASSERT_GT(list->verticalScrollBar()->value(), 0) << "the last row lies below the first screenful";

    model->setIsQuickAccessPresented(false);
    openQuickAccess();
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_EQ(list->visualRect(view->listModel()->index(0)).top(), 0);
}

TEST_F(QuickAccessViewTest, TheSelectedRowIsSystemBlueUnderItsWhiteTitleInBothAppearances)
{
    openQuickAccess();
    model->setSelectedEntryID(QStringLiteral("e1"));
    for (ClipboardAppearance appearance : {ClipboardAppearance::Dark, ClipboardAppearance::Light}) {
        model->setAppearance(appearance);
        QCoreApplication::processEvents();
        const QImage picture = view->grab().toImage();
        const QRect row = view->list()->visualRect(view->listModel()->index(0))
                              .translated(view->list()->viewport()->mapTo(view.get(), QPoint()));
        const QColor fill = picture.pixelColor(row.center().x(), row.top() + 2);
        const QColor blue = PanelStyle::colors(PanelStyle::schemeFor(appearance)).systemBlue;
        EXPECT_EQ(fill.rgb(), blue.rgb()) << fill.name().toStdString();
        // White reads on it: at least 3 : 1.
        const auto luminance = [](const QColor &c) {
            const auto lin = [](qreal v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
        };
        EXPECT_GE(1.05 / (luminance(fill) + 0.05), 3.0) << fill.name().toStdString();
    }
}

TEST_F(QuickAccessViewTest, TheNoticeButtonLeadsWithItsLabelAndEndsWithAnArrow)
{
    openQuickAccess();
    model->setShortcutNotice(AccessibilityNotice::copyNeedsKeys());
    view->show();
    auto *button = view->notice()->findChild<PanelButton *>();
    ASSERT_TRUE(button && button->isVisible());
    const QImage picture = button->grab().toImage();
    const QColor fill = picture.pixelColor(2, picture.height() / 2);
    int first = -1;
    int last = -1;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = picture.height() / 4; y < picture.height() * 3 / 4; ++y) {
            const QColor pixel = picture.pixelColor(x, y);
            if (std::abs(pixel.lightness() - fill.lightness()) > 60) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    const int padding = button->look().horizontalPadding;
    ASSERT_GE(first, 0) << "the button shows its label";
    EXPECT_LE(first, padding + 2) << "the label leads";
    EXPECT_GE(last, picture.width() - padding - 3) << "an arrow ends it";
    // Between the caption and the arrow lies the free room of the button.
    int gap = 0;
    int longest = 0;
    for (int x = first; x <= last; ++x) {
        bool ink = false;
        for (int y = 0; y < picture.height() && !ink; ++y)
            ink = std::abs(picture.pixelColor(x, y).lightness() - fill.lightness()) > 60;
        gap = ink ? 0 : gap + 1;
        longest = std::max(longest, gap);
    }
    EXPECT_GT(longest, 20);
}

TEST_F(QuickAccessViewTest, KeysReachTheKeyMapBeforeAnyWidget)
{
    monitor->requestAccessAndStart(false);
    openQuickAccess();
    view->show();
    view->searchField()->setFocus();

    // Ctrl+2 pastes the second row, whatever widget has the keyboard.
    pressOnWindow(Qt::Key_2, Qt::ControlModifier, QStringLiteral("2"));
    clock.advance(1s);
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("entry number 2"));

    openQuickAccess();
    pressOnWindow(Qt::Key_Down);
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Items);
    EXPECT_EQ(model->selectedEntryID(), QStringLiteral("e1"));
    pressOnWindow(Qt::Key_Down);
    EXPECT_EQ(model->selectedEntryID(), QStringLiteral("e2"));
    EXPECT_EQ(view->listModel()->selectedRow(), 1);
    pressOnWindow(Qt::Key_Escape);
    EXPECT_EQ(dismissCalls, 1);
}

// A save dialog opened from Quick Access is another of Tarnel's windows: its keys are its own.
TEST_F(QuickAccessViewTest, KeysOfAnotherTarnelWindowNeverReachQuickAccess)
{
    monitor->requestAccessAndStart(false);
    openQuickAccess();
    QWidget dialog;
    auto *name = new QLineEdit(&dialog);
    dialog.show();
    name->setFocus();
    const auto pressOnDialog = [&](int qtKey, Qt::KeyboardModifiers modifiers, const QString &text) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, text);
        QCoreApplication::sendEvent(dialog.windowHandle(), &event);
    };
    pressOnDialog(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    pressOnDialog(Qt::Key_Down, Qt::NoModifier, QString());
    pressOnDialog(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    pressOnDialog(Qt::Key_Escape, Qt::NoModifier, QString());
    pressOnDialog(Qt::Key_2, Qt::ControlModifier, QStringLiteral("2"));
    clock.advance(1s);
    EXPECT_TRUE(model->searchText().isEmpty());
    EXPECT_EQ(dismissCalls, 0);
    EXPECT_EQ(pastes(), 0);
    EXPECT_TRUE(model->isQuickAccessPresented());
    // A global shortcut still works from there.
    pressOnDialog(Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier, QStringLiteral("V"));
    EXPECT_EQ(quickAccessCalls, QList<bool>{false});
}

TEST_F(QuickAccessViewTest, TheSearchFieldTellsTheModelWhenItHasTheKeyboard)
{
    openQuickAccess();
    view->show();
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitFor([this] { return view->isActiveWindow(); }));
    model->requestQuickSearchFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return view->searchField()->hasFocus(); }));
    EXPECT_TRUE(model->isSearchFieldFocused());
    model->setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Items);
    EXPECT_FALSE(view->searchField()->hasFocus());
    EXPECT_FALSE(model->isSearchFieldFocused());
}

// The tab bar, the options and the notice only show what they are told and announce the
// user's choices: each choice must reach the model, and each change of the model must reach them.
TEST_F(QuickAccessViewTest, TabsOptionsAndNoticeHandChoicesToTheModelAndFollowIt)
{
    openQuickAccess();
    QuickAccessTabBar &tabs = *view->tabBar();
    model->setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Search);
    clickTab(ClipboardPanelTab::Pins);
    EXPECT_EQ(model->selectedTab(), ClipboardPanelTab::Pins);
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Tabs) << "a clicked tab takes the keyboard";
    EXPECT_EQ(tabs.selectedTab(), ClipboardPanelTab::Pins);
    model->setSelectedTab(ClipboardPanelTab::Snippets);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tabs.selectedTab() == ClipboardPanelTab::Snippets; }));

    model->setSelectedTab(ClipboardPanelTab::History);
    model->setSelectedEntryID(QStringLiteral("e2"));
    ASSERT_TRUE(model->openQuickPasteOptions());
    QuickAccessOptionsPage &options = *view->options();
    ASSERT_TRUE(options.isVisible());
    QTest::mouseMove(&options, options.rowRect(2).center().toPoint());
    EXPECT_EQ(model->selectedQuickPasteOptionIndex(), 2);
    model->setSelectedQuickPasteOptionIndex(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return options.selectedRow() == 4; }));
    // The first text option writes the upper case of the entry.
    QTest::mouseClick(&options, Qt::LeftButton, {}, options.rowRect(0).center().toPoint());
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("ENTRY NUMBER 2"));

    openQuickAccess();
    model->setSelectedEntryID(QStringLiteral("e2"));
    ASSERT_TRUE(model->openQuickPasteOptions());
    auto *back = options.findChild<QAbstractButton *>();
    ASSERT_TRUE(back && back->toolTip() == QStringLiteral("Späť na históriu"));
    back->click();
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());

    QList<bool> settingsRequests;
    QObject::connect(view.get(), &QuickAccessView::permissionSettingsRequested,
                     [&](bool trusted) { settingsRequests.append(trusted); });
    model->setAccessibilityPermissionEnabled(false);
    model->setShortcutNotice(AccessibilityNotice::copyNeedsKeys());
    PanelButton &noticeButton = *view->notice()->settingsButton();
    ASSERT_TRUE(QTest::qWaitFor([&] { return noticeButton.look().title == QStringLiteral("Otvoriť Prístupnosť"); }));
    noticeButton.click();
    model->setAccessibilityPermissionEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return noticeButton.look().title == QStringLiteral("Otvoriť Monitorovanie vstupu"); }));
    noticeButton.click();
    EXPECT_EQ(settingsRequests, (QList<bool>{false, true}));
}

// The window has the keyboard, as it does once Quick Access took it from the application behind.
void activate(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isActiveWindow(); }));
}

// Quick Access opens with the keyboard in its search field: the first key typed searches.
TEST_F(QuickAccessViewTest, OpensWithTheKeyboardInTheSearchField)
{
    monitor->requestAccessAndStart(false);
    activate(*view);
    for (int opening = 0; opening < 2; ++opening) {
        openQuickAccess();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return view->searchField()->hasFocus() && model->quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Search;
        })) << opening;
        EXPECT_FALSE(view->tabBar()->isKeyboardFocused()) << "the tabs do not wear the focused look";
        pressOnWindow(Qt::Key_N, Qt::NoModifier, QStringLiteral("n"));
        EXPECT_EQ(model->searchText(), QStringLiteral("n"));
        EXPECT_EQ(view->searchField()->text(), QStringLiteral("n"));
        // Up hands the keyboard to the tabs; the next opening starts in the field again.
        pressOnWindow(Qt::Key_Up);
        EXPECT_TRUE(view->tabBar()->isKeyboardFocused());
        EXPECT_FALSE(view->searchField()->hasFocus());
        model->setIsQuickAccessPresented(false);
        QCoreApplication::processEvents();
    }
}

// Back from an entry's options with the keyboard on the rows, typing goes on searching.
TEST_F(QuickAccessViewTest, ClosingTheOptionsGivesTheKeyboardBackToTheSearch)
{
    monitor->requestAccessAndStart(false);
    activate(*view);
    openQuickAccess();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Search; }));
    pressOnWindow(Qt::Key_Down);
    pressOnWindow(Qt::Key_Down);
    ASSERT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Items);
    pressOnWindow(Qt::Key_Right);
    ASSERT_TRUE(view->options()->isVisible());
    EXPECT_FALSE(view->searchField()->hasFocus());
    pressOnWindow(Qt::Key_Left);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->searchField()->hasFocus(); }));
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Search);
    EXPECT_EQ(model->selectedEntryID(), QStringLiteral("e2")) << "the selection stays";
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
    EXPECT_EQ(model->searchText(), QStringLiteral("7"));
    // Closed with the keyboard on the tabs, the tabs keep it.
    pressOnWindow(Qt::Key_Up);
    ASSERT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Tabs);
    model->setSelectedEntryID(QStringLiteral("e7"));
    model->setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
    ASSERT_TRUE(model->openQuickPasteOptions());
    pressOnWindow(Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Tabs);
    EXPECT_FALSE(view->searchField()->hasFocus());
}

// A request for the search field takes the keyboard afresh and puts the caret after the text,
// unless Quick Access closed, a notice stands or the options are open by the time it runs.
TEST_F(QuickAccessViewTest, TheFocusRequestChecksWhatStandsWhenItRuns)
{
    activate(*view);
    openQuickAccess();
    model->setSearchText(QStringLiteral("entry"));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return view->searchField()->hasFocus() && model->quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Search;
    }));
    view->searchField()->selectAll();
    model->requestQuickSearchFocus();
    EXPECT_FALSE(view->searchField()->hasFocus()) << "dropped at once, taken again a turn later";
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->searchField()->hasFocus() && !view->searchField()->hasSelectedText(); }));
    EXPECT_EQ(view->searchField()->cursorPosition(), 5);

    struct Case {
        const char *name;
        std::function<void()> meanwhile;
    };
    const Case cases[] = {
        {"closed", [this] { model->setIsQuickAccessPresented(false); }},
        {"notice", [this] { model->setShortcutNotice(AccessibilityNotice::copyNeedsKeys()); }},
        {"options", [this] {
             model->setSelectedEntryID(QStringLiteral("e1"));
             ASSERT_TRUE(model->openQuickPasteOptions());
         }},
    };
    for (const Case &c : cases) {
        model->setIsQuickAccessPresented(false);
        model->setShortcutNotice(std::nullopt);
        openQuickAccess();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return view->searchField()->hasFocus() && model->quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Search;
        })) << c.name;
        model->setQuickSearchFocusRequest(QUuid::createUuid());
        c.meanwhile();
        // The request's two turns pass; the field is not focused behind the notice or options.
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
        EXPECT_FALSE(view->searchField()->hasFocus()) << c.name;
        EXPECT_FALSE(model->isSearchFieldFocused()) << c.name;
    }
}

// After a change of tab, Jar or search text the selection stands on a listed row, the one
// Return pastes: the first row, or the selected one while it is still listed.
TEST_F(QuickAccessViewTest, TheSelectionFollowsTabJarAndSearchAndReturnPastesIt)
{
    ClipboardEntry pinned = textEntry("pin", "pinned note");
    pinned.isPinned = true;
    QList<ClipboardEntry> seeded{pinned};
    for (int i = 1; i <= 8; ++i)
        seeded.append(textEntry(QStringLiteral("e%1").arg(i), QStringLiteral("entry number %1").arg(i)));
    seeded.append(imageFrom("img", "Gimp", false));
    seedHistory(seeded);
    seedJars({ClipboardJar{"jar", "Recepty", {"e6", "e4"}}});
    seedSnippets({{"s1", "Adresa", ";adr", "Hlavná 1"}, {"s2", "Podpis", ";sig", "S pozdravom"}});
    makeView();
    monitor->requestAccessAndStart(false);
    activate(*view);
    openQuickAccess();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Search; }));
    const auto highlighted = [this] {
        QStringList ids;
        for (int row = 0; row < view->listModel()->rowCount(); ++row) {
            const QModelIndex index = view->listModel()->index(row);
            if (index.data(QuickAccessListModel::SelectedRole).toBool())
                ids.append(index.data(QuickAccessListModel::IdRole).toString());
        }
        return ids.join(u',');
    };
    const auto pasteWithReturn = [this] {
        pressOnWindow(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        clock.advance(1s);
        const QString pasted = pasteboard.content().text.value_or(QString());
        openQuickAccess(model->selectedTab());
        QCoreApplication::processEvents();
        return pasted;
    };

    // The pointer picks the third row; a search that still lists it keeps it.
    QTest::mouseMove(view->list()->viewport(), view->list()->visualRect(view->listModel()->index(3)).center());
    ASSERT_EQ(model->selectedEntryID(), QStringLiteral("e3"));
    model->setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Search);
    type("number");
    EXPECT_EQ(highlighted(), QStringLiteral("e3"));
    // The painted rows agree: the kept row is filled blue, the first one is not.
    const auto fillOf = [this](int row) {
        const QImage picture = view->grab().toImage();
        const QRect rect = view->list()->visualRect(view->listModel()->index(row))
                               .translated(view->list()->viewport()->mapTo(view.get(), QPoint()));
        return picture.pixelColor(rect.center().x(), rect.top() + 2).rgb();
    };
    const QRgb blue = PanelStyle::colors(PanelStyle::schemeFor(model->appearance())).systemBlue.rgb();
    EXPECT_EQ(fillOf(2), blue);
    EXPECT_NE(fillOf(0), blue);
    type(" 5");
    EXPECT_EQ(highlighted(), QStringLiteral("e5")) << "the third row left the list: the first listed is chosen";
    type("zzz");
    EXPECT_EQ(model->selectedEntryID(), std::nullopt);
    erase();
    type("number 5");
    EXPECT_EQ(pasteWithReturn(), QStringLiteral("entry number 5"));

    // A tab clicked: its first row.
    clickTab(ClipboardPanelTab::Pins);
    EXPECT_EQ(highlighted(), QStringLiteral("pin"));
    clickTab(ClipboardPanelTab::Gallery);
    EXPECT_EQ(highlighted(), QStringLiteral("img"));
    // The snippets: the first snippet, and no entry.
    clickTab(ClipboardPanelTab::Snippets);
    EXPECT_EQ(highlighted(), QStringLiteral("s1"));
    EXPECT_EQ(model->selectedEntryID(), std::nullopt);
    type("sig");
    EXPECT_EQ(highlighted(), QStringLiteral("s2"));
    EXPECT_EQ(pasteWithReturn(), QStringLiteral("S pozdravom"));
    // A Jar opened: its first entry, whatever was selected in the tab before.
    clickTab(ClipboardPanelTab::Jars);
    ASSERT_EQ(view->jarCards().size(), 1);
    QTest::mouseClick(view->jarCards().first(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(highlighted(), QStringLiteral("e6"));
    EXPECT_EQ(pasteWithReturn(), QStringLiteral("entry number 6"));

    // With Quick Access closed a change of tab leaves nothing selected.
    model->setIsQuickAccessPresented(false);
    model->setSelectedEntryID(QStringLiteral("e2"));
    model->setSelectedTab(ClipboardPanelTab::History);
    EXPECT_EQ(model->selectedEntryID(), std::nullopt);
}

// The Jars tab shows each Jar as the library's card: the filled box, name, the entries it still
// lists, and its rename and delete buttons, which ask the panel's editor and confirmation.
TEST_F(QuickAccessViewTest, JarsStandAsCardsThatRenameDeleteAndOpen)
{
    seedJars({ClipboardJar{"a", "Recepty", {"e1", "e2", "gone"}}, ClipboardJar{"b", "Práca", {"e3"}}});
    makeView();
    QStringList renames;
    QStringList deletes;
    QObject::connect(view.get(), &QuickAccessView::jarRenameRequested, [&](const QString &id) { renames.append(id); });
    QObject::connect(view.get(), &QuickAccessView::jarDeleteRequested, [&](const QString &id) { deletes.append(id); });
    openQuickAccess();
    clickTab(ClipboardPanelTab::Jars);
    QCoreApplication::processEvents();
    const QList<JarCard *> cards = view->jarCards();
    ASSERT_EQ(cards.size(), 2);
    EXPECT_TRUE(cards.at(0)->isVisible());
    EXPECT_EQ(cards.at(0)->accessibleName(), QStringLiteral("Recepty"));
    EXPECT_EQ(cards.at(0)->entryCount(), 2) << "an id no longer in the history is not counted";
    EXPECT_EQ(cards.at(1)->entryCount(), 1);
    QTest::mouseClick(cards.at(1)->renameButton(), Qt::LeftButton);
    QTest::mouseClick(cards.at(0)->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(renames, QStringList{"b"});
    EXPECT_EQ(deletes, QStringList{"a"});
    EXPECT_EQ(model->selectedJarID(), std::nullopt) << "the buttons do not open the Jar";
    // A search narrows the cards; the card opens its Jar with the search emptied.
    type("pr");
    ASSERT_EQ(view->jarCards().size(), 1);
    QTest::mouseClick(view->jarCards().first(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(model->selectedJarID(), QStringLiteral("b"));
    EXPECT_EQ(model->searchText(), QString());
    EXPECT_EQ(shownIDs(), QStringList{"e3"});
    EXPECT_TRUE(view->jarCards().isEmpty());
}

// Screen readers find every painted control by the name the pointer's tooltip or the row's
// action gives it, and can press it.
TEST_F(QuickAccessViewTest, AssistiveTechnologyNamesAndPressesTabsRowsAndOptions)
{
    openQuickAccess();
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(view->tabBar());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->role(), QAccessible::PageTabList);
    const QStringList slovak{"História", "Schránka", "Pripnuté", "Paste Stack", "Jars", "Galéria", "Snímky obrazovky", "Skratky"};
    const QStringList english{"History", "Clipboard", "Pinned", "Paste Stack", "Jars", "Gallery", "Screenshots", "Snippets"};
    for (const auto &[language, titles] : {std::pair{AppLanguage::Sk, slovak}, std::pair{AppLanguage::En, english}}) {
        model->setLanguage(language);
        QStringList names;
        for (int i = 0; i < bar->childCount(); ++i)
            names.append(bar->child(i)->text(QAccessible::Name));
        EXPECT_EQ(names, titles);
        // The tooltip of a tab is its title too.
        const QRect second = view->tabBar()->buttonRect(1).toAlignedRect();
        QHelpEvent help(QEvent::ToolTip, second.center(), view->tabBar()->mapToGlobal(second.center()));
        QCoreApplication::sendEvent(view->tabBar(), &help);
        EXPECT_EQ(QToolTip::text(), titles.at(1));
    }
    model->setLanguage(AppLanguage::Sk);
    QAccessibleInterface *pins = bar->child(2);
    EXPECT_FALSE(pins->state().selected);
    pins->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(model->selectedTab(), ClipboardPanelTab::Pins);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->child(2)->state().selected && !bar->child(0)->state().selected; }));

    model->setSelectedTab(ClipboardPanelTab::History);
    QCoreApplication::processEvents();
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view->list());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->childCount(), 9);
    QAccessibleInterface *second = list->child(1);
    EXPECT_EQ(second->text(QAccessible::Name), QStringLiteral("Vložiť: entry number 2"));
    ASSERT_EQ(second->childCount(), 1);
    EXPECT_EQ(second->child(0)->text(QAccessible::Name), QStringLiteral("Otvoriť možnosti"));
    EXPECT_EQ(second->child(0)->rect().center(),
              view->list()->viewport()->mapToGlobal(
                  QuickAccessItemDelegate::chevronRect(view->list()->visualRect(view->listModel()->index(1)),
                                                       *view->listModel()->entryAt(1)).center()));
    model->setLanguage(AppLanguage::En);
    EXPECT_EQ(second->text(QAccessible::Name), QStringLiteral("Paste: entry number 2"));
    EXPECT_EQ(second->child(0)->text(QAccessible::Name), QStringLiteral("Open options"));
    model->setLanguage(AppLanguage::Sk);
    // The chevron opens that row's options, whose rows say what they paste.
    second->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(model->selectedEntryID(), QStringLiteral("e2"));
    ASSERT_TRUE(view->options()->isVisible());
    QAccessibleInterface *options = QAccessible::queryAccessibleInterface(view->options());
    QStringList optionNames;
    for (int i = 0; i < options->childCount(); ++i) {
        if (options->child(i)->role() == QAccessible::ListItem)
            optionNames.append(options->child(i)->text(QAccessible::Name));
    }
    ASSERT_EQ(optionNames.size(), 8);
    EXPECT_EQ(optionNames.first(), "Vložiť " + ClipboardTransforms::title(ClipboardModel::quickTextOptions().front()));
    // A row pressed pastes, as a click does.
    model->setIsQuickPasteOptionsPresented(false);
    QCoreApplication::processEvents();
    list->child(3)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    clock.advance(1s);
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("entry number 4"));

    // Snippet rows say the same of their snippet.
    openQuickAccess(ClipboardPanelTab::Snippets);
    QCoreApplication::processEvents();
    ASSERT_EQ(list->childCount(), 1);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), QStringLiteral("Vložiť Adresa"));
    EXPECT_EQ(list->child(0)->childCount(), 0);
}

// Up walks back through the items one at a time: from the second item to the first, and only
// a second Up leaves the items for the tabs.
TEST_F(QuickAccessViewTest, UpFromTheSecondItemSelectsTheFirstAndOnlyTheNextUpReachesTheTabs)
{
    monitor->requestAccessAndStart(false);
    openQuickAccess();
    const auto selectedRow = [this] {
        for (int row = 0; row < view->listModel()->rowCount(); ++row) {
            if (view->listModel()->index(row).data(QuickAccessListModel::SelectedRole).toBool())
                return row;
        }
        return -1;
    };
    pressOnWindow(Qt::Key_Down);
    pressOnWindow(Qt::Key_Down);
    ASSERT_EQ(model->selectedEntryID(), QStringLiteral("e2"));
    ASSERT_EQ(selectedRow(), 1);

    pressOnWindow(Qt::Key_Up);
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Items);
    EXPECT_EQ(model->selectedEntryID(), QStringLiteral("e1"));
    EXPECT_EQ(selectedRow(), 0);

    pressOnWindow(Qt::Key_Up);
    EXPECT_NE(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Items) << "the second Up leaves the items";
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Tabs);
}

// Quick Access opens at the screen's centre, where the pointer often rests: the rows that the
// keys scroll under a still pointer are not chosen by it, only a pointer that moves chooses.
TEST_F(QuickAccessViewTest, OnlyAPointerThatMovesChoosesARow)
{
    monitor->requestAccessAndStart(false);
    QWidget *viewport = view->list()->viewport();
    const auto rowCentre = [this](int row) { return view->list()->visualRect(view->listModel()->index(row)).center(); };
    struct Case {
        const char *name;
        int moveOntoRow; // the pointer moves from where it rests onto this row first; -1: it stays
        bool tabsHoldTheKeyboard;
        int downs;
        std::optional<QString> selected;
    };
    const Case cases[] = {
        {"twelve Downs under a resting pointer", -1, false, 12, QStringLiteral("img")},
        {"five Downs under a resting pointer", -1, false, 5, QStringLiteral("e5")},
        {"the pointer moves onto the second row, then one Down", 1, false, 1, QStringLiteral("e3")},
        {"the pointer moves while the tabs hold the keyboard", 1, true, 0, std::nullopt},
    };
    for (const Case &c : cases) {
        openQuickAccess(ClipboardPanelTab::History);
        QCoreApplication::processEvents();
        // The pointer rests over the middle of the list, as Quick Access opens under it.
        QTest::mouseMove(viewport, viewport->rect().center());
        model->setSelectedEntryID(std::nullopt);
        model->setQuickAccessKeyboardFocus(c.tabsHoldTheKeyboard ? QuickAccessKeyboardFocus::Tabs
                                                                 : QuickAccessKeyboardFocus::Search);
        if (c.moveOntoRow >= 0)
            QTest::mouseMove(viewport, rowCentre(c.moveOntoRow));
        for (int i = 0; i < c.downs; ++i) {
            pressOnWindow(Qt::Key_Down);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(model->selectedEntryID(), c.selected) << c.name;
        model->setIsQuickAccessPresented(false);
    }
}

} // namespace
} // namespace monitortest
