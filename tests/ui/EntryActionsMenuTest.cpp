// The entry actions menu: which rows an entry gets, and that each row closes the menu first.
#include "../engine/EngineTestSupport.h"

#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/panel/MenuBackButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollArea>
#include <QTest>

namespace pastetest {
namespace {

class EntryActionsMenuTest : public PasteModelTest {
protected:
    EntryActionsMenu *open(const QString &id)
    {
        menu.reset(EntryActionsMenu::create(*model, id));
        EntryActionsMenu *shown = menu.get();
        const auto note = [this](const QString &event) { events.append(event); };
        QObject::connect(shown, &EntryActionsMenu::closeRequested, shown, [note] { note("close"); });
        QObject::connect(shown, &EntryActionsMenu::editRequested, shown, [note] { note("edit"); });
        QObject::connect(shown, &EntryActionsMenu::previewImageRequested, shown, [note] { note("preview"); });
        QObject::connect(shown, &EntryActionsMenu::createImageRequested, shown, [note] { note("create"); });
        QObject::connect(shown, &EntryActionsMenu::openUrlRequested, shown,
                         [note](const QUrl &url) { note(url.toString()); });
        return shown;
    }
    QStringList titles() const
    {
        QStringList out;
        for (MenuActionRow *row : menu->findChildren<MenuActionRow *>())
            if (row->isVisibleTo(menu.get()))
                out.append(row->content().title);
        return out;
    }
    void press(const QString &title)
    {
        for (MenuActionRow *row : menu->findChildren<MenuActionRow *>())
            if (row->content().title == title && row->isVisibleTo(menu.get()))
                return row->click();
        ADD_FAILURE() << "no row " << title.toStdString();
    }

    // A click of the user's: the pointer pressed and released on the row where it is shown.
    void clickRow(const QString &title)
    {
        menu->show();
        QCoreApplication::processEvents();
        for (MenuActionRow *row : menu->findChildren<MenuActionRow *>()) {
            if (row->content().title == title && row->isVisible())
                return QTest::mouseClick(row, Qt::LeftButton, {}, row->rect().center());
        }
        ADD_FAILURE() << "no row " << title.toStdString() << " shown";
    }
    void clickBack()
    {
        QCoreApplication::processEvents();
        for (MenuBackButton *back : menu->findChildren<MenuBackButton *>()) {
            if (back->isVisible())
                return QTest::mouseClick(back, Qt::LeftButton, {}, back->rect().center());
        }
        ADD_FAILURE() << "no back button shown";
    }

