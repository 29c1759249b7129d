#include "../engine/EngineTestSupport.h"
#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/library/EntryListModel.h"
#include "ui/library/EntrySectionScreen.h"
#include "ui/library/GalleryScreen.h"
#include "ui/library/JarCard.h"
#include "ui/library/JarsScreen.h"
#include "ui/library/SnippetRow.h"
#include "ui/library/SnippetsScreen.h"
#include "ui/library/SectionHeading.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "support/ScopedLanguage.h"
#include "ui/panel/DelayedEntryActions.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelEmptyState.h"
#include "core/AppShortcut.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QVariantAnimation>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QMouseEvent>

#include <gtest/gtest.h>

using testsupport::FakePanelSheets;
using testsupport::SeededModel;
using Control = EntryRowDelegate::Control;

namespace {

// The title and message of the empty state a screen shows (the one not hidden), if any.
std::pair<QString, QString> shownEmptyTexts(const QWidget &screen)
{
    for (const PanelEmptyState *empty : screen.findChildren<PanelEmptyState *>()) {
        if (empty->isVisibleTo(&screen))
            return {empty->title(), empty->message()};
    }
    return {};
}

} // namespace

TEST(EntryList, DragMovesOnePlacePerPitchWithinTheStack)
{
    struct Case {
        int start;
        qreal translation;
        int count;
        int target;
    };
    for (const Case &c : {Case{0, 29, 3, 0}, Case{0, 30, 3, 1}, Case{0, 90, 4, 2}, Case{1, -30, 3, 0},
                          Case{0, -200, 3, 0}, Case{2, 200, 3, 2}, Case{4, 0, 2, 1}}) {
        EXPECT_EQ(EntryList::dragTarget(c.start, c.translation, c.count), c.target)
            << c.start << " " << c.translation << " " << c.count;
    }
}

TEST(EntryList, ControlsActOnTheEntryByIdAndIgnoreOneThatIsGone)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setSelectedTab(ClipboardPanelTab::History);
    FakePanelSheets sheets;
    QStringList readTexts;
    EntryList list(model, sheets, false);
    QObject::connect(&list, &EntryList::readTextRequested, &list, [&](const ClipboardEntry &entry) { readTexts << entry.id; });

    const ClipboardEntry image = seed.first(ClipboardKind::Image);
    const ClipboardEntry text = seed.first(ClipboardKind::Email);
    EXPECT_TRUE(list.trigger(image.id, Control::Header));
    EXPECT_TRUE(list.trigger(image.id, Control::ReadText));
    EXPECT_EQ(sheets.requests, QStringList{QStringLiteral("preview ") + image.id});
    EXPECT_EQ(readTexts, QStringList{image.id});
    EXPECT_TRUE(list.trigger(text.id, Control::Header));
    EXPECT_EQ(model.lastClickedHistoryRow(), text.id);

    EXPECT_TRUE(list.trigger(text.id, Control::AddToStack));
    EXPECT_TRUE(model.pasteStackEntryIDs().contains(text.id));
    EXPECT_TRUE(list.trigger(text.id, Control::Toggle));
    EXPECT_EQ(sheets.expanded, text.id);

    // The row still shows the entry after it was deleted elsewhere; its controls do nothing.
    const QList<ClipboardEntry> before = model.entries();
    model.deleteEntry(text);
    const QList<ClipboardEntry> after = model.entries();
    for (Control control : {Control::Pin, Control::Delete, Control::Header, Control::AllActions})
        EXPECT_FALSE(list.trigger(text.id, control));
    EXPECT_EQ(model.entries().size(), after.size());
    for (qsizetype i = 0; i < after.size(); ++i)
        EXPECT_EQ(model.entries().at(i).isPinned, after.at(i).isPinned);
    EXPECT_EQ(before.size(), after.size() + 1);
}

// A long text's row unfolds in place with "Viac": the click pastes nothing, the row grows to the
// whole text with its own paste button, and "Menej" folds it again. Its title is no paste target.
TEST(EntryList, ViacUnfoldsALongTextAndOnlyItsPasteButtonPastes)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    ClipboardEntry longText;
    longText.id = ClipboardEntry::newID();
    longText.kind = ClipboardKind::Text;
    longText.text = QStringLiteral("Prvý riadok dlhého textu\nDruhý riadok, ktorý má tiež dosť slov na to, aby sa zalomil "
                                   "aspoň raz v šírke panelu, a ešte niekoľko ďalších slov na koniec.");
    longText.copiedAt = QDateTime::currentDateTimeUtc();
    model.setEntries(QList<ClipboardEntry>{longText} + model.entries());
    model.setSelectedTab(ClipboardPanelTab::History);
    FakePanelSheets sheets;
    EntryList list(model, sheets, false);
    list.resize(420, 400);
    list.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(list.listModel()->rowOf(longText.id), 0);
    QWidget *viewport = list.view()->viewport();
    const QModelIndex index = list.listModel()->index(0);
    const auto click = [&](QPointF at) {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };
    const auto headerOf = [&](bool expanded) {
        const EntryRowDelegate::Layout layout = EntryRowDelegate::layout(list.view()->visualRect(index), longText, false, false);
        ClipboardRow::Header header;
        header.entry = longText;
        header.isExpanded = expanded;
        return std::pair{layout, ClipboardRow::headerGeometry(layout.header, header)};
    };
    const int foldedHeight = list.view()->visualRect(index).height();
    model.pasteboard()->writeText(QStringLiteral("untouched"));
    const auto pasted = [&] { return model.pasteboard()->content().text.value_or(QString()); };

    click(headerOf(false).second.title.center());
    EXPECT_EQ(pasted(), QStringLiteral("untouched")) << "the title of a long text pastes nothing";

    click(headerOf(false).second.toggle.center());
    EXPECT_EQ(pasted(), QStringLiteral("untouched")) << "Viac pastes nothing";
    const QRect unfolded = list.view()->visualRect(index);
    EXPECT_GT(unfolded.height(), foldedHeight + 2 * 15) << "the row shows the whole text";
    EXPECT_GE(list.view()->visualRect(list.listModel()->index(1)).top(), unfolded.bottom()) << "the next row moved down";

    const auto [layout, header] = headerOf(true);
    ASSERT_FALSE(layout.fullText.isEmpty());
    // The unfolded row is the entry row itself, laid over the list: its text is a label the
    // pointer selects, its paste button a button.
    ClipboardRow *row = list.rowWidget(longText.id);
    ASSERT_TRUE(row);
    EXPECT_TRUE(row->isVisible());
    auto *paste = row->findChild<PanelButton *>();
    ASSERT_TRUE(paste);
    const QRect button(paste->mapTo(viewport, QPoint(0, 0)), paste->size());
    EXPECT_LE(button.bottom(), layout.card.bottom()) << "the paste button lies inside the grown row";
    EXPECT_TRUE(unfolded.contains(button)) << "the paste button lies inside the grown row";
    testsupport::click(paste);
    EXPECT_EQ(pasted(), longText.text);

    click(header.toggle.center());
    EXPECT_EQ(list.view()->visualRect(index).height(), foldedHeight) << "Menej folds it";
}

