// The actions menu as users meet it: a popup window opened from an entry list, toured through its
// rows and pages, closing once whichever way it goes.
#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/panel/MenuBackButton.h"

#include <QApplication>
#include <QListView>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using testsupport::FakePanelSheets;
using testsupport::SeededModel;

namespace {

class EntryActionsPopup : public ::testing::Test {
protected:
    EntryActionsPopup() : list(seed.model(), sheets, false, {})
    {
        seed.model().setSelectedTab(ClipboardPanelTab::History);
        list.resize(420, 500);
        list.show();
        entry = seed.first(ClipboardKind::Color);
    }

    EntryActionsMenu *open()
    {
        sheets.requests.clear();
        EXPECT_TRUE(list.trigger(entry.id, EntryRowDelegate::Control::AllActions));
        auto *menu = qobject_cast<EntryActionsMenu *>(QApplication::activePopupWidget());
        EXPECT_TRUE(menu && menu->isVisible());
        return menu;
    }

    // The height the page takes in a menu that was never on screen.
    int pageHeight(EntryActionsMenu::Page page)
    {
        std::unique_ptr<EntryActionsMenu> reference(EntryActionsMenu::create(seed.model(), entry.id, {}));
        reference->setPage(page);
        return reference->height();
    }

    static MenuActionRow *row(EntryActionsMenu *menu, const QString &title)
    {
        for (MenuActionRow *row : menu->findChildren<MenuActionRow *>())
            if (row->content().title == title && row->isVisibleTo(menu))
                return row;
        ADD_FAILURE() << "no row " << title.toStdString();
        return nullptr;
    }

    static MenuBackButton *back(EntryActionsMenu *menu)
    {
        for (MenuBackButton *button : menu->findChildren<MenuBackButton *>())
            if (button->isVisibleTo(menu))
                return button;
        ADD_FAILURE() << "no back button";
        return nullptr;
    }

    // The popup went away and the list heard of it exactly once.
    void expectClosed(const QPointer<EntryActionsMenu> &menu)
    {
        EXPECT_TRUE(testsupport::waitFor([&] { return menu.isNull(); }));
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(sheets.requests.count(QStringLiteral("actions ")), 1) << sheets.requests.join(", ").toStdString();
    }

    SeededModel seed;
    FakePanelSheets sheets;
    EntryList list;
    ClipboardEntry entry;
};

TEST_F(EntryActionsPopup, ClosesOnceByRowEscapeOrClickElsewhere)
{
    QPointer<EntryActionsMenu> menu = open();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->height(), pageHeight(EntryActionsMenu::Page::Main));
    const bool pinned = entry.isPinned;
    row(menu, pinned ? QStringLiteral("Odopnúť položku") : QStringLiteral("Pripnúť položku"))->click();
    expectClosed(menu);
    EXPECT_NE(seed.first(ClipboardKind::Color).isPinned, pinned);

    menu = open();
    ASSERT_TRUE(menu);
    QTest::keyClick(menu, Qt::Key_Escape);
    expectClosed(menu);

    // A row of a detail page closes it as well.
    menu = open();
    ASSERT_TRUE(menu);
    row(menu, QStringLiteral("Formát farby"))->click();
    row(menu, QStringLiteral("Vložiť rgb"))->click();
    expectClosed(menu);

    // A click outside a popup closes its window without a row: the list still hears of it.
    menu = open();
    ASSERT_TRUE(menu);
    menu->QWidget::close();
    expectClosed(menu);
}

TEST_F(EntryActionsPopup, TakesEachPageHeightBothWays)
{
    const int main = pageHeight(EntryActionsMenu::Page::Main);
    QPointer<EntryActionsMenu> menu = open();
    ASSERT_TRUE(menu);
    const QString jars = seed.model().isInAnyJar(entry) ? QStringLiteral("Upraviť Jars") : QStringLiteral("Pridať do Jaru");
    const struct {
        QString disclosure;
        EntryActionsMenu::Page page;
    } pages[] = {{QStringLiteral("Formát farby"), EntryActionsMenu::Page::Color},
                 {QStringLiteral("Upraviť a vložiť"), EntryActionsMenu::Page::Transform},
                 {jars, EntryActionsMenu::Page::Jars}};
    for (const auto &[title, page] : pages) {
        SCOPED_TRACE(title.toStdString());
        MenuActionRow *disclosure = row(menu, title);
        ASSERT_TRUE(disclosure);
        disclosure->click();
        ASSERT_EQ(menu->page(), page);
        EXPECT_EQ(menu->height(), pageHeight(page));
        EXPECT_GT(menu->height(), main / 2);
        // Back by the header's button, then by Escape on the next page.
        if (page == EntryActionsMenu::Page::Transform)
            QTest::keyClick(menu, Qt::Key_Escape);
        else
            back(menu)->click();
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->page(), EntryActionsMenu::Page::Main);
        EXPECT_EQ(menu->height(), main);
        EXPECT_TRUE(menu->isVisible());
    }
    EXPECT_FALSE(sheets.requests.contains(QStringLiteral("actions ")));  // still open
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_TRUE(testsupport::waitFor([&] { return menu.isNull(); }));
}

