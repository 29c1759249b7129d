// The Quick Access picker on the model: lists per tab, search, order, focus, options, commits.
#include "EngineTestSupport.h"

namespace pastetest {
namespace {

ClipboardEntry imageEntry(const QString &id, bool screenshot)
{
    ClipboardEntry entry = textEntry(id, QString(""));
    entry.kind = ClipboardKind::Image;
    entry.isScreenshot = screenshot;
    return entry;
}

ClipboardEntry fromApp(const QString &id, const QString &app, int hour)
{
    ClipboardEntry entry = textEntry(id);
    entry.sourceApp = app;
    entry.copiedAt = QDateTime(QDate(2026, 2, 1), QTime(hour, 0), QTimeZone::utc());
    return entry;
}

class QuickAccessModelTest : public PasteModelTest {
protected:
    void SetUp() override
    {
        workspace.setApplications({editor()});
        workspace.setFrontmostApplication(editor());
    }
    static RunningApplication editor() { return RunningApplication{11, kFrontPid, QStringLiteral("Editor")}; }
    std::optional<QString> pastedText() const { return pasteboard.content().text; }
};

TEST_F(QuickAccessModelTest, EachTabListsItsOwnEntries)
{
    ClipboardEntry pinned = textEntry("pinned");
    pinned.isPinned = true;
    seedHistory({textEntry("plain"), pinned, textEntry("stacked"), textEntry("jarred"), imageEntry("photo", false),
                 imageEntry("shot", true)});
    seedPasteStack({"stacked"});
    seedJars({{"J", "Jar", {"jarred"}}});
    createModel();
    model->beginQuickAccess(editor());
    struct Case {
        ClipboardPanelTab tab;
        QStringList ids;
    };
    const Case cases[] = {
        {ClipboardPanelTab::History, {"plain", "pinned", "stacked", "jarred", "photo", "shot"}},
        {ClipboardPanelTab::Clipboard, {"plain", "jarred", "photo", "shot"}},
        {ClipboardPanelTab::Pins, {"pinned"}},
        {ClipboardPanelTab::Jars, {}}, // no Jar chosen
    };
    for (const Case &c : cases) {
        model->setSelectedTab(c.tab);
        EXPECT_EQ(idsOf(model->quickAccessEntries()), c.ids) << rawValue(c.tab).toStdString();
    }
    // The Jars tab counts Jars until one is chosen, then its entries.
    model->setSelectedTab(ClipboardPanelTab::Jars);
    EXPECT_EQ(model->quickAccessItemCount(), 1);
    model->setSelectedJarID(QStringLiteral("J"));
    EXPECT_EQ(idsOf(model->quickAccessEntries()), QStringList{"jarred"});
    EXPECT_EQ(model->quickAccessItemCount(), 1);
}

TEST_F(QuickAccessModelTest, ClipboardTabRanksTheFrontApplicationsCopiesFirstAndSearchNarrows)
{
    seedHistory({fromApp("mailNew", "Mail", 12), fromApp("editorNew", "Editor", 11), fromApp("mailOld", "Mail", 9),
                 fromApp("editorOld", "Editor", 8)});
    createModel();
    model->beginQuickAccess(editor());
    EXPECT_EQ(model->currentContext(), QStringLiteral("Editor"));
    model->setSelectedTab(ClipboardPanelTab::Clipboard);
    EXPECT_EQ(idsOf(model->quickAccessEntries()), (QStringList{"editorNew", "editorOld", "mailNew", "mailOld"}));
    // Other tabs keep the history's order; the search narrows entries and snippets alike.
    model->setSelectedTab(ClipboardPanelTab::History);
    EXPECT_EQ(idsOf(model->quickAccessEntries()), (QStringList{"mailNew", "editorNew", "mailOld", "editorOld"}));
    model->setSearchText(QStringLiteral("MAILNEW"));
    EXPECT_EQ(idsOf(model->quickAccessEntries()), QStringList{"mailNew"});
    EXPECT_TRUE(model->quickAccessSnippets().isEmpty());
}

TEST_F(QuickAccessModelTest, TheNewestCopyIsListedAndPreselectedFirstAfterTheClockWentBack)
{
    createModel();
    copyText(QStringLiteral("before the clock went back"));
    clock.advance(-std::chrono::hours(2));
    copyText(QStringLiteral("after the clock went back"));
    ASSERT_TRUE(waitForCaptures());
    model->beginQuickAccess(editor());
    model->setSelectedTab(ClipboardPanelTab::History);
    model->setSelectedTab(ClipboardPanelTab::Clipboard);
    const QList<ClipboardEntry> listed = model->quickAccessEntries();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed.first().text, QStringLiteral("after the clock went back"));
    EXPECT_EQ(model->selectedEntryID(), std::optional(model->entries().first().id));
}

TEST_F(QuickAccessModelTest, ListedEntriesFollowEveryChangeOfWhatTheyAreMadeOf)
{
    // The list is kept between the several asks of one keystroke; each step changes one thing
    // the list is made of, by the road the user takes, right after the list was asked for, so
    // a list kept past that change shows the step before.
    seedHistory({fromApp("alpha", "Mail", 9), fromApp("bravo", "Editor", 8), fromApp("charlie", "Mail", 7)});
    seedJars({{"J", "Jar", {"bravo"}}});
    createModel();
    model->beginQuickAccess(editor());
    model->setSelectedTab(ClipboardPanelTab::History);
    const auto entry = [this](const QString &id) {
        const QList<ClipboardEntry> &entries = model->entries();
        return *std::find_if(entries.cbegin(), entries.cend(), [&id](const ClipboardEntry &e) { return e.id == id; });
    };
    const struct {
        const char *change;
        std::function<void()> apply;
        QStringList ids;
        bool newestCopyFirst = false; // its id is only known once copied
    } steps[] = {
        {"search typed", [&] { model->setSearchText(QStringLiteral("RAV")); }, {"bravo"}},
        {"search cleared", [&] { model->setSearchText(QString()); }, {"alpha", "bravo", "charlie"}},
        {"copy arrives",
         [&] {
             pasteboard.copyText(QStringLiteral("delta"));
             model->readClipboardIfChanged();
         },
         {"alpha", "bravo", "charlie"},
         true},
        {"entry deleted", [&] { model->deleteEntry(model->entries().first()); }, {"alpha", "bravo", "charlie"}},
        {"tab changed", [&] { model->setSelectedTab(ClipboardPanelTab::Pins); }, {}},
        {"entry pinned", [&] { model->togglePin(entry("alpha")); }, {"alpha"}},
        {"Jars tab", [&] { model->setSelectedTab(ClipboardPanelTab::Jars); }, {}},
        {"Jar chosen", [&] { model->setSelectedJarID(QStringLiteral("J")); }, {"bravo"}},
        {"Jar filled", [&] { model->toggleEntry(entry("alpha"), QStringLiteral("J")); }, {"bravo", "alpha"}},
        {"Clipboard tab", [&] { model->setSelectedTab(ClipboardPanelTab::Clipboard); }, {"bravo", "charlie"}},
        {"context changed", [&] { model->setCurrentContext(QStringLiteral("Mail")); }, {"charlie", "bravo"}},
        {"entry stacked", [&] { model->addToPasteStack(entry("charlie")); }, {"bravo"}},
        {"entry used up", [&] { model->setConsumedEntryIDs({QStringLiteral("bravo")}); }, {}},
        {"entry unpinned", [&] { model->togglePin(entry("alpha")); }, {"alpha"}},
    };
    EXPECT_EQ(idsOf(model->quickAccessEntries()), (QStringList{"alpha", "bravo", "charlie"}));
    for (const auto &step : steps) {
        step.apply();
        QStringList expected = step.ids;
        if (step.newestCopyFirst)
            expected.prepend(model->entries().first().id);
        EXPECT_EQ(idsOf(model->quickAccessEntries()), expected) << step.change;
        // Asked again with nothing changed: the same list.
        EXPECT_EQ(idsOf(model->quickAccessEntries()), expected) << step.change;
    }
}

TEST_F(QuickAccessModelTest, SearchFoldsAreReadyBeforeTheFirstKeystroke)
{
    // The stored history is folded on a worker once loaded, a copy as it is accepted, a
    // replaced history again: no search has run yet.
    seedHistory({textEntry("a", QStringLiteral("Žltý KÔŇ")), textEntry("b", QStringLiteral("two\nLINES"))});
    createModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->searchFoldsInWork() == 0; }, 20000));
    EXPECT_EQ(model->preparedSearchFoldCount(), 2);
    pasteboard.copyText(QStringLiteral("Copied Ďalej"));
    model->readClipboardIfChanged();
    EXPECT_EQ(model->preparedSearchFoldCount(), 3);
    QList<ClipboardEntry> edited = model->entries();
    edited[2].text = QStringLiteral("two\nLINES, edited ÚPEL");
    model->setEntries(edited);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->searchFoldsInWork() == 0; }, 20000));

    // The prepared folds find what folding at the keystroke would: case folded, accents kept,
    // line breaks matched as the preview's spaces.
    model->setSelectedTab(ClipboardPanelTab::History);
    const struct {
        const char *term;
        QStringList ids;
    } searches[] = {{"kôň", {"a"}}, {"kon", {}}, {"o l", {"b"}}, {"ďalej", {model->entries().at(0).id}},
                    {"úpel", {"b"}}};
    for (const auto &search : searches) {
        model->setSearchText(QString::fromUtf8(search.term));
        EXPECT_EQ(idsOf(model->quickAccessEntries()), search.ids) << search.term;
    }
}

