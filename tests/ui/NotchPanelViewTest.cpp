// The notch panel's root view over a real model: the summary row, the details panel at its
// frame, search and Return, the section strip, the footer, and what the view mirrors into the
// model and the controller.
#include "platform/fake/FakeSettingsStore.h"
#include "shell/ClipboardModelPanelLink.h"
#include "support/FakePanelController.h"
#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntrySectionScreen.h"
#include "ui/library/GalleryScreen.h"
#include "ui/library/LibraryFooter.h"
#include "core/ShortcutNotice.h"
#include "ui/panel/DetailsPanel.h"
#include "ui/library/LibraryView.h"
#include "ui/library/SnippetRow.h"
#include "ui/library/SnippetsScreen.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/panel/DetailsSearchField.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/panel/NotchSummary.h"
#include "ui/panel/PanelSheetHost.h"
#include "ui/panel/SectionStrip.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/ShortcutBadge.h"

#include <QImage>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>

#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"

#include <QListView>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

class NotchPanelViewTest : public ::testing::Test {
protected:
    NotchPanelViewTest()
        : link(seed.model(), settings)
    {
        model().setAccessibilityPermissionEnabled(true);
        view = std::make_unique<ClipboardPanelView>(link, &model(), controller, false);
        view->resize(view->sizeHint());
        view->show();
        settle();
    }

    ClipboardModel &model() { return seed.model(); }
    DetailsPanel &details() { return *view->detailsPanel(); }
    QLineEdit &searchField() { return *details().searchField()->field(); }
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QString pasted() { return model().pasteboard()->content().text.value_or(QString()); }

    testsupport::SeededModel seed;
    FakeSettingsStore settings;
    ClipboardModelPanelLink link;
    testsupport::FakePanelController controller;
    std::unique_ptr<ClipboardPanelView> view;
};

} // namespace

TEST(NotchSummaryText, CountPhraseTakesItsNounFromTheWholeCount)
{
    const struct {
        int count;
        const char *phrase;
    } cases[] = {{0, "0 položiek"}, {1, "1 položka"}, {2, "2 položky"}, {4, "4 položky"}, {5, "5 položiek"}, {22, "22 položiek"}, {101, "101 položiek"}};
    for (const auto &c : cases)
        EXPECT_EQ(NotchSummary::countPhrase(c.count), QString::fromUtf8(c.phrase)) << c.count;
}

// A copy that was not kept must not look like one that was: the refusals carry the warning
// symbol in the desktop's orange, the copied notice the accent's check mark.
TEST_F(NotchPanelViewTest, ARefusedCopyIsMarkedAsAWarningNotAsDone)
{
    NotchSummary &summary = *view->summary();
    QWidget *layer = summary.findChild<QWidget *>(QStringLiteral("noticeLayer"));
    ASSERT_NE(layer, nullptr);
    const PanelStyle::Colors &colors = PanelStyle::colors(layer);
    // Pixels of the layer in the colour's hue, bright enough to be seen: the mark's edge blends
    // into the dark notch behind it, which keeps the hue.
    const auto pixelsIn = [layer](const QColor &colour) {
        const QImage picture = layer->grab().toImage();
        constexpr int kHueTolerance = 12;
        constexpr int kLeast = 110; // saturation and value, of 255
        int count = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QColor pixel = picture.pixelColor(x, y).toHsv();
                const int apart = std::abs(pixel.hsvHue() - colour.toHsv().hsvHue());
                if (pixel.hsvSaturation() >= kLeast && pixel.value() >= kLeast && std::min(apart, 360 - apart) <= kHueTolerance)
                    ++count;
            }
        }
        return count;
    };
    constexpr int kMarkPixels = 10;
    struct Case {
        const char *name;
        std::function<void()> show;
        bool refusal;
    };
    const Case cases[] = {
        {"copied", [this] { model().showCopiedNotice(); }, false},
        {"image not kept", [this] { model().showImageNotKeptNotice(); }, true},
        {"text not kept", [this] { model().showTextNotKeptNotice(); }, true},
        {"copy not kept", [this] { model().showCopyNotKeptNotice(); }, true},
    };
    for (const Case &c : cases) {
        c.show();
        settle();
        ASSERT_TRUE(QTest::qWaitFor([&] { return summary.noticeProgress() == 1.0; })) << c.name;
        EXPECT_EQ(pixelsIn(colors.systemOrange) > kMarkPixels, c.refusal) << c.name;
        EXPECT_EQ(pixelsIn(colors.accent) > kMarkPixels, !c.refusal) << c.name;
    }
}