namespace {

ClipboardEntry longTextEntry()
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.kind = ClipboardKind::Text;
    entry.text = QStringLiteral("Prvý riadok dlhého textu\nDruhý riadok, ktorý má tiež dosť slov na to, aby sa zalomil "
                                "aspoň raz v šírke panelu, a ešte niekoľko ďalších slov na koniec.");
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    entry.sourceApp = QStringLiteral("Editor");
    return entry;
}

// A list of the history with the given entry first, shown at a panel's size.
struct ShownList {
    SeededModel seed;
    FakePanelSheets sheets;
    std::unique_ptr<EntryList> list;

    explicit ShownList(const ClipboardEntry &first, testsupport::SeedCounts counts = {})
        : seed(counts)
    {
        seed.model().setEntries(QList<ClipboardEntry>{first} + seed.model().entries());
        seed.model().setSelectedTab(ClipboardPanelTab::History);
        list = std::make_unique<EntryList>(seed.model(), sheets, false);
        list->resize(420, 400);
        list->show();
        QCoreApplication::processEvents();
    }
    QWidget *viewport() const { return list->view()->viewport(); }
    QRect itemRect(int row) const { return list->view()->visualRect(list->listModel()->index(row)); }
    QRectF controlRect(int row, Control control) const
    {
        return list->delegate()->controlRect(list->listModel()->index(row), itemRect(row), control);
    }
    void clickControl(int row, Control control)
    {
        testsupport::click(viewport(), controlRect(row, control).center());
        QCoreApplication::processEvents();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(list->view(), &press);
        QCoreApplication::processEvents();
    }
};

void sendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

// A double click on a row's header: a text is pasted once, and the second click, which took
// the keyboard into the panel, hands it back to the application the paste went to; an image
// row opens its preview and is never pasted.
TEST(EntryList, ADoubleClickPastesATextOnceAndHandsTheKeyboardBackButNeverPastesAnImage)
{
    ClipboardEntry image;
    image.id = ClipboardEntry::newID();
    image.kind = ClipboardKind::Image;
    image.imageData = SeededModel::png(60, 40, 200);
    image.copiedAt = QDateTime::currentDateTimeUtc();
    ClipboardEntry text = longTextEntry();
    text.text = QStringLiteral("Krátky text");
    const struct {
        ClipboardEntry entry;
        int pastes;
        qsizetype activations;
    } cases[] = {
        {text, 1, 1},
        {image, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.entry.kind));
        ShownList shown(c.entry, testsupport::SeedCounts{.sendsKeys = true});
        const RunningApplication editor{77, 1234, QStringLiteral("Editor")};
        shown.seed.workspace().setApplications({editor});
        shown.seed.model().setPasteTargetApplication(editor);
        shown.seed.pasteboard().writeText(QStringLiteral("untouched"));
        // On the header's left, clear of the row's buttons.
        const QRectF header = EntryRowDelegate::layout(shown.itemRect(0), c.entry, false, false).header;
        const QPoint at(int(header.left() + header.width() / 4), int(header.center().y()));
        ASSERT_EQ(shown.list->delegate()->controlAt(shown.list->listModel()->index(0), shown.itemRect(0), at),
                  Control::Header);

        sendMouse(shown.viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton);
        sendMouse(shown.viewport(), QEvent::MouseButtonRelease, at, Qt::NoButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(shown.seed.keys().count(KeyChord::Paste), c.pastes) << "the first click";
        EXPECT_TRUE(shown.seed.workspace().activations().isEmpty());
        sendMouse(shown.viewport(), QEvent::MouseButtonDblClick, at, Qt::LeftButton);
        sendMouse(shown.viewport(), QEvent::MouseButtonRelease, at, Qt::NoButton);
        QCoreApplication::processEvents();

        EXPECT_EQ(shown.seed.keys().count(KeyChord::Paste), c.pastes) << "the second click pasted again";
        EXPECT_EQ(shown.seed.workspace().activations().size(), c.activations);
        if (c.entry.kind == ClipboardKind::Image) {
            EXPECT_EQ(shown.seed.pasteboard().content().text, QStringLiteral("untouched")) << "the image went on the clipboard";
        }
    }
}

// Rows are one header high and the list lays them out as such, except a row showing its whole
// text: it keeps its height wherever copies push it, and once folded every row is one pitch.
TEST(EntryList, AnUnfoldedRowKeepsItsHeightAsCopiesArriveAboveIt)
{
    const ClipboardEntry longText = longTextEntry();
    ShownList shown(longText);
    const int folded = shown.itemRect(0).height();
    const auto copy = [&shown](const QString &text) {
        shown.seed.pasteboard().copyText(text);
        shown.seed.model().readClipboardIfChanged();
        QCoreApplication::processEvents();
    };
    const auto heights = [&shown](int rows) {
        QList<int> result;
        for (int row = 0; row < rows; ++row)
            result.append(shown.itemRect(row).height());
        return result;
    };

    ASSERT_TRUE(shown.list->trigger(longText.id, Control::ExpandText));
    QCoreApplication::processEvents();
    const int unfolded = shown.itemRect(0).height();
    ASSERT_GT(unfolded, folded + 30);
    copy(QStringLiteral("first copy above"));
    ASSERT_EQ(shown.list->listModel()->rowOf(longText.id), 1);
    EXPECT_EQ(heights(3), (QList<int>{folded, unfolded, folded}));
    EXPECT_EQ(shown.itemRect(2).top(), shown.itemRect(1).bottom() + 1) << "rows below follow the tall one";

    ASSERT_TRUE(shown.list->trigger(longText.id, Control::ExpandText));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.list->rowWidget(longText.id); }, 5000));
    copy(QStringLiteral("second copy above"));
    ASSERT_EQ(shown.list->listModel()->rowOf(longText.id), 2);
    EXPECT_EQ(heights(4), (QList<int>{folded, folded, folded, folded}));
    EXPECT_EQ(shown.itemRect(3).top() - shown.itemRect(0).top(), 3 * folded);
}