    std::unique_ptr<EntryActionsMenu> menu;
    QStringList events;
};

ClipboardEntry ofKind(const QString &id, ClipboardKind kind, const QString &text)
{
    ClipboardEntry entry = textEntry(id, text);
    entry.kind = kind;
    if (kind == ClipboardKind::File)
        entry.fileURLs = {text};
    return entry;
}

TEST_F(EntryActionsMenuTest, EachKindGetsItsRows)
{
    const QStringList common{"Vložiť", "Pripnúť položku", "Pridať do Jaru"};
    const QStringList text{"Upraviť pred vložením", "Vložiť čistý text", "Uložiť ako skratku"};
    struct Case {
        ClipboardEntry entry;
        QStringList expected;
    };
    const Case cases[] = {
        {ofKind("t", ClipboardKind::Text, "words"), common + text + QStringList{"Upraviť a vložiť"}},
        {ofKind("i", ClipboardKind::Image, ""), common + QStringList{"Zobraziť náhľad", "Vytvoriť obrázok"}},
        {ofKind("f", ClipboardKind::File, "/tmp/a b.txt"), common + QStringList{"Otvoriť súbor"}},
        {ofKind("c", ClipboardKind::Color, "#FF0000"), common + text + QStringList{"Formát farby", "Upraviť a vložiť"}},
        {ofKind("j", ClipboardKind::Code, "{\"a\":1}"), common + text + QStringList{"Vložiť názvy polí", "Upraviť a vložiť"}},
        {ofKind("u", ClipboardKind::Url, "https://example.org/x"),
         common + text + QStringList{"Otvoriť odkaz", "Vložiť adresu", "Vložiť Markdown odkaz", "Upraviť a vložiť"}},
        // Text that is no address offers no broken link rows.
        {ofKind("b", ClipboardKind::Url, "http://exa mple.org"), common + text + QStringList{"Upraviť a vložiť"}},
    };
    QList<ClipboardEntry> seeded;
    for (const Case &c : cases)
        seeded.append(c.entry);
    seedHistory(seeded);
    createModel();
    for (const Case &c : cases) {
        open(c.entry.id);
        QStringList shown = titles();
        QStringList expected = c.expected;
        shown.sort();
        expected.sort();
        EXPECT_EQ(shown, expected) << c.entry.id.toStdString();
    }
}

// Every row with a chevron, clicked, shows its own page in place of the actions, keeps the menu
// open, and the back button returns to the actions.
TEST_F(EntryActionsMenuTest, EachDisclosureRowOpensItsOwnPage)
{
    ClipboardEntry image = ofKind("i", ClipboardKind::Image, "");
    seedHistory({ofKind("t", ClipboardKind::Text, "words"), ofKind("c", ClipboardKind::Color, "#FF0000"),
                 ofKind("u", ClipboardKind::Url, "https://example.org"), image});
    seedJars({ClipboardJar{"J", "Práca", {"t"}}});
    createModel();
    using P = EntryActionsMenu::Page;
    struct Case {
        QString entry;
        QString row;
        P page;
        QString shownThere;
    };
    const Case cases[] = {
        {"t", "Upraviť a vložiť", P::Transform, "Veľké začiatočné písmená"},
        {"t", "Upraviť Jars", P::Jars, "Práca"},
        {"c", "Formát farby", P::Color, "Vložiť hex kód"},
        {"c", "Upraviť a vložiť", P::Transform, "Veľké písmená"},
        {"c", "Pridať do Jaru", P::Jars, "Vytvoriť Jar"},
        {"u", "Upraviť a vložiť", P::Transform, "Zakódovať adresu"},
        {"i", "Pridať do Jaru", P::Jars, "Práca"},
    };
    for (const Case &c : cases) {
        const std::string name = (c.entry + ": " + c.row).toStdString();
        events.clear();
        open(c.entry);
        clickRow(c.row);
        EXPECT_EQ(menu->page(), c.page) << name;
        QCoreApplication::processEvents();
        EXPECT_TRUE(titles().contains(c.shownThere)) << name << " shows " << titles().join(", ").toStdString();
        EXPECT_FALSE(titles().contains(c.row)) << name;
        EXPECT_TRUE(events.isEmpty()) << name << ": a disclosure keeps the menu open";
        clickBack();
        EXPECT_EQ(menu->page(), P::Main) << name;
        QCoreApplication::processEvents();
        EXPECT_TRUE(titles().contains(c.row)) << name;
    }
    // The colour page offers each notation with its value.
    open("c");
    clickRow("Formát farby");
    QCoreApplication::processEvents();
    QStringList details;
    for (MenuActionRow *row : menu->findChildren<MenuActionRow *>())
        if (row->isVisibleTo(menu.get()))
            details.append(row->content().detail.value_or(QString()));
    EXPECT_EQ(details, (QStringList{"#FF0000", "rgb(255, 0, 0)", "hsl(0, 100%, 50%)"}));
}

TEST_F(EntryActionsMenuTest, ARowClosesTheMenuBeforeItActs)
{
    seedHistory({textEntry("t", "mixed Case"), textEntry("u", "https://example.org/path")});
    createModel();
    open("t");
    menu->setPage(EntryActionsMenu::Page::Transform);
    press("Veľké písmená");
    EXPECT_EQ(events, QStringList{"close"});
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("MIXED CASE"));
    EXPECT_EQ(model->entries().first().text, QStringLiteral("mixed Case"));

    // The edit sheet opens before the menu goes; a disclosure keeps the menu open.
    events.clear();
    open("t");
    press("Upraviť pred vložením");
    press("Pridať do Jaru");
    EXPECT_EQ(events, (QStringList{"edit", "close"}));
    EXPECT_EQ(menu->page(), EntryActionsMenu::Page::Jars);

    events.clear();
    open("u");
    press("Vložiť Markdown odkaz");
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("[example.org](https://example.org/path)"));
    press("Otvoriť odkaz");
    EXPECT_EQ(events, (QStringList{"close", "https://example.org/path", "close"}));
}