TEST_F(NotchPanelViewTest, SummaryShowsTheCountAndTheNoticesAndFollowsTheModelOnceItsCallReturned)
{
    NotchSummary &summary = *view->summary();
    EXPECT_EQ(summary.countText(), QString::number(model().entries().size()));
    EXPECT_EQ(summary.toggleButton()->accessibleName(), QStringLiteral("Tarnel, 40 položiek"));
    EXPECT_EQ(summary.toggleButton()->accessibleDescription(), QStringLiteral("Rozbalené"));

    // The row reacts after the model's own call: nothing re-enters a paste that changes it.
    QString seenDuringChange;
    QObject::connect(&model(), &ClipboardModel::entriesChanged, &summary,
                     [&] { seenDuringChange = summary.toggleButton()->accessibleName(); });
    QList<ClipboardEntry> fewer = model().entries().mid(0, 3);
    model().setEntries(fewer);
    EXPECT_EQ(seenDuringChange, QStringLiteral("Tarnel, 40 položiek"));
    settle();
    EXPECT_EQ(summary.countText(), QStringLiteral("3"));
    EXPECT_EQ(summary.toggleButton()->accessibleName(), QStringLiteral("Tarnel, 3 položky"));

    model().showCopiedNotice();
    settle();
    EXPECT_EQ(summary.noticeText(), QStringLiteral("Skopírované"));
    EXPECT_DOUBLE_EQ(summary.noticeProgress(), 1.0) << "the label made way for the notice";
    EXPECT_TRUE(summary.toggleButton()->accessibleName().startsWith(QStringLiteral("Skopírované, ")));
    // A copied image that could not be kept says so, also while the copied notice was showing.
    model().showImageNotKeptNotice();
    settle();
    EXPECT_EQ(summary.noticeText(), QStringLiteral("Obrázok sa nedá uložiť"));
    model().showTextNotKeptNotice();
    settle();
    EXPECT_EQ(summary.noticeText(), QStringLiteral("Text je príliš dlhý"));
    model().showCopyNotKeptNotice();
    settle();
    EXPECT_EQ(summary.noticeText(), QStringLiteral("Kópia sa neuložila"));
    model().showNothingSelectedNotice();
    settle();
    EXPECT_EQ(summary.noticeText(), QStringLiteral("Nič nie je označené"));
    model().showCopiedNotice();
    settle();
    EXPECT_EQ(summary.noticeText(), QStringLiteral("Skopírované"));

    model().showScreenshotNotice(seed.first(ClipboardKind::Image));
    settle();
    EXPECT_EQ(summary.noticeText(), QStringLiteral("Screenshot pridaný"));
    EXPECT_EQ(summary.width(), 280);
    ASSERT_TRUE(view->screenshotNotice());
    EXPECT_FALSE(details().isVisible()) << "the notice takes the details panel's place";
    EXPECT_EQ(view->outline().size(), QSizeF(280, 160 + 94));

    // Its two buttons open the composer and the text reader for the new screenshot.
    const QList<QAbstractButton *> actions = view->screenshotNotice()->findChildren<QAbstractButton *>();
    ASSERT_EQ(actions.size(), 2);
    controller.requests.clear();
    testsupport::click(actions.at(0));
    testsupport::click(actions.at(1));
    const QString id = seed.first(ClipboardKind::Image).id;
    EXPECT_EQ(controller.requests, (QStringList{"screenshotEdit " + id, "screenshotText " + id}));

    model().dismissScreenshotNotice();
    settle();
    EXPECT_FALSE(view->screenshotNotice());
    EXPECT_TRUE(details().isVisible());
}

TEST_F(NotchPanelViewTest, InMenuBarModeANewScreenshotLeavesTheNotchAsItIs)
{
    // The toast is the notice there; the notch standing in for a missing tray stays at rest.
    controller.contentExpanded = false;
    controller.widthExpanded = false;
    controller.setPresentationMode(ClipboardPresentationMode::MenuBar);
    model().showScreenshotNotice(seed.first(ClipboardKind::Image));
    settle();
    EXPECT_FALSE(view->screenshotNotice());
    EXPECT_EQ(view->outline().size(), QSizeF(96, 40));
    EXPECT_EQ(view->summary()->width(), 96);
    EXPECT_EQ(view->summary()->noticeText(), QString()) << "nor the copied notice that comes with a screenshot";
    EXPECT_DOUBLE_EQ(view->summary()->noticeProgress(), 0.0);
    EXPECT_TRUE(view->summary()->toggleButton()->accessibleName().startsWith(QStringLiteral("Tarnel, ")));

    // Back in notch mode while the notice lasts, the notch shows it.
    controller.setPresentationMode(ClipboardPresentationMode::Notch);
    settle();
    ASSERT_TRUE(view->screenshotNotice());
    EXPECT_EQ(view->outline().size(), QSizeF(280, 160 + 94));
    EXPECT_TRUE(view->summary()->toggleButton()->accessibleName().startsWith(QStringLiteral("Screenshot pridaný")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->summary()->noticeProgress() == 1.0; }));
}

TEST_F(NotchPanelViewTest, OutlineAndDetailsPanelFollowTheExpansion)
{
    const struct {
        bool width;
        bool content;
        QSizeF outline;
    } cases[] = {{false, false, {96, 40}}, {true, false, {450, 40}}, {false, true, {96, 460}}, {true, true, {450, 460}}};
    for (const auto &c : cases) {
        controller.widthExpanded = c.width;
        controller.contentExpanded = c.content;
        Q_EMIT controller.isContentExpandedChanged(c.content);
        Q_EMIT controller.isWidthExpandedChanged(c.width);
        settle();
        EXPECT_EQ(view->outline().size(), c.outline) << c.width << c.content;
        EXPECT_EQ(details().isVisible(), c.content) << "present only while the content is expanded";
        EXPECT_EQ(view->summary()->readTextButton()->isVisible(), c.content);
        EXPECT_EQ(view->summary()->identityView() != nullptr, c.width) << "the name only in the wide row";
    }
    EXPECT_EQ(details().geometry(), QRect(0, 40, 450, 420));
    EXPECT_EQ(view->summary()->geometry(), QRect(0, 0, 450, 40));
}