// The unfolded text is the entry row's own label: a drag across it selects part of the text
// (and pastes nothing). Unfolding and folding take the row's animation time.
TEST(EntryList, AnUnfoldedTextSelectsWithThePointerAndFoldsOverTheUnfoldTime)
{
    const ClipboardEntry longText = longTextEntry();
    ShownList shown(longText);
    ClipboardModel &model = shown.seed.model();
    model.pasteboard()->writeText(QStringLiteral("untouched"));
    const int foldedHeight = shown.itemRect(0).height();
    {
        PanelMotion::ScopedFactor motion(1.0);
        shown.clickControl(0, Control::ExpandText);
        ClipboardRow *row = shown.list->rowWidget(longText.id);
        ASSERT_TRUE(row);
        auto *animation = row->findChild<QVariantAnimation *>();
        ASSERT_TRUE(animation) << "the row grows, it does not jump";
        EXPECT_EQ(animation->duration(), int(ClipboardRow::kUnfoldDuration.count()));
        EXPECT_LT(row->unfoldProgress(), 1.0);
        ASSERT_TRUE(testsupport::waitFor([&] { return row->unfoldProgress() >= 1.0; }));
        ASSERT_TRUE(testsupport::waitFor([&] { return shown.itemRect(0).height() > foldedHeight + 30; }));
        ASSERT_TRUE(testsupport::waitFor([&] { return row->unfoldedPart() && row->unfoldedPart()->isRevealed(); }));
    }
    ClipboardRow *row = shown.list->rowWidget(longText.id);
    auto *label = row->findChild<QLabel *>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), longText.text);
    EXPECT_FALSE(label->hasSelectedText());
    const QPoint from(2, label->height() / 4);
    const QPoint to(label->width() - 2, label->height() * 3 / 4);
    sendMouse(label, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(label, QEvent::MouseMove, to, Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonRelease, to, Qt::NoButton);
    EXPECT_TRUE(label->hasSelectedText());
    EXPECT_TRUE(longText.text.contains(label->selectedText().replace(QChar::ParagraphSeparator, u'\n')));
    EXPECT_EQ(model.pasteboard()->content().text, QStringLiteral("untouched")) << "selecting pastes nothing";

    {
        PanelMotion::ScopedFactor motion(1.0);
        shown.clickControl(0, Control::ExpandText); // "Menej"
        EXPECT_GT(row->unfoldProgress(), 0.0) << "folding starts from the open row";
        ASSERT_TRUE(testsupport::waitFor([&] { return !shown.list->rowWidget(longText.id); }));
    }
    ASSERT_TRUE(testsupport::waitFor([&] { return shown.itemRect(0).height() == foldedHeight; }));
}

// Text copied with Ctrl+C from an unfolded row of the open panel is the Clipboard section's
// top row at once. The panel took the keyboard for it, so Tarnel was in front, while the section
// ranks first the copies of the application the panel was opened over.
TEST(EntryList, ACopyMadeInThePanelIsTheClipboardSectionsTopRowAtOnce)
{
    const ClipboardEntry longText = longTextEntry();
    ShownList shown(longText);
    ClipboardModel &model = shown.seed.model();
    QList<ClipboardEntry> editorCopies{longText};
    for (const QString &text : {QStringLiteral("druhá kópia"), QStringLiteral("tretia kópia")}) {
        ClipboardEntry entry = longText;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        editorCopies.append(entry);
    }
    model.setEntries(editorCopies);
    model.setCurrentContext(QStringLiteral("Editor"));
    model.setSelectedTab(ClipboardPanelTab::Clipboard);
    shown.seed.workspace().setFrontmostApplication(
        RunningApplication{9, shown.seed.workspace().ownPid(), QStringLiteral("Tarnel")});
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.list->listModel()->rowCount(), 3);

    shown.clickControl(0, Control::ExpandText);
    ClipboardRow *row = shown.list->rowWidget(longText.id);
    ASSERT_TRUE(row);
    auto *label = row->findChild<QLabel *>();
    ASSERT_TRUE(label);
    const QPoint from(2, label->height() / 4);
    const QPoint to(label->width() / 2, label->height() / 4);
    sendMouse(label, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(label, QEvent::MouseMove, to, Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonRelease, to, Qt::NoButton);
    ASSERT_TRUE(label->hasSelectedText());
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    ASSERT_EQ(copied.toStdString(), label->selectedText().toStdString());
    // The desktop's clipboard hands the copy on as it does every program's.
    shown.seed.pasteboard().copyText(copied);
    model.readClipboardIfChanged();
    QCoreApplication::processEvents();

    ASSERT_EQ(model.entries().size(), 4);
    EXPECT_EQ(model.entries().first().text.toStdString(), copied.toStdString());
    const ClipboardEntry *top = shown.list->listModel()->entryAt(0);
    ASSERT_TRUE(top);
    const int shownAt = shown.list->listModel()->rowOf(model.entries().first().id);
    EXPECT_EQ(top->text.toStdString(), copied.toStdString()) << "the list shows it below " << shownAt << " rows of the editor";
    EXPECT_EQ(shown.itemRect(0).top(), 0) << "in view at the top";
}

// The strip beside the toggle waits before it shows: a click landing there at once does nothing,
// the same click after the delay pins the entry; the pin reads back in both states.
TEST(EntryList, RowControlsAnswerOnlyAfterTheRevealDelay)
{
    ClipboardEntry entry = longTextEntry();
    entry.text = QStringLiteral("krátky text");
    ShownList shown(entry);
    ClipboardModel &model = shown.seed.model();
    PanelMotion::ScopedFactor motion(1.0);
    QElapsedTimer clock;
    clock.start();
    shown.clickControl(0, Control::Toggle);
    EXPECT_EQ(shown.sheets.expanded, entry.id);
    ASSERT_TRUE(shown.list->isStripInert());
    const QRectF pin = shown.controlRect(0, Control::Pin);
    ASSERT_FALSE(pin.isEmpty()) << "the header made room for the strip";
    testsupport::click(shown.viewport(), pin.center());
    EXPECT_FALSE(model.entries().first().isPinned) << "a click before the delay lands on nothing";
    ASSERT_TRUE(testsupport::waitFor([&] { return !shown.list->isStripInert(); }));
    EXPECT_GE(clock.elapsed(), DelayedEntryActions::kRevealDelay.count() * 9 / 10);

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(shown.list->view());
    ASSERT_TRUE(list);
    auto pinValue = [&] {
        QAccessibleInterface *row = list->child(0);
        for (int i = 0; row && i < row->childCount(); ++i) {
            if (row->child(i)->text(QAccessible::Name).contains(QStringLiteral("Pripnúť"))
                || row->child(i)->text(QAccessible::Name).contains(QStringLiteral("Odopnúť")))
                return row->child(i)->text(QAccessible::Value);
        }
        return QString();
    };
    EXPECT_EQ(pinValue(), QStringLiteral("Nepripnuté"));
    testsupport::click(shown.viewport(), pin.center());
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.entries().first().isPinned);
    EXPECT_EQ(pinValue(), QStringLiteral("Pripnuté"));
    testsupport::click(shown.viewport(), pin.center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(model.entries().first().isPinned) << "a second press unpins";
    EXPECT_EQ(pinValue(), QStringLiteral("Nepripnuté"));
}