// "Open file" names the copied file's very bytes, also when its name is no UTF-8 and the history
// keeps it as its file URL.
TEST_F(EntryActionsMenuTest, OpenFileNamesTheFileWhicheverFormItsPathWasKeptIn)
{
    seedHistory({ofKind("p", ClipboardKind::File, "/tmp/a b.txt"),
                 ofKind("u", ClipboardKind::File, "file:///tmp/caf%E9.txt")});
    createModel();
    for (const auto &[id, expected] : {std::pair{"p", "file:///tmp/a%20b.txt"}, std::pair{"u", "file:///tmp/caf%E9.txt"}}) {
        QByteArray opened;
        open(id);
        QObject::connect(menu.get(), &EntryActionsMenu::openUrlRequested, menu.get(),
                         [&opened](const QUrl &url) { opened = url.toEncoded(); });
        press("Otvoriť súbor");
        EXPECT_EQ(opened, QByteArray(expected)) << id;
    }
}

// The rows the host acts on tell of themselves while the menu still lives, then close it; a host
// that deletes the menu on closeRequested leaves nothing of it touched.
TEST_F(EntryActionsMenuTest, AHostRowAnnouncesBeforeTheMenuCloses)
{
    seedHistory({ofKind("i", ClipboardKind::Image, ""), textEntry("t", "text")});
    createModel();
    for (const auto &[id, title, event] : {std::tuple{"i", "Zobraziť náhľad", "preview"},
                                           std::tuple{"i", "Vytvoriť obrázok", "create"},
                                           std::tuple{"t", "Upraviť pred vložením", "edit"}}) {
        events.clear();
        open(id);
        QObject::connect(menu.get(), &EntryActionsMenu::closeRequested, menu.get(), [this] { menu.reset(); });
        press(title);
        EXPECT_EQ(events, (QStringList{event, "close"})) << title;
        EXPECT_FALSE(menu);
    }
}

TEST_F(EntryActionsMenuTest, PinFollowsTheLiveEntryAndPasteOfAGoneEntryOnlyCloses)
{
    seedHistory({textEntry("a"), textEntry("b")});
    createModel();
    open("a");
    press("Pripnúť položku");
    EXPECT_TRUE(model->entries().first().isPinned);
    open("a");
    EXPECT_TRUE(titles().contains("Odopnúť položku"));

    model->deleteEntry(model->entries().first());
    press("Vložiť");
    EXPECT_EQ(pastes(), 0);
    EXPECT_EQ(events.last(), "close");
}

// The count is of every id the Jar holds, those of entries deleted from the history included.
TEST_F(EntryActionsMenuTest, JarRowsCountEveryIdTheJarHoldsAndToggle)
{
    seedHistory({textEntry("a"), textEntry("b")});
    // A name holding "%" or a placeholder is shown as typed, never read as a format.
    seedJars({ClipboardJar{"J", "Práca", {"b", "deleted-long-ago"}},
              ClipboardJar{"P", "100% %@ hotové", {"a", "b"}}});
    createModel();
    open("a");
    menu->setPage(EntryActionsMenu::Page::Jars);
    const auto jarRow = [this] { return menu->findChild<QScrollArea *>()->findChild<MenuActionRow *>(); };
    EXPECT_EQ(jarRow()->content().detail, QStringLiteral("Počet: 2"));
    EXPECT_FALSE(jarRow()->content().checked);
    EXPECT_TRUE(titles().contains(QStringLiteral("100% %@ hotové")));
    for (MenuActionRow *row : menu->findChildren<MenuActionRow *>()) {
        if (row->content().title == QStringLiteral("100% %@ hotové")) {
            EXPECT_EQ(row->content().detail, QStringLiteral("Počet: 2"));
        }
    }
    press("Práca");
    EXPECT_TRUE(model->contains(model->entries().first(), "J"));

    model->setJars({});
    open("a");
    menu->setPage(EntryActionsMenu::Page::Jars);
    press("Vytvoriť Jar");
    EXPECT_EQ(model->selectedTab(), ClipboardPanelTab::Jars);
}

TEST_F(EntryActionsMenuTest, EscapeGoesBackThenCloses)
{
    seedHistory({textEntry("a")});
    createModel();
    open("a");
    menu->setPage(EntryActionsMenu::Page::Transform);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(menu.get(), &escape);
    EXPECT_EQ(menu->page(), EntryActionsMenu::Page::Main);
    EXPECT_TRUE(events.isEmpty());
    QApplication::sendEvent(menu.get(), &escape);
    EXPECT_EQ(events, QStringList{"close"});
}

TEST(EntryActionsMenuHeight, FollowsTheScreenUnderThePointer)
{
    for (auto [visible, expected] : {std::pair{std::optional(900), 540}, {600, 440}, {400, 320}, {std::nullopt, 540}})
        EXPECT_EQ(EntryActionsMenu::scrollHeight(visible), expected);
}

} // namespace
} // namespace pastetest