TEST_F(QuickAccessModelTest, OpeningResetsThePickerAndRecordsTheTarget)
{
    seedHistory({textEntry("a")});
    createModel();
    model->setSearchText(QStringLiteral("old"));
    model->setSelectedEntryID(QStringLiteral("a"));
    model->setIsQuickPasteOptionsPresented(true);
    model->setSelectedQuickPasteOptionIndex(3);
    model->beginQuickAccess(editor());
    EXPECT_TRUE(model->isQuickAccessPresented());
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Tabs);
    EXPECT_FALSE(model->isQuickPasteOptionsPresented());
    EXPECT_EQ(model->selectedQuickPasteOptionIndex(), 0);
    EXPECT_TRUE(model->searchText().isEmpty());
    EXPECT_EQ(model->selectedEntryID(), std::nullopt);
    EXPECT_EQ(model->pasteTargetApplication(), editor());

    // Opened over Tarnel itself: nothing to return to.
    model->setIsQuickAccessPresented(false);
    model->beginQuickAccess(RunningApplication{5, workspace.ownPid(), QStringLiteral("Tarnel")});
    EXPECT_EQ(model->pasteTargetApplication(), std::nullopt);
    EXPECT_TRUE(model->currentContext().isEmpty());
}

TEST_F(QuickAccessModelTest, SwitchingFormsWhileOpenKeepsTheTargetAndContext)
{
    seedHistory({textEntry("a")});
    createModel();
    model->beginQuickAccess(editor());
    // The paste-as shortcut pressed while Quick Access has the keyboard: Tarnel is in front.
    model->beginQuickAccess(std::nullopt);
    EXPECT_EQ(model->pasteTargetApplication(), editor());
    EXPECT_EQ(model->currentContext(), QStringLiteral("Editor"));
    model->setSelectedTab(ClipboardPanelTab::History);
    model->setSelectedEntryID(QStringLiteral("a"));
    model->commitQuickAccessSelection();
    // The paste went back to the editor, not into Tarnel.
    EXPECT_EQ(keys.sentChords(), (QList<FakeKeySender::Sent>{{KeyChord::Paste, editor().pid, editor().window}}));
}