// A screen reader finds each delegate-drawn row by its preview, with its description and the
// "Akcie položky" action, and each control by a label naming the entry; pressing them acts.
TEST(EntryList, ScreenReadersNameEveryRowAndControlAndPressThem)
{
    const ClipboardEntry entry = longTextEntry();
    ShownList shown(entry);
    ClipboardModel &model = shown.seed.model();
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(shown.list->view());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->childCount(), shown.list->listModel()->rowCount());
    QAccessibleInterface *row = list->child(0);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->role(), QAccessible::ListItem);
    EXPECT_EQ(row->text(QAccessible::Name), entry.preview());
    EXPECT_TRUE(row->text(QAccessible::Description).contains(QStringLiteral("Editor")));
    EXPECT_EQ(list->indexOfChild(row), 0);
    EXPECT_EQ(row->parent(), list);
    // The selection reads back both ways.
    model.setSelectedEntry(model.entries().at(1));
    EXPECT_FALSE(row->state().selected);
    model.setSelectedEntry(entry);
    EXPECT_TRUE(row->state().selected);
    QAccessibleActionInterface *actions = row->actionInterface();
    ASSERT_TRUE(actions);
    EXPECT_TRUE(actions->actionNames().contains(QStringLiteral("Akcie položky")));

    auto names = [&] {
        QStringList out;
        for (int i = 0; i < row->childCount(); ++i)
            out << row->child(i)->text(QAccessible::Name);
        return out;
    };
    // Folded: "Viac" and the toggle naming the entry.
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Viac"), QStringLiteral("Akcie: ") + entry.preview()}));
    QAccessibleInterface *toggle = row->child(1);
    EXPECT_EQ(toggle->role(), QAccessible::Button);
    EXPECT_TRUE(toggle->state().collapsed);
    toggle->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(shown.sheets.expanded, entry.id);
    EXPECT_TRUE(toggle->state().expanded);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Viac"), QStringLiteral("Pripnúť položku"),
                                    QStringLiteral("Pridať do Paste Stack"),
                                    QStringLiteral("Vymazať položku: ") + entry.preview(), QStringLiteral("Všetky akcie"),
                                    QStringLiteral("Akcie: ") + entry.preview()}));
    // Each control sits where it is drawn.
    const QRect drawn = shown.controlRect(0, Control::Delete).toAlignedRect();
    EXPECT_EQ(row->child(3)->rect(), QRect(shown.viewport()->mapToGlobal(drawn.topLeft()), drawn.size()));

    // Adding to the Paste Stack greys the button out; the stack's own list names its removal.
    row->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(model.pasteStackEntryIDs().contains(entry.id));
    EXPECT_TRUE(row->child(2)->state().disabled);
    EXPECT_EQ(row->child(2)->text(QAccessible::Name), QStringLiteral("Už je v Paste Stack"));
    EXPECT_TRUE(row->child(2)->actionInterface()->actionNames().isEmpty());
    EntryList stack(model, shown.sheets, true);
    QAccessibleInterface *stackRow = QAccessible::queryAccessibleInterface(stack.view())->child(0);
    ASSERT_TRUE(stackRow);
    QStringList stackNames;
    for (int i = 0; i < stackRow->childCount(); ++i)
        stackNames << stackRow->child(i)->text(QAccessible::Name);
    EXPECT_TRUE(stackNames.contains(QStringLiteral("Odobrať ") + entry.preview() + QStringLiteral(" z Paste Stack")))
        << stackNames.join(u'|').toStdString();
    // The drag handle is named by what it does, where it is drawn, and offers no press.
    ASSERT_EQ(stackNames.last(), QStringLiteral("Potiahni na zmenu poradia")) << stackNames.join(u'|').toStdString();
    QAccessibleInterface *handle = stackRow->child(stackRow->childCount() - 1);
    const QModelIndex stacked = stack.listModel()->index(0);
    const QRect handleDrawn = stack.delegate()->controlRect(stacked, stack.view()->visualRect(stacked), Control::Handle).toAlignedRect();
    EXPECT_FALSE(handleDrawn.isEmpty());
    EXPECT_EQ(handle->rect(), QRect(stack.view()->viewport()->mapToGlobal(handleDrawn.topLeft()), handleDrawn.size()));
    EXPECT_TRUE(handle->actionInterface()->actionNames().isEmpty());
    // In the history's rows there is no handle.
    EXPECT_FALSE(names().contains(QStringLiteral("Potiahni na zmenu poradia")));

    // "Viac" unfolds the text, and then reads "Menej".
    row->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(shown.list->rowWidget(entry.id));
    EXPECT_EQ(row->child(0)->text(QAccessible::Name), QStringLiteral("Menej"));
    EXPECT_TRUE(row->state().expanded);

    // Delete, by its label.
    const qsizetype before = model.entries().size();
    row->child(3)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(model.entries().size(), before - 1);
    EXPECT_FALSE(row->isValid());

    // In English the labels come from the table, the preview unchanged.
    ScopedLanguage english(QStringLiteral("en"));
    QAccessibleInterface *next = list->child(0);
    ASSERT_TRUE(next);
    const ClipboardEntry *first = shown.list->listModel()->entryAt(0);
    EXPECT_EQ(next->child(next->childCount() - 1)->text(QAccessible::Name), QStringLiteral("Actions: ") + first->preview());
    EXPECT_TRUE(next->actionInterface()->actionNames().contains(QStringLiteral("Entry actions")));
}