TEST_F(NotchPanelViewTest, SummaryButtonsCallTheControllerAndSettingsTakesTheFocusFirst)
{
    NotchSummary &summary = *view->summary();
    testsupport::click(summary.toggleButton());
    testsupport::click(summary.readTextButton());
    testsupport::click(summary.quitButton());
    EXPECT_EQ(controller.requests, (QStringList{"toggle", "readText", "quit"}));

    // While a read runs the button shows it and does not respond.
    controller.readingScreenText = true;
    Q_EMIT controller.isReadingScreenTextChanged(true);
    settle();
    EXPECT_TRUE(summary.readTextButton()->isOpen());
    EXPECT_FALSE(summary.readTextButton()->isEnabled());

    view->activateWindow();
    searchField().setFocus();
    settle();
    ASSERT_TRUE(model().isSearchFieldFocused());
    controller.requests.clear();
    testsupport::click(summary.settingsButton());
    const bool focusedWhenOpened = searchField().hasFocus() || model().isSearchFieldFocused();
    EXPECT_EQ(controller.requests, QStringList{"settings"});
    EXPECT_FALSE(focusedWhenOpened);
}

TEST_F(NotchPanelViewTest, SearchFiltersAndReturnPastesBySection)
{
    view->activateWindow();
    searchField().setFocus();
    EXPECT_TRUE(details().searchField()->shortcutBadge()->isVisibleTo(view.get()));
    EXPECT_EQ(details().searchField()->shortcutBadge()->text(), QStringLiteral("Shift+Super+V"));

    model().setSelectedTab(ClipboardPanelTab::History);
    settle();
    QTest::keyClicks(&searchField(), QStringLiteral("Tatry"));
    EXPECT_EQ(model().searchText(), QStringLiteral("Tatry"));
    settle();
    EXPECT_FALSE(details().searchField()->shortcutBadge()->isVisibleTo(view.get()));
    EXPECT_TRUE(details().searchField()->clearButton()->isVisibleTo(view.get()));
    const QList<ClipboardEntry> listed = model().quickAccessEntries();
    ASSERT_FALSE(listed.isEmpty());
    ASSERT_LT(listed.size(), model().entries().size()) << "the search narrows the history";

    // History: the first listed entry (nothing selected).
    QTest::keyClick(&searchField(), Qt::Key_Return);
    EXPECT_EQ(pasted(), listed.first().text);
    // Paste Stack: Return does nothing.
    model().pasteboard()->writeText(QStringLiteral("untouched"));
    model().setSelectedTab(ClipboardPanelTab::PasteStack);
    settle();
    QTest::keyClick(&searchField(), Qt::Key_Return);
    EXPECT_EQ(pasted(), QStringLiteral("untouched"));

    // Snippets: the first snippet matching the search.
    model().setSelectedTab(ClipboardPanelTab::Snippets);
    searchField().clear();
    QTest::keyClicks(&searchField(), QStringLiteral("Bratislava"));
    settle();
    QTest::keyClick(&searchField(), Qt::Key_Return);
    EXPECT_EQ(pasted(), QStringLiteral("Hlavná 12, 811 01 Bratislava"));
    searchField().clear();
    QTest::keyClicks(&searchField(), QStringLiteral("nothing matches this"));
    model().pasteboard()->writeText(QStringLiteral("untouched"));
    QTest::keyClick(&searchField(), Qt::Key_Return);
    EXPECT_EQ(pasted(), QStringLiteral("untouched"));

    // The clear button empties the search and keeps the focus; the keycap returns.
    testsupport::click(details().searchField()->clearButton());
    settle();
    EXPECT_TRUE(model().searchText().isEmpty());
    EXPECT_TRUE(searchField().text().isEmpty());
    EXPECT_TRUE(searchField().hasFocus());
    EXPECT_TRUE(details().searchField()->shortcutBadge()->isVisibleTo(view.get()));

    // The row the pointer rests on is the one Return pastes, where it differs from the first.
    model().setSelectedTab(ClipboardPanelTab::History);
    settle();
    const QList<ClipboardEntry> history = model().quickAccessEntries();
    qsizetype other = 1;
    while (other < history.size() && (history.at(other).text == history.first().text || history.at(other).text.isEmpty()))
        ++other;
    ASSERT_LT(other, history.size());
    EntryList *list = nullptr;
    for (EntryList *candidate : view->findChildren<EntryList *>()) {
        if (candidate->isVisible())
            list = candidate;
    }
    ASSERT_TRUE(list);
    list->view()->scrollTo(list->listModel()->index(int(other)));
    settle();
    const QPoint at = list->view()->visualRect(list->listModel()->index(int(other))).center();
    QMouseEvent hover(QEvent::MouseMove, at, list->view()->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(list->view()->viewport(), &hover);
    EXPECT_EQ(model().selectedEntryID(), history.at(other).id);
    QTest::keyClick(&searchField(), Qt::Key_Return);
    EXPECT_EQ(pasted(), history.at(other).text);
}

TEST_F(NotchPanelViewTest, SectionStripSwitchesTheLibraryAndFollowsTheModel)
{
    SectionStrip &strip = *details().sectionStrip();
    testsupport::click(strip.button(ClipboardPanelTab::Pins));
    EXPECT_EQ(model().selectedTab(), ClipboardPanelTab::Pins);
    settle();
    EXPECT_TRUE(strip.button(ClipboardPanelTab::Pins)->isChecked());
    EXPECT_EQ(strip.button(ClipboardPanelTab::Pins)->toolTip(), QStringLiteral("Pripnuté"));
    int checked = 0;
    for (ClipboardPanelTab tab : SectionStrip::primaryTabs())
        checked += strip.button(tab)->isChecked() ? 1 : 0;
    EXPECT_EQ(checked, 1) << "only the selected cell is marked";
    EXPECT_TRUE(qobject_cast<EntrySectionScreen *>(details().library()->screen()));

    testsupport::click(strip.button(ClipboardPanelTab::Snippets));
    settle();
    EXPECT_TRUE(qobject_cast<SnippetsScreen *>(details().library()->screen()));

    // A section chosen elsewhere (Quick Access, the keys) moves the mark too.
    model().setSelectedTab(ClipboardPanelTab::Gallery);
    settle();
    EXPECT_TRUE(strip.button(ClipboardPanelTab::Gallery)->isChecked());
    EXPECT_FALSE(strip.button(ClipboardPanelTab::Snippets)->isChecked());
    EXPECT_EQ(SectionStrip::primaryTabs().size(), 8);
}

// An image's text reading and the permission card's buttons open the controller's windows.
TEST_F(NotchPanelViewTest, LibraryScreensAskTheControllerForTextReadingAndPermissions)
{
    model().setSelectedTab(ClipboardPanelTab::Gallery);
    settle();
    auto *gallery = qobject_cast<GalleryScreen *>(details().library()->screen());
    ASSERT_TRUE(gallery);
    ASSERT_FALSE(gallery->cards().isEmpty());
    GalleryCard *card = gallery->cards().first();
    testsupport::click(card->button(GalleryCard::Action::ReadText));
    EXPECT_EQ(controller.requests, QStringList{QStringLiteral("screenshotText ") + card->entry().id});

    controller.requests.clear();
    model().setAccessibilityPermissionEnabled(false);
    model().setInputMonitoringPermissionEnabled(false);
    model().setSelectedTab(ClipboardPanelTab::Snippets);
    settle();
    auto *snippets = qobject_cast<SnippetsScreen *>(details().library()->screen());
    ASSERT_TRUE(snippets);
    testsupport::click(snippets->accessibilityButton());
    testsupport::click(snippets->inputMonitoringButton());
    EXPECT_EQ(controller.requests, (QStringList{QStringLiteral("keySending"), QStringLiteral("keyWatch")}));
}

// The snippets screen's permission card stands whole at the top of the screen's body, with
// its texts and buttons uncut, whether snippets or the empty state follow, in both languages.
TEST_F(NotchPanelViewTest, ThePermissionCardFitsThePanelWithItsButtons)
{
    model().setAccessibilityPermissionEnabled(false);
    model().setInputMonitoringPermissionEnabled(false);
    model().setSelectedTab(ClipboardPanelTab::Snippets);
    settle();
    const QList<ClipboardSnippet> snippets = model().snippets();
    ASSERT_FALSE(snippets.isEmpty());
    for (bool withSnippets : {true, false}) {
        model().setSnippets(withSnippets ? snippets : QList<ClipboardSnippet>{});
        for (AppLanguage language : {AppLanguage::Sk, AppLanguage::En}) {
            model().setLanguage(language);
            settle();
            const std::string name = std::string(withSnippets ? "snippets " : "empty ") + rawValue(language).toStdString();
            auto *screen = qobject_cast<SnippetsScreen *>(details().library()->screen());
            ASSERT_TRUE(screen) << name;
            QWidget *viewport = screen->body()->viewport();
            const QRect visible = viewport->rect();
            QWidget *card = screen->permissionCard();
            ASSERT_TRUE(card->isVisibleTo(screen)) << name;
            EXPECT_GE(card->height(), card->heightForWidth(card->width())) << name;
            EXPECT_TRUE(visible.contains(QRect(card->mapTo(viewport, QPoint()), card->size()))) << name;
            for (PanelButton *button : {screen->accessibilityButton(), screen->inputMonitoringButton()}) {
                ASSERT_TRUE(button->isVisibleTo(screen)) << name;
                EXPECT_TRUE(card->rect().contains(button->geometry())) << name;
                EXPECT_TRUE(visible.contains(QRect(button->mapTo(viewport, QPoint()), button->size()))) << name;
                EXPECT_GE(button->width(), button->sizeHint().width()) << name;
            }
            EXPECT_EQ(screen->isShowingEmptyState(), !withSnippets) << name;
            if (!withSnippets) {
                // Below the card the empty state keeps its whole height; the body scrolls to it.
                const PanelEmptyState *empty = screen->findChild<PanelEmptyState *>();
                ASSERT_TRUE(empty) << name;
                EXPECT_GE(empty->height(), empty->heightForWidth(empty->width())) << name;
            }
        }
    }
    model().setLanguage(AppLanguage::Sk);
    settle();
}

// The part of a widget that shows on screen: its rectangle clipped by every ancestor up to the
// root (a scroll area's viewport included), in the widget's own coordinates.
static QRect shownPart(const QWidget *widget, const QWidget *root)
{
    QRect shown = widget->rect();
    for (const QWidget *ancestor = widget->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        const QPoint offset = widget->mapTo(ancestor, QPoint());
        shown &= ancestor->rect().translated(-offset);
        if (ancestor == root)
            break;
    }
    return shown;
}

// While a permission is missing, the panel at its own size still shows the permission card and
// at least two whole snippets under it without scrolling, with snippets of the tallest kind
// (two lines of text and a trigger), both buttons of the card, and in both languages.
TEST_F(NotchPanelViewTest, ThePermissionCardLeavesRoomForTwoWholeSnippets)
{
    ASSERT_EQ(view->size(), QSize(450, 460));
    model().setPasteMonitoringEnabled(false);
    model().setAccessibilityPermissionEnabled(false);
    model().setInputMonitoringPermissionEnabled(false);
    model().setSnippets({
        ClipboardSnippet{QStringLiteral("SN-A"), QStringLiteral("Podpis"), QStringLiteral(";podpis"),
                         QStringLiteral("S pozdravom\nJana Nováková")},
        ClipboardSnippet{QStringLiteral("SN-B"), QStringLiteral("Adresa"), QStringLiteral(";adr"),
                         QStringLiteral("Hlavná 12\n811 01 Bratislava")},
        ClipboardSnippet{QStringLiteral("SN-C"), QStringLiteral("Odpoveď"), QStringLiteral(";odp"),
                         QStringLiteral("Ďakujem za správu,\nozvem sa zajtra.")},
    });
    model().setSelectedTab(ClipboardPanelTab::Snippets);
    for (AppLanguage language : {AppLanguage::Sk, AppLanguage::En}) {
        model().setLanguage(language);
        settle();
        const std::string name = rawValue(language).toStdString();
        auto *screen = qobject_cast<SnippetsScreen *>(details().library()->screen());
        ASSERT_TRUE(screen) << name;
        ASSERT_EQ(screen->rowCount(), 3) << name;
        QWidget *card = screen->permissionCard();
        ASSERT_TRUE(card->isVisibleTo(view.get())) << name;
        EXPECT_EQ(shownPart(card, view.get()), card->rect()) << name << ": the card is cut";
        for (PanelButton *button : {screen->accessibilityButton(), screen->inputMonitoringButton()}) {
            ASSERT_TRUE(button->isVisibleTo(view.get())) << name;
            EXPECT_EQ(shownPart(button, view.get()), button->rect()) << name << ": a button of the card is cut";
        }
        EXPECT_FALSE(screen->accessibilityButton()->geometry().intersects(screen->inputMonitoringButton()->geometry()))
            << name;
        int wholeRows = 0;
        for (SnippetRow *row : screen->findChildren<SnippetRow *>()) {
            ASSERT_GE(row->height(), row->sizeHint().height()) << name;
            const QRect shown = shownPart(row, view.get());
            if (shown == row->rect()) {
                ++wholeRows;
                EXPECT_GT(row->mapTo(view.get(), QPoint()).y(), card->mapTo(view.get(), QPoint()).y() + card->height())
                    << name << ": a row lies under the card";
            }
        }
        EXPECT_GE(wholeRows, 2) << name;
    }
    model().setLanguage(AppLanguage::Sk);
    settle();
}

TEST_F(NotchPanelViewTest, FooterShowsEachSectionsTipShortcutAndAction)
{
    LibraryFooter &footer = *details().footer();
    const struct {
        ClipboardPanelTab tab;
        const char *tip;
        const char *shortcut;
        const char *title;
    } cases[] = {
        {ClipboardPanelTab::History, "Rýchly prístup", "Alt+Super+V", "Vložiť"},
        {ClipboardPanelTab::PasteStack, "Vkladať v poradí", "Shift+Alt+Super+V", "Vložiť ďalší"},
        {ClipboardPanelTab::Snippets, "Napíš skratku", ";podpis", "Vložiť"},
        {ClipboardPanelTab::Jars, "Rýchly prístup", "Alt+Super+V", "Nový Jar"},
        {ClipboardPanelTab::Gallery, "Rýchly prístup", "Alt+Super+V", "Vložiť"},
    };
    for (const auto &c : cases) {
        model().setSelectedTab(c.tab);
        settle();
        EXPECT_EQ(footer.tipText(), QString::fromUtf8(c.tip)) << rawValue(c.tab).toStdString();
        EXPECT_EQ(footer.shortcutText(), QString::fromUtf8(c.shortcut)) << rawValue(c.tab).toStdString();
        EXPECT_EQ(footer.actionButton()->accessibleName(), QString::fromUtf8(c.title)) << rawValue(c.tab).toStdString();
        EXPECT_TRUE(footer.actionButton()->isEnabled()) << rawValue(c.tab).toStdString();
    }

    // "Vložiť ďalší" pastes the stack's first entry.
    model().setSelectedTab(ClipboardPanelTab::PasteStack);
    settle();
    const QStringList stack = model().pasteStackEntryIDs();
    ASSERT_FALSE(stack.isEmpty());
    const auto textOf = [this](const QString &id) {
        for (const ClipboardEntry &entry : model().entries()) {
            if (entry.id == id)
                return entry.text;
        }
        return QString();
    };
    ASSERT_FALSE(textOf(stack.at(0)).isEmpty());
    ASSERT_NE(pasted(), textOf(stack.at(0)));
    testsupport::click(footer.actionButton());
    ASSERT_TRUE(testsupport::waitFor([&] { return pasted() == textOf(stack.at(0)); })) << pasted().toStdString();

    // The Paste Stack's button needs key sending; other sections ignore it.
    model().setAccessibilityPermissionEnabled(false);
    model().setSelectedTab(ClipboardPanelTab::PasteStack);
    settle();
    EXPECT_FALSE(footer.actionButton()->isEnabled());
    model().setSelectedTab(ClipboardPanelTab::History);
    settle();
    EXPECT_TRUE(footer.actionButton()->isEnabled());

    // A selected snippet that the search hides gives way to the first one listed.
    model().setSelectedQuickAccessSnippetID(QStringLiteral("SN-1"));
    model().setSearchText(QStringLiteral("Bratislava"));
    model().setSelectedTab(ClipboardPanelTab::Snippets);
    settle();
    EXPECT_EQ(footer.shortcutText(), QStringLiteral(";adr"));
    testsupport::click(footer.actionButton());
    EXPECT_EQ(pasted(), QStringLiteral("Hlavná 12, 811 01 Bratislava"));

    // A gallery search without images disables the button.
    model().setSearchText(QStringLiteral("no image is called this"));
    model().setSelectedTab(ClipboardPanelTab::Gallery);
    settle();
    EXPECT_FALSE(footer.actionButton()->isEnabled());
}

TEST(LibraryFooterAction, MainActionFollowsTheSection)
{
    testsupport::SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setAccessibilityPermissionEnabled(true);
    testsupport::FakePanelSheets sheets;
    LibraryFooter footer(model, sheets);

    model.setSelectedTab(ClipboardPanelTab::Jars);
    footer.performAction();
    EXPECT_EQ(sheets.requests, QStringList{"jar new"}) << "no Jar open: the editor creates one";

    const auto pasted = [&model] { return model.pasteboard()->content().text.value_or(QString()); };
    model.setSelectedJarID(QStringLiteral("JAR-1"));
    model.pasteboard()->writeText(QStringLiteral("untouched"));
    footer.performAction();
    EXPECT_EQ(pasted(), model.selectedJarEntries().first().text) << "an open Jar pastes its selection";

    // The Paste Stack pastes its next entry, whatever is selected elsewhere.
    model.setSelectedTab(ClipboardPanelTab::PasteStack);
    model.setSelectedEntryID(model.entries().last().id);
    const ClipboardEntry next = model.pasteStackEntries().first();
    ASSERT_EQ(next.kind, ClipboardKind::Text);
    model.pasteboard()->writeText(QStringLiteral("untouched"));
    footer.performAction();
    EXPECT_EQ(pasted(), next.text);
}

TEST_F(NotchPanelViewTest, SearchFocusIsMirroredIntoTheModel)
{
    view->activateWindow();
    searchField().setFocus();
    settle();
    EXPECT_TRUE(model().isSearchFieldFocused());
    details().sectionStrip()->setFocusPolicy(Qt::StrongFocus);
    details().sectionStrip()->setFocus();
    settle();
    EXPECT_FALSE(model().isSearchFieldFocused());

    // Collapsing takes the field out of reach, and its focus with it.
    searchField().setFocus();
    settle();
    controller.contentExpanded = false;
    Q_EMIT controller.isContentExpandedChanged(false);
    settle();
    EXPECT_FALSE(searchField().hasFocus());
    EXPECT_FALSE(model().isSearchFieldFocused());
}

TEST_F(NotchPanelViewTest, EveryHostsOpenSheetHoldsThePanelUntilTheLastOneCloses)
{
    // The popup's view shares the controller with the notch's.
    ClipboardPanelView popup(link, &model(), controller, false);
    const ClipboardEntry image = seed.first(ClipboardKind::Image);
    view->performQuickImageAction(QuickImageAction::Preview, image);
    EXPECT_TRUE(controller.editorOpen);
    popup.performQuickImageAction(QuickImageAction::Preview, image);
    EXPECT_TRUE(controller.editorOpen);

    delete view->imageSheet();
    testsupport::waitFor([&] { return !view->imageSheet(); });
    settle();
    EXPECT_TRUE(controller.editorOpen) << "the popup's sheet still holds the panel";
    delete popup.imageSheet();
    testsupport::waitFor([&] { return !controller.editorOpen; });
    EXPECT_FALSE(controller.editorOpen);
}

TEST_F(NotchPanelViewTest, TheFootersJarEditorHoldsThePanelWhileAnotherHostsSheetOutlivesIt)
{
    ClipboardPanelView popup(link, &model(), controller, false);
    const ClipboardEntry image = seed.first(ClipboardKind::Image);
    model().setSelectedTab(ClipboardPanelTab::Jars);
    settle();
    testsupport::click(details().footer()->actionButton());
    settle();
    ASSERT_TRUE(view->sheets()->isJarEditorPresented()) << "Nový Jar opens the Jar editor";
    EXPECT_TRUE(controller.editorOpen);
    EXPECT_TRUE(model().isPanelOverlayPresented() || controller.editorOpen);

    popup.performQuickImageAction(QuickImageAction::Preview, image);
    view->sheets()->dismissAll();
    settle();
    EXPECT_FALSE(view->sheets()->isJarEditorPresented());
    EXPECT_TRUE(controller.editorOpen) << "the popup's preview still holds the panel";
    delete popup.imageSheet();
    testsupport::waitFor([&] { return !controller.editorOpen; });
    EXPECT_FALSE(controller.editorOpen);
}

TEST_F(NotchPanelViewTest, ANewLanguageRebuildsTheTextsAndKeepsTheSheetHost)
{
    PanelSheetHost *sheets = view->sheets();
    EXPECT_EQ(searchField().placeholderText(), QStringLiteral("Hľadať text, aplikáciu alebo typ…"));
    model().setLanguage(AppLanguage::En);
    settle();
    EXPECT_EQ(view->sheets(), sheets);
    EXPECT_EQ(searchField().placeholderText(), QStringLiteral("Search text, app or type…"));
    EXPECT_EQ(view->summary()->readTextButton()->toolTip(), QStringLiteral("Read text from screen"));
    model().setLanguage(AppLanguage::Sk);
    settle();
}

TEST_F(NotchPanelViewTest, TypedSearchTextIsDrawnInTheSchemesTextColour)
{
    // The field draws over the panel's own background, so its text must take the panel's
    // colours in either appearance, also after the appearance changes under an open panel.
    QTest::keyClicks(&searchField(), QStringLiteral("WWWWWWWW"));
    searchField().clearFocus(); // the caret has a colour of its own
    settle();
    for (const ClipboardAppearance appearance : {ClipboardAppearance::Dark, ClipboardAppearance::Light, ClipboardAppearance::Dark}) {
        model().setAppearance(appearance);
        settle();
        const QColor expected = PanelStyle::colors(PanelStyle::schemeFor(appearance)).primary;
        EXPECT_EQ(searchField().palette().color(QPalette::Active, QPalette::Text), expected) << rawValue(appearance).toStdString();

        // What the user sees: the glyphs stand out from the field's background in the
        // direction of the scheme (light on dark, dark on light).
        const QImage shot = details().searchField()->grab().toImage();
        const QRect textArea = searchField().geometry();
        qreal extreme = appearance == ClipboardAppearance::Dark ? 0.0 : 1.0;
        for (int y = textArea.top(); y <= textArea.bottom(); ++y) {
            for (int x = textArea.left(); x <= textArea.right(); ++x) {
                const qreal lightness = qreal(shot.pixelColor(x * shot.width() / details().searchField()->width(),
                                                              y * shot.height() / details().searchField()->height())
                                                  .lightnessF());
                extreme = appearance == ClipboardAppearance::Dark ? std::max(extreme, lightness) : std::min(extreme, lightness);
            }
        }
        if (appearance == ClipboardAppearance::Dark)
            EXPECT_GT(extreme, 0.7) << "no light glyphs on the dark field";
        else
            EXPECT_LT(extreme, 0.3) << "no dark glyphs on the light field";
    }
}

// "Vložiť ďalší" pressed twice pastes the stack's first entry, then its second, and the stack
// (and the list that shows it) moves on by one each time.
// A paste from the open panel that goes nowhere says why where the user pressed it, in place
// of the footer's tip, until a paste goes out; then the tip is back.
TEST(LibraryFooterAction, APasteThatGoesNowhereSaysWhyInTheFooter)
{
    testsupport::SeedCounts counts;
    counts.sendsKeys = true;
    testsupport::SeededModel seed(counts);
    ClipboardModel &model = seed.model();
    model.setAccessibilityPermissionEnabled(true);
    testsupport::FakePanelSheets sheets;
    LibraryFooter footer(model, sheets);
    footer.resize(DetailsPanel::kWidth - 2 * DetailsPanel::kSidePadding, LibraryFooter::kButtonHeight);
    footer.show();
    model.setSelectedTab(ClipboardPanelTab::History);
    QCoreApplication::processEvents();
    const QString tip = footer.tipText();
    ASSERT_FALSE(tip.isEmpty());

    seed.keys().setDropsChords(true, KeyDropReason::NothingToType);
    testsupport::click(footer.actionButton());
    EXPECT_TRUE(testsupport::waitFor([&] { return footer.tipText() == ShortcutNotice::nothingToPasteHere(); }))
        << footer.tipText().toStdString();
    EXPECT_TRUE(footer.shortcutText().isEmpty()) << "the notice takes the shortcut's room too";
    const QWidget *capsule = footer.findChild<QWidget *>(QStringLiteral("footerShortcut"));
    ASSERT_TRUE(capsule);
    EXPECT_FALSE(capsule->isVisible()) << "no empty capsule beside the notice";

    seed.keys().setDropsChords(false);
    testsupport::click(footer.actionButton());
    EXPECT_TRUE(testsupport::waitFor([&] { return footer.tipText() == tip; })) << footer.tipText().toStdString();
    EXPECT_TRUE(capsule->isVisible() && !footer.shortcutText().isEmpty()) << "the tip's shortcut is back";
}

// A shortcut longer than the capsule's room keeps its beginning and its end, cut in its middle:
// a trigger differs from its neighbours at either end. Read from the capsule as drawn: a
// column that holds ink only low in the line is the ellipsis, every other inked column a letter.
TEST(LibraryFooterShortcut, ALongShortcutIsCutInItsMiddleAndKeepsBothEnds)
{
    testsupport::SeededModel seed;
    ClipboardModel &model = seed.model();
    const QString trigger = QStringLiteral("HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH");
    model.setSnippets({ClipboardSnippet{QStringLiteral("SN-LONG"), QStringLiteral("Dlhý"), trigger, QStringLiteral("text")}});
    model.setSelectedQuickAccessSnippetID(QStringLiteral("SN-LONG"));
    testsupport::FakePanelSheets sheets;
    LibraryFooter footer(model, sheets);
    footer.resize(DetailsPanel::kWidth - 2 * DetailsPanel::kSidePadding, LibraryFooter::kButtonHeight);
    footer.show();
    model.setSelectedTab(ClipboardPanelTab::Snippets);
    ASSERT_TRUE(testsupport::waitFor([&] { return footer.shortcutText() == trigger; }));
    QWidget *capsule = footer.shortcutCapsule();
    ASSERT_TRUE(capsule->isVisible());
    ASSERT_LT(capsule->width(), capsule->sizeHint().width()) << "the trigger must not fit its room";

    const QImage shot = capsule->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb surface = shot.pixel(shot.width() / 2, 1);
    const auto inked = [&](int x, int y) {
        const QRgb p = shot.pixel(x, y);
        return std::abs(qRed(p) - qRed(surface)) + std::abs(qGreen(p) - qGreen(surface)) + std::abs(qBlue(p) - qBlue(surface)) > 90;
    };
    int top = shot.height(), bottom = -1, left = shot.width(), right = -1;
    std::vector<int> columnTop(std::size_t(shot.width()), -1);
    for (int x = 0; x < shot.width(); ++x) {
        for (int y = 0; y < shot.height(); ++y) {
            if (!inked(x, y))
                continue;
            if (columnTop[std::size_t(x)] < 0)
                columnTop[std::size_t(x)] = y;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    ASSERT_GE(right, left) << "nothing drawn";
    const auto lowOnly = [&](int x) { return columnTop[std::size_t(x)] >= 0 && columnTop[std::size_t(x)] > top + (bottom - top) * 2 / 3; };
    EXPECT_GE(left, LibraryFooter::kShortcutPadding - 1) << "drawn past its room on the left";
    EXPECT_LE(right, shot.width() - LibraryFooter::kShortcutPadding) << "drawn past its room on the right";
    EXPECT_FALSE(lowOnly(left)) << "the beginning was cut";
    EXPECT_FALSE(lowOnly(right)) << "the end was cut";
    std::vector<int> ellipsis;
    for (int x = left; x <= right; ++x) {
        if (lowOnly(x))
            ellipsis.push_back(x);
    }
    ASSERT_FALSE(ellipsis.empty()) << "not cut at all";
    const int span = right - left;
    EXPECT_GT(ellipsis.front(), left + span / 4) << "cut nearer its beginning than its middle";
    EXPECT_LT(ellipsis.back(), right - span / 4) << "cut nearer its end than its middle";
}

TEST(LibraryFooterAction, PasteNextPressedTwicePastesTheStackInOrder)
{
    testsupport::SeedCounts counts;
    counts.sendsKeys = true;
    testsupport::SeededModel seed(counts);
    ClipboardModel &model = seed.model();
    model.setAccessibilityPermissionEnabled(true);
    FakeSettingsStore settings;
    ClipboardModelPanelLink link(model, settings);
    testsupport::FakePanelController controller;
    ClipboardPanelView view(link, &model, controller, false);
    view.resize(view.sizeHint());
    view.show();
    model.setSelectedTab(ClipboardPanelTab::PasteStack);
    QCoreApplication::processEvents();
    const QStringList stack = model.pasteStackEntryIDs();
    ASSERT_GE(stack.size(), 3);
    ASSERT_FALSE(model.repeatsPasteStack());
    const auto pasted = [&model] { return model.pasteboard()->content().text.value_or(QString()); };
    const auto textOf = [&model](const QString &id) {
        for (const ClipboardEntry &entry : model.entries()) {
            if (entry.id == id)
                return entry.text;
        }
        return QString();
    };
    const auto firstListed = [&view]() -> QString {
        for (EntryList *list : view.findChildren<EntryList *>()) {
            if (list->isVisible() && list->isInPasteStackList() && list->listModel()->rowCount() > 0)
                return list->listModel()->entries().first().id;
        }
        return {};
    };
    ASSERT_TRUE(testsupport::waitFor([&] { return firstListed() == stack.at(0); }));
    ASSERT_NE(textOf(stack.at(0)), textOf(stack.at(1)));
    PanelButton *next = view.detailsPanel()->footer()->actionButton();
    for (int press = 0; press < 2; ++press) {
        testsupport::click(next);
        EXPECT_EQ(pasted(), textOf(stack.at(press))) << "press " << press;
        EXPECT_EQ(model.pasteStackEntryIDs(), stack.mid(press + 1)) << "press " << press;
        EXPECT_TRUE(testsupport::waitFor([&] { return firstListed() == stack.at(press + 1); }))
            << "press " << press << ": the list still starts with " << firstListed().toStdString();
    }
}

// Return in the Snippets search pastes the first snippet the search lists, of two it lists.
TEST_F(NotchPanelViewTest, ReturnInTheSnippetsSearchPastesTheFirstOfTheListedSnippets)
{
    view->activateWindow();
    model().setSelectedTab(ClipboardPanelTab::Snippets);
    settle();
    searchField().setFocus();
    QTest::keyClicks(&searchField(), QStringLiteral("dr")); // "pozdravom" and ";adr"
    settle();
    SnippetsScreen *screen = view->findChild<SnippetsScreen *>();
    ASSERT_TRUE(screen);
    ASSERT_EQ(screen->rowCount(), 2);
    // The rows as the screen stands them, top to bottom.
    QList<SnippetRow *> rows;
    for (SnippetRow *row : screen->findChildren<SnippetRow *>()) {
        if (row->isVisibleTo(screen))
            rows.append(row);
    }
    ASSERT_EQ(rows.size(), 2);
    std::sort(rows.begin(), rows.end(),
              [screen](const SnippetRow *a, const SnippetRow *b) { return a->mapTo(screen, QPoint()).y() < b->mapTo(screen, QPoint()).y(); });
    QString firstText;
    for (const ClipboardSnippet &snippet : model().snippets()) {
        if (snippet.id == rows.first()->snippetID())
            firstText = snippet.text;
    }
    ASSERT_FALSE(firstText.isEmpty());
    model().pasteboard()->writeText(QStringLiteral("untouched"));
    QTest::keyClick(&searchField(), Qt::Key_Return);
    EXPECT_TRUE(testsupport::waitFor([&] { return pasted() == firstText; })) << pasted().toStdString();
}