TEST_F(QuickAccessModelTest, CommittingATextOptionPastesTheTransformedTextOnly)
{
    seedHistory({textEntry("t", "  hello World\nagain  ")});
    createModel();
    model->beginQuickAccess(editor());
    model->setSelectedTab(ClipboardPanelTab::History);
    model->setSelectedEntryID(QStringLiteral("t"));
    for (int index : {0, 3, 7}) {
        const ClipboardTransform transform = ClipboardModel::quickTextOptions().at(std::size_t(index));
        model->beginQuickAccess(editor());
        model->setSelectedEntryID(QStringLiteral("t"));
        ASSERT_TRUE(model->openQuickPasteOptions());
        model->setSelectedQuickPasteOptionIndex(index);
        model->commitQuickPasteOption();
        EXPECT_EQ(pastedText(), ClipboardTransforms::apply(transform, "  hello World\nagain  "))
            << ClipboardTransforms::rawValue(transform).toStdString();
        EXPECT_FALSE(model->isQuickAccessPresented());
    }
    EXPECT_EQ(model->entries().first().text, QStringLiteral("  hello World\nagain  "));
    EXPECT_EQ(pastes(), 3);
    // An index out of range pastes nothing.
    model->beginQuickAccess(editor());
    model->setSelectedEntryID(QStringLiteral("t"));
    model->setSelectedQuickPasteOptionIndex(8);
    model->commitQuickPasteOption();
    EXPECT_EQ(pastes(), 3);
}

} // namespace
} // namespace pastetest