// The Paste Stack's drag handle is reached by Tab like every other control; held by the keyboard,
// Up and Down move its entry one place, within the stack, and not while a search narrows it.
TEST(EntryList, TheKeyboardMovesAStackEntryByItsHandle)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    const QList<ClipboardEntry> entries = model.entries();
    const QStringList stack{entries.at(0).id, entries.at(1).id, entries.at(2).id};
    model.setPasteStackEntryIDs(stack);
    model.setSelectedTab(ClipboardPanelTab::PasteStack);
    FakePanelSheets sheets;
    EntryList list(model, sheets, true);
    list.resize(420, 400);
    list.show();
    QCoreApplication::processEvents();
    const auto key = [&list](int code) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(list.view(), &press);
        QCoreApplication::processEvents();
    };
    model.setSelectedEntryID(stack.at(0));
    QCoreApplication::processEvents();
    key(Qt::Key_Backtab);
    ASSERT_EQ(list.keyboardControl(), Control::Handle) << "the handle is the row's last control";
    key(Qt::Key_Down);
    EXPECT_EQ(model.pasteStackEntryIDs(), (QStringList{stack.at(1), stack.at(0), stack.at(2)}));
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(model.pasteStackEntryIDs(), (QStringList{stack.at(1), stack.at(2), stack.at(0)})) << "kept last";
    EXPECT_EQ(model.selectedEntryID(), stack.at(0)) << "the selection moves with its entry";
    key(Qt::Key_Up);
    EXPECT_EQ(model.pasteStackEntryIDs(), (QStringList{stack.at(1), stack.at(0), stack.at(2)}));
    // Without the handle the arrows move the selection, as before.
    key(Qt::Key_Escape);
    key(Qt::Key_Up);
    EXPECT_EQ(model.selectedEntryID(), stack.at(1));
    EXPECT_EQ(model.pasteStackEntryIDs(), (QStringList{stack.at(1), stack.at(0), stack.at(2)}));
    // With motion the rows slide to their new places: the moved one starts where it was drawn.
    {
        PanelMotion::ScopedFactor motion(1);
        const int pitch = list.view()->visualRect(list.listModel()->index(1)).top()
                          - list.view()->visualRect(list.listModel()->index(0)).top();
        model.setSelectedEntryID(stack.at(0));
        QCoreApplication::processEvents();
        key(Qt::Key_Backtab);
        key(Qt::Key_Up);
        ASSERT_EQ(model.pasteStackEntryIDs(), (QStringList{stack.at(0), stack.at(1), stack.at(2)}));
        EXPECT_NEAR(list.slideOffset(stack.at(0)), pitch, 1.0) << "drawn one row lower, where it was";
        EXPECT_NEAR(list.slideOffset(stack.at(1)), -pitch, 1.0);
        EXPECT_EQ(list.slideOffset(stack.at(2)), 0.0) << "a row that kept its place does not move";
        QElapsedTimer slide;
        slide.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list.slideOffset(stack.at(0)) == 0.0; }));
        EXPECT_GE(slide.elapsed(), EntryList::kReorderDuration.count() / 2);
        key(Qt::Key_Escape);
    }
    EXPECT_EQ(EntryList::kReorderDuration, std::chrono::milliseconds(120));
    // Without motion the rows stand in their places at once.
    model.setSelectedEntryID(stack.at(1));
    QCoreApplication::processEvents();
    key(Qt::Key_Backtab);
    key(Qt::Key_Up);
    ASSERT_EQ(model.pasteStackEntryIDs(), (QStringList{stack.at(1), stack.at(0), stack.at(2)}));
    EXPECT_EQ(list.slideOffset(stack.at(1)), 0.0);
    key(Qt::Key_Escape);
    model.setSearchText(model.entries().at(0).text.left(3));
    QCoreApplication::processEvents();
    model.setSelectedEntryID(stack.at(0));
    key(Qt::Key_Backtab);
    key(Qt::Key_Up);
    EXPECT_EQ(model.pasteStackEntryIDs(), (QStringList{stack.at(1), stack.at(0), stack.at(2)})) << "no reordering while searching";
}

// Every control the pointer reaches is reached by the keyboard too: Tab walks the selected row's
// controls, Space or Return presses the one it is on, and past the last one Tab leaves the list.
TEST(EntryList, TheKeyboardReachesAndPressesEveryControlThePointerReaches)
{
    ClipboardEntry entry = longTextEntry();
    entry.text = QStringLiteral("krátky text");
    ShownList shown(entry);
    ClipboardModel &model = shown.seed.model();
    shown.list->view()->setFocus();
    model.setSelectedEntry(entry);
    QCoreApplication::processEvents();
    shown.key(Qt::Key_Tab);
    EXPECT_EQ(shown.list->keyboardControl(), Control::Toggle);
    shown.key(Qt::Key_Space);
    EXPECT_EQ(shown.sheets.expanded, entry.id) << "the toggle opened the strip";
    shown.key(Qt::Key_Backtab);
    EXPECT_EQ(shown.list->keyboardControl(), Control::AllActions);
    shown.key(Qt::Key_Backtab);
    shown.key(Qt::Key_Backtab);
    shown.key(Qt::Key_Backtab);
    EXPECT_EQ(shown.list->keyboardControl(), Control::Pin);
    shown.key(Qt::Key_Return);
    EXPECT_TRUE(model.entries().first().isPinned);
    shown.key(Qt::Key_Return);
    EXPECT_FALSE(model.entries().first().isPinned) << "a second press unpins";
    QAccessibleInterface *pin = QAccessible::queryAccessibleInterface(shown.list->view())->child(0)->child(0);
    EXPECT_TRUE(pin->state().focused || !shown.list->view()->hasFocus());
    shown.key(Qt::Key_Escape);
    EXPECT_EQ(shown.list->keyboardControl(), Control::None);

    // Shift+F10 opens the actions, as a right click does.
    shown.sheets.requests.clear();
    shown.key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(shown.sheets.requests.contains(QStringLiteral("actions ") + entry.id)) << shown.sheets.requests.join(u'|').toStdString();
    // The menu closes while the panel it reports to is still there.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *menu = qobject_cast<EntryActionsMenu *>(window))
            menu->close();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.sheets.requests.last(), QStringLiteral("actions "));
}