TEST_F(EntryActionsPopup, OpensBesideTheRowsToggleAndStaysThereAcrossPages)
{
    QPointer<EntryActionsMenu> menu = open();
    ASSERT_TRUE(menu);
    const int index = list.listModel()->rowOf(entry.id);
    ASSERT_GE(index, 0);
    const QRect item = list.view()->visualRect(list.listModel()->index(index));
    const QRect rect = EntryRowDelegate::layout(item, entry, false, true).controls.last().second.toAlignedRect();
    const QRect toggle(list.view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    ASSERT_FALSE(toggle.isEmpty());
    const auto expectBeside = [&] {
        const QRect menuRect = menu->geometry();
        // Beside the toggle, not over or below it: the toggle's row stays in view.
        EXPECT_FALSE(menuRect.intersects(toggle));
        EXPECT_TRUE(menuRect.left() > toggle.right() || menuRect.right() < toggle.left());
        EXPECT_LE(menuRect.top(), toggle.bottom());
        EXPECT_GE(menuRect.bottom(), toggle.top());
    };
    expectBeside();
    row(menu, QStringLiteral("Upraviť a vložiť"))->click();
    ASSERT_EQ(menu->page(), EntryActionsMenu::Page::Transform);
    expectBeside();
    QTest::keyClick(menu, Qt::Key_Escape);
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_TRUE(testsupport::waitFor([&] { return menu.isNull(); }));
}

TEST(EntryActionsMenuPlacement, TrailingSideCentredThenLeadingSideAlwaysOnScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize menu(EntryActionsMenu::kWidth, 400);
    const int gap = EntryActionsMenu::kAnchorGap;
    struct Case {
        const char *name;
        QRect anchor;
        QPoint expected;
    };
    const Case cases[] = {
        {"room on the right", QRect(1000, 500, 27, 27), QPoint(1027 + gap, 513 - 200)},
        {"near the top", QRect(1000, 20, 27, 27), QPoint(1027 + gap, 0)},
        {"near the bottom", QRect(1000, 1050, 27, 27), QPoint(1027 + gap, 1080 - 400)},
        {"right edge", QRect(1880, 500, 27, 27), QPoint(1880 - gap - EntryActionsMenu::kWidth, 313)},
        {"exactly fits", QRect(1920 - EntryActionsMenu::kWidth - gap - 27, 500, 27, 27),
         QPoint(1920 - EntryActionsMenu::kWidth, 313)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EntryActionsMenu::placement(menu, c.anchor, screen), c.expected) << c.name;
    // A screen narrower than the menu on both sides keeps its left edge visible.
    EXPECT_EQ(EntryActionsMenu::placement(menu, QRect(100, 300, 27, 27), QRect(0, 0, 200, 800)).x(), 0);
    // Room on neither side: as far left as keeps the whole menu on the screen.
    EXPECT_EQ(EntryActionsMenu::placement(menu, QRect(100, 300, 27, 27), QRect(0, 0, 300, 800)).x(), 300 - EntryActionsMenu::kWidth);
}

} // namespace

TEST(EntryActionsMenuSnippet, TheNameKeepsThirtyTwoCharactersAsAPersonCountsThem)
{
    const QString flag = QStringLiteral("\U0001F1F8\U0001F1F0");     // one flag: four UTF-16 units
    const QString accented = QStringLiteral("e\u0301");              // é as a letter and its accent
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    struct Case {
        QString preview;
        QString name;
    };
    const Case cases[] = {
        {QStringLiteral("krátky text"), QStringLiteral("krátky text")},
        {QString(40, QLatin1Char('a')), QString(32, QLatin1Char('a'))},
        {flag.repeated(40), flag.repeated(32)},
        {accented.repeated(33), accented.repeated(32)},
        {QString(31, QLatin1Char('x')) + family + QStringLiteral("yz"), QString(31, QLatin1Char('x')) + family},
        {QString(), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EntryActionsMenu::snippetName(c.preview), c.name) << c.preview.toStdString();
}
