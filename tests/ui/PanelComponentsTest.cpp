#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/panel/DelayedEntryActions.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/panel/MasonryGridLayout.h"
#include "ui/panel/NotchIdentityView.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelText.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace std::chrono_literals;

namespace {

ClipboardEntry textEntry(const QString &text, ClipboardKind kind = ClipboardKind::Text)
{
    ClipboardEntry entry;
    entry.id = QStringLiteral("E1");
    entry.text = text;
    entry.kind = kind;
    entry.copiedAt = testsupport::SeededModel::fixedNow();
    return entry;
}

ClipboardRow::Header header(const ClipboardEntry &entry)
{
    ClipboardRow::Header h;
    h.entry = entry;
    return h;
}

using testsupport::click;
using testsupport::waitFor;

// Counts a signal's emissions.
template <typename Sender, typename Signal>
std::shared_ptr<int> counter(Sender *sender, Signal signal)
{
    auto count = std::make_shared<int>(0);
    QObject::connect(sender, signal, [count] { ++*count; });
    return count;
}

} // namespace

TEST(ClipboardRow, UnfoldsOnlyTextsLongerThanSixtyCharactersOrWithALineFeed)
{
    const QString accented = QStringLiteral("e\u0301").repeated(60); // 60 letters, 120 code units
    struct Case {
        QString text;
        ClipboardKind kind;
        bool canExpand;
    };
    const Case cases[] = {
        {QString(60, QLatin1Char('a')), ClipboardKind::Text, false},
        {QString(61, QLatin1Char('a')), ClipboardKind::Code, true},
        {QStringLiteral("a\nb"), ClipboardKind::Text, true},
        {accented, ClipboardKind::Text, false},
        {accented + QStringLiteral("x"), ClipboardKind::Text, true},
        {QString(200, QLatin1Char('a')), ClipboardKind::Image, false},
        {QStringLiteral("/a\n/b"), ClipboardKind::File, false},
    };
    for (const Case &test : cases)
        EXPECT_EQ(ClipboardRow::canExpand(textEntry(test.text, test.kind)), test.canExpand) << test.text.size();
}

TEST(ClipboardRow, AHugeTextUnfoldsItsBeginningWithoutSplittingACharacter)
{
    const qsizetype limit = ClipboardRow::kUnfoldedTextLimit;
    const QString ellipsis(QChar(0x2026));
    const QString flag = QStringLiteral("\U0001F1F8\U0001F1F0"); // one character, four units
    const QString huge = QStringLiteral("riadok textu\n").repeated(30 * 1024 * 1024 / 13);
    struct Case {
        const char *name;
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {"short", QStringLiteral("krátky\ntext"), QStringLiteral("krátky\ntext")},
        {"exactly at the limit", QString(limit, QLatin1Char('a')), QString(limit, QLatin1Char('a'))},
        {"one unit over", QString(limit + 1, QLatin1Char('a')), QString(limit, QLatin1Char('a')) + ellipsis},
        {"a flag across the limit", QString(limit - 1, QLatin1Char('a')) + flag + QStringLiteral("b"),
         QString(limit - 1, QLatin1Char('a')) + ellipsis},
        {"thirty megabytes", huge, huge.left(limit) + ellipsis},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClipboardRow::unfoldedText(c.text), c.shown) << c.name;

    // The row lays out what it shows, so a huge entry unfolds to the height of its beginning.
    ClipboardEntry entry;
    entry.text = huge;
    ClipboardEntry beginning;
    beginning.text = huge.left(limit) + ellipsis;
    EXPECT_EQ(ClipboardRow::unfoldedPartHeight(entry, 380), ClipboardRow::unfoldedPartHeight(beginning, 380));
}