// A section with nothing to list explains what belongs there; a search that finds nothing says so.
TEST(EntryList, EachEmptySectionSaysWhatBelongsThere)
{
    using Tab = ClipboardPanelTab;
    struct Case {
        const char *name;
        bool historyEmpty;
        Tab tab;
        bool inPasteStack;
        QString search;
        QString symbol;
        QString title;
        QString message;
    };
    const QString nothing = "Nič sa nenašlo";
    const Case cases[] = {
        {"first start", true, Tab::Clipboard, false, {}, "doc.on.clipboard", "Tvoja schránka začína tu",
         "Skopíruj text, obrázok alebo súbor.\nNájdeš ho tu pripravený na vloženie."},
        {"everything pinned", false, Tab::Clipboard, false, {}, "doc.on.clipboard", "Schránka je prázdna",
         "Položky v Stacku a Pripnutých sú v ich sekciách. V Histórii nájdeš všetky kópie."},
        {"history", true, Tab::History, false, {}, "clock.arrow.circlepath", "História je prázdna",
         "Skopíruj text, obrázok alebo súbor. V Histórii zostane aj po vložení."},
        {"pins", true, Tab::Pins, false, {}, "pin", "Dôležité veci poruke",
         "V menu položky vyber Pripnúť. Zostane tu aj po vložení."},
        {"open Jar", false, Tab::Jars, false, {}, "archivebox", "Jar je prázdny",
         "Pridaj položky z Histórie cez menu položky a možnosť Pridať do Jaru."},
        {"paste stack", false, Tab::PasteStack, true, {}, "square.stack.3d.up", "Paste Stack je prázdny",
         "Pridaj položky z Histórie tlačidlom + alebo skopíruj výber cez " + AppShortcut(AppShortcut::pasteStack).label() + "."},
        {"search in history", false, Tab::History, false, "zzz", "magnifyingglass", nothing,
         "Skús iné slovo, názov aplikácie alebo typ obsahu."},
        {"search in the stack", false, Tab::PasteStack, true, "zzz", "square.stack.3d.up", nothing,
         "Skús iný výraz vyhľadávania."},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        ClipboardEntry pinned = pastetest::textEntry("p", "pinned");
        pinned.isPinned = true;
        h.seedHistory(c.historyEmpty ? QList<ClipboardEntry>{} : QList<ClipboardEntry>{pinned});
        h.seedJars({ClipboardJar{"J", "Prázdny", {}}});
        ClipboardModel &model = h.make();
        model.setSelectedTab(c.tab);
        model.setSelectedJarID(QStringLiteral("J"));
        model.setSearchText(c.search);
        FakePanelSheets sheets;
        EntryList list(model, sheets, c.inPasteStack);
        QCoreApplication::processEvents();
        ASSERT_TRUE(list.isShowingEmptyState()) << c.name;
        const PanelEmptyState *empty = list.findChild<PanelEmptyState *>();
        ASSERT_TRUE(empty) << c.name;
        EXPECT_EQ(empty->symbol(), c.symbol) << c.name;
        EXPECT_EQ(empty->title(), c.title) << c.name;
        EXPECT_EQ(empty->message(), c.message) << c.name;
    }
}

TEST(EntryList, HandleDragReordersTheStackButNotWhileSearching)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setSelectedTab(ClipboardPanelTab::PasteStack);
    FakePanelSheets sheets;
    EntryList list(model, sheets, true);
    list.resize(420, 400);
    list.show();
    QWidget *viewport = list.view()->viewport();
    const QStringList start = model.pasteStackEntryIDs();
    ASSERT_EQ(start.size(), 3);

    const auto drag = [&](qreal distance) {
        const QRect item = list.view()->visualRect(list.listModel()->index(0));
        const EntryRowDelegate::Layout layout = EntryRowDelegate::layout(item, list.listModel()->entries().at(0), true, false);
        const QPointF from = layout.handle.center();
        const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, from + QPointF(0, distance), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, from + QPointF(0, distance), Qt::NoButton);
        QCoreApplication::processEvents();
    };
    model.setSearchText(QStringLiteral("a"));
    QCoreApplication::processEvents();
    drag(130);
    EXPECT_EQ(model.pasteStackEntryIDs(), start);

    model.setSearchText(QString());
    QCoreApplication::processEvents();
    drag(130);
    EXPECT_EQ(model.pasteStackEntryIDs(), (QStringList{start[1], start[2], start[0]}));
    EXPECT_TRUE(sheets.requests.isEmpty()) << "a drag is not a click";
}

TEST(EntrySectionScreen, HeadingCountsTheWholeSectionWhateverTheSearch)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    FakePanelSheets sheets;
    model.setSelectedTab(ClipboardPanelTab::Pins);
    EntrySectionScreen pins(model, sheets, ClipboardPanelTab::Pins);
    model.setSearchText(QStringLiteral("zzzz-nothing"));
    QCoreApplication::processEvents();
    EXPECT_EQ(pins.heading()->count(), 1);
    EXPECT_TRUE(pins.clearButton()->isEnabled());
    EXPECT_TRUE(pins.list()->isShowingEmptyState());

    testsupport::click(pins.clearButton());
    EXPECT_EQ(sheets.requests, QStringList{QStringLiteral("clear %1").arg(int(ClearSection::Pins))});

    for (const ClipboardEntry &entry : model.entries()) {
        if (entry.isPinned)
            model.togglePin(entry);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(pins.heading()->count(), 0);
    EXPECT_FALSE(pins.clearButton()->isEnabled());
}

TEST(JarsScreen, CardsCountListedEntriesAndOpeningChoosesTheJar)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setSelectedTab(ClipboardPanelTab::Jars);
    QList<ClipboardJar> jars = model.jars();
    jars[0].entryIDs.append(QStringLiteral("gone-long-ago")); // an id the history no longer holds
    model.setJars(jars);
    model.setSearchText(QStringLiteral("x"));
    FakePanelSheets sheets;
    JarsScreen screen(model, sheets);
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen.isShowingEmptyList()) << "no Jar name holds an x";
    EXPECT_EQ(shownEmptyTexts(screen), std::pair(QString("Nič sa nenašlo"), QString("Skús iný názov Jaru.")));
    EXPECT_EQ(screen.listHeading()->count(), 2);

    model.setSearchText(QString());
    QCoreApplication::processEvents();
    ASSERT_EQ(screen.cards().size(), 2);
    auto *card = qobject_cast<JarCard *>(screen.cards().at(0));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->entryCount(), 3) << "four ids stored, three entries listed";
    EXPECT_EQ(JarCard::countText(3), QStringLiteral("3 položky"));
    EXPECT_EQ(JarCard::countText(0), QStringLiteral("0 položiek"));
    EXPECT_EQ(JarCard::countText(1), QStringLiteral("1 položka"));

    testsupport::click(card);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.selectedJarID(), jars[0].id);
    EXPECT_EQ(model.selectedEntryID(), model.selectedJarEntries().first().id);
    EXPECT_TRUE(screen.isShowingDetail());
    EXPECT_EQ(screen.detailHeading()->count(), 3);
    testsupport::click(screen.clearJarButton());
    EXPECT_EQ(sheets.requests.last(), QStringLiteral("clear %1 %2").arg(int(ClearSection::Jar)).arg(jars[0].id));
}

