#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/library/EntrySectionScreen.h"
#include "ui/library/SectionHeading.h"
#include "ui/style/PanelButton.h"

#include <QListView>
#include <QMouseEvent>

#include <gtest/gtest.h>

using testsupport::FakePanelSheets;
using testsupport::SeededModel;
using Control = EntryRowDelegate::Control;

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
    EntryList list(model, sheets, false, [&](const ClipboardEntry &entry) { readTexts << entry.id; });

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

TEST(EntryList, HandleDragReordersTheStackButNotWhileSearching)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setSelectedTab(ClipboardPanelTab::PasteStack);
    FakePanelSheets sheets;
    EntryList list(model, sheets, true, {});
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
    EntrySectionScreen pins(model, sheets, ClipboardPanelTab::Pins, {});
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