TEST(ClipboardRow, TitleActivatesAFoldedRowAndTheToggleUnfoldsALongOne)
{
    PanelMotion::ScopedFactor still(0);
    ClipboardRow shortRow(textEntry(QStringLiteral("krátky text")));
    shortRow.resize(400, ClipboardRow::kHeaderHeight);
    auto shortActivated = counter(&shortRow, &ClipboardRow::activated);
    const auto shortGeometry = ClipboardRow::headerGeometry(QRectF(0, 0, 400, 55), header(shortRow.entry()));
    click(&shortRow, QPointF(shortGeometry.title.right() - 2, shortGeometry.title.center().y()));
    EXPECT_EQ(*shortActivated, 1);

    ClipboardRow longRow(textEntry(QStringLiteral("riadok\n").repeated(4)));
    longRow.resize(400, ClipboardRow::kHeaderHeight);
    longRow.show();
    auto longActivated = counter(&longRow, &ClipboardRow::activated);
    const auto geometry = ClipboardRow::headerGeometry(QRectF(0, 0, 400, 55), header(longRow.entry()));
    ASSERT_FALSE(geometry.toggle.isEmpty());
    click(&longRow, geometry.title.center());
    EXPECT_EQ(*longActivated, 0);
    EXPECT_FALSE(longRow.isExpanded());
    click(&longRow, geometry.toggle.center());
    EXPECT_TRUE(longRow.isExpanded());
    EXPECT_GT(longRow.heightForWidth(400), ClipboardRow::kHeaderHeight + 4 * PanelText::lineHeight(PanelStyle::font(12)));

    // The unfolded text keeps its line breaks, and its paste button activates the row.
    auto *label = longRow.findChild<QLabel *>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), longRow.entry().text);
    auto *paste = longRow.findChild<PanelButton *>();
    ASSERT_TRUE(paste);
    paste->click();
    EXPECT_EQ(*longActivated, 1);
}