TEST(SnippetsScreen, SearchCoversNameTriggerAndTextAndPermissionsShowWhatIsMissing)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    FakePanelSheets sheets;
    SnippetsScreen screen(model, sheets);
    for (const auto &[search, count] : std::initializer_list<std::pair<const char *, int>>{
             {"PODPIS", 1}, {";adr", 1}, {"bratislava", 1}, {"nič také", 0}, {"", 3}}) {
        model.setSearchText(QString::fromUtf8(search));
        QCoreApplication::processEvents();
        EXPECT_EQ(screen.rowCount(), count) << search;
        EXPECT_EQ(screen.isShowingEmptyState(), count == 0) << search;
        EXPECT_EQ(screen.heading()->count(), 3) << search;
        if (count == 0) {
            EXPECT_EQ(shownEmptyTexts(screen),
                      std::pair(QString("Nič sa nenašlo"), QString("Skús iný názov, skratku alebo časť textu.")));
        }
    }
    model.setAccessibilityPermissionEnabled(true);
    model.setPasteMonitoringEnabled(false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(screen.permissionCard()->isHidden());
    EXPECT_TRUE(screen.accessibilityButton()->isHidden());
    EXPECT_FALSE(screen.inputMonitoringButton()->isHidden());
    // Beside the permission card "Nová skratka" stands in the heading and opens an empty editor.
    EXPECT_TRUE(screen.createCard()->isHidden());
    ASSERT_FALSE(screen.headingCreateButton()->isHidden());
    testsupport::click(screen.headingCreateButton());
    EXPECT_EQ(sheets.requests, QStringList{QStringLiteral("snippet new")});
    model.setPasteMonitoringEnabled(true);
    model.setInputMonitoringPermissionEnabled(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen.permissionCard()->isHidden());
    EXPECT_FALSE(screen.createCard()->isHidden());
    EXPECT_TRUE(screen.headingCreateButton()->isHidden());
}

// The pointer comes onto a row's pencil and clicks at once: hovering selected the row while
// the button was down, and the release must still reach the button that took the press.
TEST(SnippetsScreen, AClickRightAfterThePointerEntersARowReachesItsPencil)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    FakePanelSheets sheets;
    SnippetsScreen screen(model, sheets);
    screen.resize(420, 400);
    screen.show();
    QCoreApplication::processEvents();
    const QList<SnippetRow *> rows = screen.findChildren<SnippetRow *>();
    ASSERT_EQ(rows.size(), 3);
    SnippetRow *row = rows.at(1);
    ASSERT_NE(model.selectedQuickAccessSnippetID(), row->snippetID());

    QEnterEvent enter(QPointF(5, 5), row->mapToGlobal(QPointF(5, 5)), row->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(row, &enter);
    QPointer<QAbstractButton> pencil = row->editButton();
    const QPointF at = QRectF(pencil->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, pencil->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pencil, &press);
    QCoreApplication::processEvents(); // the selection lands while the button is down
    ASSERT_TRUE(pencil) << "the row under the pointer was built anew";
    QMouseEvent release(QEvent::MouseButtonRelease, at, pencil->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pencil, &release);

    EXPECT_EQ(sheets.requests, QStringList{QStringLiteral("snippet ") + row->snippetID()});
    EXPECT_EQ(model.selectedQuickAccessSnippetID(), row->snippetID());
    EXPECT_TRUE(row->isSelected());
    EXPECT_FALSE(rows.at(0)->isSelected());
}

TEST(GalleryScreen, EachTabHoldsItsOwnImagesAndCardsIgnoreAVanishedEntry)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    FakePanelSheets sheets;
    for (ClipboardPanelTab tab : {ClipboardPanelTab::Gallery, ClipboardPanelTab::Screenshots}) {
        model.setSelectedTab(tab);
        GalleryScreen screen(model, sheets);
        const bool screenshots = tab == ClipboardPanelTab::Screenshots;
        const QList<GalleryCard *> cards = screen.cards();
        ASSERT_FALSE(cards.isEmpty());
        for (GalleryCard *card : cards) {
            EXPECT_EQ(card->entry().kind, ClipboardKind::Image);
            EXPECT_EQ(card->entry().isScreenshot, screenshots);
        }
        EXPECT_EQ(screen.heading()->count(), cards.size());

        const ClipboardEntry first = cards.first()->entry();
        EXPECT_TRUE(screen.trigger(first.id, GalleryCard::Action::Preview));
        EXPECT_EQ(sheets.requests.last(), QStringLiteral("preview ") + first.id);
        EXPECT_TRUE(screen.trigger(first.id, GalleryCard::Action::Delete));
        EXPECT_FALSE(screen.trigger(first.id, GalleryCard::Action::Pin));
        EXPECT_FALSE(screen.trigger(first.id, GalleryCard::Action::Paste));
        QCoreApplication::processEvents();
        EXPECT_EQ(screen.cards().size(), cards.size() - 1);
    }
    EXPECT_NEAR(GalleryCard::ratio(QSize(100, 1000)), 0.62, 1e-9);
    EXPECT_NEAR(GalleryCard::ratio(QSize(4000, 1000)), 1.72, 1e-9);
    EXPECT_NEAR(GalleryCard::ratio(QSize(300, 200)), 1.5, 1e-9);
    EXPECT_NEAR(GalleryCard::ratio(QSize()), 1.0, 1e-9);
}

TEST(EmptyPasteStack, NamesTheCopyShortcutAsTheDesktopShowsKeysInBothLanguages)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setPasteStackEntryIDs({});
    model.setSelectedTab(ClipboardPanelTab::PasteStack);
    FakePanelSheets sheets;
    EntryList list(model, sheets, true);
    model.beginQuickAccess(std::nullopt);
    model.setSelectedTab(ClipboardPanelTab::PasteStack);
    QuickAccessView quickAccess(model);
    quickAccess.show();
    const QString keys = AppShortcut(AppShortcut::pasteStack).label();
    ASSERT_FALSE(keys.isEmpty());
    for (AppLanguage language : {AppLanguage::Sk, AppLanguage::En}) {
        model.setLanguage(language);
        QCoreApplication::processEvents();
        ASSERT_TRUE(list.isShowingEmptyState());
        for (const QString &message : {list.findChild<PanelEmptyState *>()->message(), quickAccess.emptyState()->message()}) {
            EXPECT_TRUE(message.contains(keys)) << message.toStdString();
            EXPECT_FALSE(message.contains(QChar(0x2318)) || message.contains(QChar(0x2325))) << message.toStdString();
        }
    }
    model.setLanguage(AppLanguage::Sk);
}

namespace {

// What the list's window shows now, as last painted: nothing is drawn anew for the reading.
QImage lastPainted(QWidget *window)
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    return window->screen()->grabWindow(window->winId()).toImage();
}

