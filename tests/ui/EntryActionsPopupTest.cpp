// The actions menu as users meet it: a popup window opened from an entry list, toured through its
// rows and pages, closing once whichever way it goes.
#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/panel/MenuBackButton.h"

#include <QApplication>
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

} // namespace