TEST(DelayedEntryActions, ContentTakesClicksOnlyAfterTheDelayAndNeverWhenHiddenBefore)
{
    std::optional<PanelMotion::ScopedFactor> motion(std::in_place, 1.0);
    QWidget host;
    auto *button = new QPushButton(QStringLiteral("x"));
    auto *delayed = new DelayedEntryActions(button, &host);
    host.show();
    EXPECT_FALSE(delayed->isRevealed());
    EXPECT_TRUE(button->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(waitFor([&] { return delayed->isRevealed(); }));
    EXPECT_FALSE(button->testAttribute(Qt::WA_TransparentForMouseEvents));

    auto *early = new DelayedEntryActions(new QPushButton(QStringLiteral("y")), &host);
    early->show();
    early->hide();
    waitFor([] { return false; }, 2 * DelayedEntryActions::kRevealDelay);
    EXPECT_FALSE(early->isRevealed());

    motion.reset();
    auto *instant = new DelayedEntryActions(new QPushButton(QStringLiteral("z")), &host);
    instant->show();
    EXPECT_TRUE(instant->isRevealed());
}

TEST(NotchIdentityView, TheFaceComesAfterTheFirstPauseRunsItsFramesAndStopsWhenDisabled)
{
    PanelMotion::ScopedFactor still(0);
    NotchIdentityView view(true);
    view.setRandomSource([] { return 1.0; }); // longest pauses, glance
    view.show();
    ASSERT_TRUE(view.hasPendingStep());
    EXPECT_EQ(view.pendingDelay(), NotchIdentityView::kFirstPauseMax);
    EXPECT_FALSE(view.isAvatarVisible());

    view.runPendingStep();
    EXPECT_TRUE(view.isAvatarVisible());
    EXPECT_EQ(view.face(), NotchIdentityView::kRestFace);
    EXPECT_EQ(view.pendingDelay(), NotchIdentityView::kRestFaceHold);
    view.runPendingStep();
    QStringList faces;
    for (const auto &frame : NotchIdentityView::frames(NotchIdentityView::Expression::Glance)) {
        faces.append(view.face());
        EXPECT_EQ(view.pendingDelay(), frame.duration);
        view.runPendingStep();
    }
    EXPECT_EQ(faces, (QStringList{"(o_o)", "(<_<)", "(o_o)", "(>_>)", "(o_o)"}));
    EXPECT_FALSE(view.isAvatarVisible());
    EXPECT_EQ(view.pendingDelay(), NotchIdentityView::kPauseMax);

    view.runPendingStep();
    ASSERT_TRUE(view.isAvatarVisible());
    view.setAnimationEnabled(false);
    EXPECT_FALSE(view.isAvatarVisible());
    EXPECT_EQ(view.avatarOpacity(), 0.0);
    EXPECT_FALSE(view.hasPendingStep());

    NotchIdentityView quick(true);
    quick.setRandomSource([] { return 0.0; });
    quick.show();
    EXPECT_EQ(quick.pendingDelay(), NotchIdentityView::kFirstPauseMin);
    quick.hide();
    EXPECT_FALSE(quick.hasPendingStep());
}

TEST(MasonryGridLayout, EachCardGoesToTheShortestColumn)
{
    struct Case {
        const char *name;
        qreal width;
        int columns;
        QList<qreal> heights;
        QList<QRectF> rects;
        qreal total;
    };
    const Case cases[] = {
        {"worked example", 300, 2, {100, 50, 70}, {{0, 0, 145, 100}, {155, 0, 145, 50}, {155, 60, 145, 70}}, 130},
        {"no cards", 300, 3, {}, {}, 0},
        {"columns below one", 100, 0, {20, 30}, {{0, 0, 100, 20}, {0, 30, 100, 30}}, 60},
        {"too narrow", 15, 3, {5, 5, 5}, {{0, 0, 0, 5}, {10, 0, 0, 5}, {20, 0, 0, 5}}, 5},
        {"equal rows", 210, 2, {10, 10, 10, 10}, {{0, 0, 100, 10}, {110, 0, 100, 10}, {0, 20, 100, 10}, {110, 20, 100, 10}}, 30},
    };
    for (const Case &test : cases) {
        const auto placement = MasonryGridLayout::place(test.width, test.columns, 10, int(test.heights.size()),
                                                        [&](int i, qreal) { return test.heights.at(i); });
        EXPECT_EQ(placement.rects, test.rects) << test.name;
        EXPECT_EQ(placement.height, test.total) << test.name;
    }

    QWidget host;
    auto *grid = new MasonryGridLayout(2, 10, &host);
    for (int h : {100, 50, 70}) {
        auto *card = new QWidget;
        card->setFixedHeight(h);
        grid->addWidget(card);
    }
    EXPECT_EQ(grid->sizeHint().width(), MasonryGridLayout::kDefaultWidth);
    grid->setGeometry(QRect(5, 5, 300, 130));
    EXPECT_EQ(grid->itemAt(2)->geometry(), QRect(160, 65, 145, 70));
}

// A secondary click (the right button, or the left one with Ctrl) on a row opens the actions of
// the entry under the pointer, also over a text unfolded later, where the text's own menu does
// not open; plain clicks keep pasting.
TEST(EntryList, SecondaryClicksOpenTheActionsOfTheRowUnderThePointerAndOtherClicksPassThrough)
{
    testsupport::SeededModel seed;
    ClipboardModel &model = seed.model();
    ClipboardEntry longText = textEntry(QStringLiteral("Prvý riadok dlhého textu\nDruhý riadok, ktorý sa rozbalí celý"));
    longText.id = ClipboardEntry::newID();
    ClipboardEntry second = textEntry(QStringLiteral("druhý riadok"));
    second.id = ClipboardEntry::newID();
    ClipboardEntry third = textEntry(QStringLiteral("tretí riadok"));
    third.id = ClipboardEntry::newID();
    model.setEntries(QList<ClipboardEntry>{longText, second, third} + model.entries());
    model.setSelectedTab(ClipboardPanelTab::History);
    testsupport::FakePanelSheets sheets;
    EntryList list(model, sheets, false);
    list.resize(420, 400);
    list.show();
    QCoreApplication::processEvents();
    QWidget *viewport = list.view()->viewport();
    const auto rowRect = [&](int row) { return list.view()->visualRect(list.listModel()->index(row)); };
    // A short text's title pastes it when clicked.
    const auto titleOf = [&](int row) {
        const QRect rect = rowRect(row);
        return QPointF(rect.left() + rect.width() / 3.0, rect.top() + ClipboardRow::kHeaderHeight / 2.0);
    };
    const QList<ClipboardEntry> listed = list.listModel()->entries();
    ASSERT_GE(listed.size(), 3);
    ASSERT_EQ(listed.at(0).id, longText.id);
    ASSERT_EQ(listed.at(2).id, third.id);
    model.pasteboard()->writeText(QStringLiteral("untouched"));

    click(viewport, titleOf(2), Qt::RightButton);
    EXPECT_EQ(sheets.requests, QStringList{QStringLiteral("actions ") + listed.at(2).id});
    click(viewport, titleOf(1), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(sheets.requests.last(), QStringLiteral("actions ") + listed.at(1).id);
    EXPECT_EQ(model.pasteboard()->content().text, QStringLiteral("untouched")) << "a secondary click pastes nothing";
    sheets.requests.clear();
    click(viewport, titleOf(1));
    EXPECT_EQ(model.pasteboard()->content().text, listed.at(1).text) << "a plain click still pastes";
    EXPECT_FALSE(sheets.requests.join(u'|').contains(QStringLiteral("actions"))) << sheets.requests.join(u'|').toStdString();

    // The unfolded text is a widget laid over the row after the list was built.
    const QModelIndex first = list.listModel()->index(0);
    click(viewport, list.delegate()->controlRect(first, rowRect(0), EntryRowDelegate::Control::ExpandText).center());
    ASSERT_TRUE(waitFor([&] { return list.rowWidget(longText.id) && list.rowWidget(longText.id)->unfoldedPart(); }));
    auto *label = list.rowWidget(longText.id)->findChild<QLabel *>();
    ASSERT_TRUE(label);
    ASSERT_TRUE(waitFor([&] { return label->isVisible() && list.rowWidget(longText.id)->unfoldedPart()->isRevealed(); }));
    sheets.requests.clear();
    click(label, Qt::RightButton);
    EXPECT_EQ(sheets.requests, QStringList{QStringLiteral("actions ") + longText.id});
    // The pointer's menu request over the text is the row's, so the text's own menu never
    // opens; the menu key's request is left alone.
    const QPoint inside = label->rect().center();
    QContextMenuEvent pointerMenu(QContextMenuEvent::Mouse, inside, label->mapToGlobal(inside));
    pointerMenu.ignore();
    EXPECT_TRUE(QApplication::sendEvent(label, &pointerMenu));
    EXPECT_TRUE(pointerMenu.isAccepted());
    QContextMenuEvent keyMenu(QContextMenuEvent::Keyboard, inside, label->mapToGlobal(inside));
    keyMenu.ignore();
    QApplication::sendEvent(label, &keyMenu);
    EXPECT_FALSE(keyMenu.isAccepted());

    // A Ctrl-click on the unfolded text's paste button opens the actions instead of pasting; a
    // plain click on it pastes.
    auto *paste = list.rowWidget(longText.id)->unfoldedPart()->findChild<PanelButton *>();
    ASSERT_TRUE(paste);
    sheets.requests.clear();
    click(paste, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(sheets.requests.value(0), QStringLiteral("actions ") + longText.id);
    EXPECT_EQ(model.pasteboard()->content().text, listed.at(1).text) << "the Ctrl-click pasted";
    click(paste);
    EXPECT_EQ(model.pasteboard()->content().text, longText.text);
}

// An actions menu can outlive the panel that opened it (the panel's window goes while the menu
// is up); closing it then tells no one that is gone.
TEST(EntryList, AnActionsMenuClosedAfterItsPanelIsGoneCallsNothingDead)
{
    testsupport::SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setSelectedTab(ClipboardPanelTab::History);
    auto sheets = std::make_unique<testsupport::FakePanelSheets>();
    auto list = std::make_unique<EntryList>(model, *sheets, false);
    list->presentActions(model.entries().first());
    QPointer<QWidget> menu = QApplication::activePopupWidget();
    ASSERT_TRUE(qobject_cast<EntryActionsMenu *>(menu));
    EXPECT_EQ(sheets->requests, QStringList{QStringLiteral("actions ") + model.entries().first().id});
    list.reset();
    sheets.reset();
    menu->close();
    EXPECT_TRUE(waitFor([&] { return !menu; })) << "the menu is gone";
}

TEST(EntryThumbnails, DecodesOffTheMainThreadOnceAndRemembersBytesThatAreNoImage)
{
    ClipboardEntry image = textEntry(QString(), ClipboardKind::Image);
    image.imageData = testsupport::SeededModel::png(640, 320, 10);
    ClipboardEntry broken = image;
    broken.id = QStringLiteral("E2");
    broken.imageData = QByteArray("not a picture");
    int loads = 0;
    EntryThumbnails thumbnails([&loads](const ClipboardEntry &entry) {
        ++loads;
        return entry.imageData;
    });
    auto ready = counter(&thumbnails, &EntryThumbnails::ready);
    EXPECT_TRUE(thumbnails.thumbnail(image).isNull());
    EXPECT_TRUE(thumbnails.thumbnail(broken).isNull());
    ASSERT_TRUE(waitFor([&] { return *ready == 1; }));
    EXPECT_TRUE(waitFor([&] { return !thumbnails.isPending(broken.id); }));
    const QImage decoded = thumbnails.thumbnail(image);
    EXPECT_EQ(decoded.size(), QSize(EntryThumbnails::kDecodedSide, EntryThumbnails::kDecodedSide / 2));
    EXPECT_TRUE(thumbnails.thumbnail(broken).isNull());
    EXPECT_EQ(loads, 2);
}