// How strongly a band of a painted picture shows ink: the spread between its lightest and its
// darkest pixel (0 blank, 255 black on white).
int inkIn(const QImage &picture, const QRect &band)
{
    int lightest = 0;
    int darkest = 255;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const int grey = qGray(picture.pixel(x, y));
            lightest = std::max(lightest, grey);
            darkest = std::min(darkest, grey);
        }
    }
    return std::max(0, lightest - darkest);
}

} // namespace

// "Menej" folds the whole text away as "Viac" brought it: it fades out while the row shrinks
// over it, and the row below is drawn whole all the while.
TEST(EntryList, AFoldingTextFadesOutAsTheRowShrinks)
{
    const ClipboardEntry longText = longTextEntry();
    ShownList shown(longText);
    shown.seed.model().setAppearance(ClipboardAppearance::Light);
    QCoreApplication::processEvents();
    const QImage folded = lastPainted(shown.list.get());
    const QRect belowFolded = shown.itemRect(1);
    shown.clickControl(0, Control::ExpandText);
    ClipboardRow *row = shown.list->rowWidget(longText.id);
    ASSERT_TRUE(row);
    auto *label = row->findChild<QLabel *>();
    ASSERT_TRUE(label);
    // The text's first line, which stays inside the row until late in the fold.
    const auto firstLine = [&] {
        const QPoint origin = label->mapTo(shown.list.get(), QPoint(0, 0));
        return QRect(origin, QSize(label->width(), label->fontMetrics().height()));
    };
    const int whole = inkIn(lastPainted(shown.list.get()), firstLine());
    ASSERT_GT(whole, 120) << "the unfolded text is drawn";

    PanelMotion::ScopedFactor motion(1.0);
    shown.clickControl(0, Control::ExpandText); // "Menej"
    auto *animation = row->findChild<QVariantAnimation *>();
    ASSERT_TRUE(animation);
    animation->pause();
    struct Step {
        int time;
        double mostInk; // of the unfolded text's ink
    };
    for (const Step step : {Step{110, 0.7}, Step{180, 0.35}}) {
        animation->setCurrentTime(step.time);
        QCoreApplication::processEvents();
        ASSERT_TRUE(shown.list->rowWidget(longText.id)) << step.time;
        const QImage picture = lastPainted(shown.list.get());
        const QRect line = firstLine() & shown.itemRect(0);
        ASSERT_FALSE(line.isEmpty()) << step.time;
        EXPECT_LE(inkIn(picture, line), whole * step.mostInk) << "at " << step.time << " ms the text still shows whole";
        // The row below: its picture and title as they are drawn once everything is folded.
        const QRect below = shown.itemRect(1);
        const QRect header(QPoint(0, 0), QSize(below.width(), ClipboardRow::kHeaderHeight));
        EXPECT_EQ(picture.copy(header.translated(below.topLeft())), folded.copy(header.translated(belowFolded.topLeft())))
            << "the row below is drawn whole at " << step.time << " ms";
    }
    animation->setCurrentTime(animation->duration());
    ASSERT_TRUE(testsupport::waitFor([&] { return !shown.list->rowWidget(longText.id); }));
}

namespace {

// The pixels of a painted row that are the orange of the hourglass, laid on the row's card.
int orangePixels(const QImage &picture, const QRect &row)
{
    int count = 0;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = row.left(); x <= row.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.red() > 180 && c.green() > 90 && c.green() < 190 && c.blue() < 110 && c.red() - c.blue() > 110)
                ++count;
        }
    }
    return count;
}

} // namespace

// An expiring copy shows the hourglass in its meta line, a permanent one none.
TEST(EntryList, TheHourglassIsDrawnOnAnExpiringRowAndNotOnAPermanentOne)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setSelectedTab(ClipboardPanelTab::History);
    FakePanelSheets sheets;
    EntryList list(model, sheets, false);
    list.resize(420, 600);
    list.show();
    const QImage picture = lastPainted(&list);
    int expiring = 0;
    int permanent = 0;
    for (int row = 0; row < list.listModel()->rowCount(); ++row) {
        const ClipboardEntry *entry = list.listModel()->entryAt(row);
        const QRect rect = list.view()->visualRect(list.listModel()->index(row)).translated(list.view()->viewport()->pos());
        // Text rows only: a picture or a swatch may hold orange of its own.
        if (!picture.rect().contains(rect) || !entry || entry->kind == ClipboardKind::Image || entry->kind == ClipboardKind::Color)
            continue;
        const int orange = orangePixels(picture, rect);
        if (entry->temporaryUntil) {
            ++expiring;
            EXPECT_GT(orange, 6) << entry->text.toStdString();
        } else {
            ++permanent;
            EXPECT_EQ(orange, 0) << entry->text.toStdString();
        }
    }
    EXPECT_GE(expiring, 1);
    EXPECT_GE(permanent, 3);
}

// A row the list keeps is drawn anew when its entry is pinned or its text edited: it then
// shows what a list opened afresh on the same history shows.
TEST(EntryList, AKeptRowIsRepaintedAfterItsPinOrTextChanges)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setSelectedTab(ClipboardPanelTab::History);
    const ClipboardEntry entry = model.entries().first();
    ASSERT_EQ(entry.kind, ClipboardKind::Text);
    ASSERT_FALSE(entry.isPinned);
    FakePanelSheets sheets;
    EntryList list(model, sheets, false);
    list.resize(420, 300);
    list.show();
    ASSERT_TRUE(list.trigger(entry.id, Control::Toggle)); // the strip with the pin shows
    const QRect row = list.view()->visualRect(list.listModel()->index(0)).translated(list.view()->viewport()->pos());
    const auto rowNow = [&] { return lastPainted(&list).copy(row); };
    const auto rowAfresh = [&] {
        FakePanelSheets freshSheets;
        freshSheets.expanded = entry.id;
        EntryList fresh(model, freshSheets, false);
        fresh.resize(list.size());
        fresh.show();
        return lastPainted(&fresh).copy(row);
    };
    const QImage before = rowNow();
    ASSERT_EQ(before, rowAfresh());

    const struct {
        const char *what;
        std::function<void()> change;
    } changes[] = {
        {"pinned", [&] { model.togglePin(model.entries().first()); }},
        {"edited", [&] { ASSERT_TRUE(model.updateEntryText(model.entries().first(), QStringLiteral("Upravený text riadku"))); }},
    };
    QImage last = before;
    for (const auto &c : changes) {
        c.change();
        ASSERT_EQ(list.listModel()->rowOf(entry.id), 0) << c.what;
        const QImage now = rowNow();
        EXPECT_NE(now, last) << c.what << ": the row still shows what it showed";
        EXPECT_EQ(now, rowAfresh()) << c.what;
        last = now;
    }
}
